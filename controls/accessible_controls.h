#pragma once
// What screen readers are told about the skinned controls, through Qt's
// accessibility: each kit control gets an interface of its own (the
// toolkit's would call every image button a check box, the sliders and
// pictures "filler"), and the skinned windows leave their pictures that do
// nothing out of the tree.
//
//   ImageButton   push, toggle or radio button by its AccessibleKind; a key
//                 button is a push button whose description is its
//                 function, whether it is assigned and its colour
//   SkinPicture   the same kinds (a plain picture is not exposed)
//   BitmapSlider  a slider with its value and range
//   ColourButton  a push button whose description is its colour as text
//
// Every text comes from the language file.
#include <QColor>
#include <QString>

class QAccessibleInterface;
class QWidget;

namespace zarvel {

// Installs the interfaces once for the whole program; every kit control's
// constructor calls it, so programs and tests need not.
void InstallAccessibleControls();

// A colour as a listener hears it: "red 255, green 0, blue 0".
QString ColourText(const QColor& colour);

// Whether `widget` appears in its window's accessible tree: everything but
// pictures that do nothing and widgets marked with MarkDecorative().
bool ExposedToScreenReaders(const QWidget& widget);
void MarkDecorative(QWidget& widget);
// A check box that is one of a set of choices (exactly one ticked): a
// radio button to screen readers.
void MarkAsChoice(QWidget& check_box);

// Whether `iface` is a skinned window's own interface (not the toolkit's
// plain dialog one, made before the window was a skinned window).
bool IsSkinnedWindowInterface(QAccessibleInterface& iface);

// Tells screen readers that a control's checked state changed.
void NotifyCheckedChanged(QWidget& widget, bool checked);

}  // namespace zarvel
