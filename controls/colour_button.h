#pragma once
// A button that shows one colour and, when clicked, opens a small pop-up of
// colours with a fixed "other" button leading to the colour dialog.
//
// SetColour() only shows; colourChosen() is emitted only when the user picks
// a colour in the pop-up or the colour dialog (not when the dialog is
// cancelled).
#include <QAbstractButton>
#include <QColor>
#include <QFrame>
#include <QPointer>
#include <QVector>
#include <functional>
#include <optional>

#include "skin/widgets/focus_ring.h"

namespace zarvel {

// The pop-up's fixed button text (a fixed text of the lighting panel).
inline constexpr const char* kOtherColourText = "other";

class ColourButton : public QAbstractButton {
  Q_OBJECT
 public:
  explicit ColourButton(QWidget* parent = nullptr);

  void SetColour(const QColor& colour);
  QColor Colour() const { return colour_; }

  // The colours of the pop-up's grid; a default palette when not set.
  void SetPalette(const QVector<QColor>& colours);
  const QVector<QColor>& PaletteColours() const { return palette_; }

  // How "other" asks for a colour; the default opens QColorDialog. Tests
  // replace it. Returns nothing when the user cancelled.
  using OtherColourPicker = std::function<std::optional<QColor>(const QColor& initial, QWidget* parent)>;
  void SetOtherColourPicker(OtherColourPicker picker);

  // Opens the pop-up below the button (what a click does).
  void OpenPopup();
  // The pop-up while open, else null (tests drive it).
  QFrame* Popup() const { return popup_; }
  // What the pop-up's buttons do: pick grid entry `index`, or "other".
  void ChoosePaletteEntry(int index);
  void ChooseOther();

 Q_SIGNALS:
  void colourChosen(const QColor& colour);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  // Enter opens the pop-up as Space and a click do.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ClosePopup();

  QColor colour_ = Qt::black;
  QVector<QColor> palette_;
  OtherColourPicker other_picker_;
  // Cleared by itself when the pop-up closes (it deletes itself on close).
  QPointer<QFrame> popup_;
  FocusRingState focus_ring_;
};

}  // namespace zarvel
