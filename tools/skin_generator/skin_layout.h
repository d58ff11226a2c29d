#pragma once
// The one layout table of our own skin: every control of the three skinned
// windows with its skin key, its rectangle and how it looks. The INI files
// and every picture are made from these tables, so a control's placement and
// the piece of the state images it shows can never disagree.
//
// Rectangles are window pixels, exactly what the skin file says. An image
// button shows the piece of its state images that starts one pixel up and
// left of its own position, so the drawing code paints state images shifted
// by (-1, -1) and the background unshifted: on screen the button's face then
// sits exactly where the background shows it.
#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QPainter;

namespace zarvel::skingen {

// What a control is, which decides how (and whether) it is drawn.
enum class Kind {
  kKeyCap,      // a key of the keyboard picture (image button with a legend)
  kButton,      // a command button (image button; caption from the picture or the window)
  kTab,         // a page button of the key-function dialog
  kIndicator,   // a lock indicator: a disabled image button drawn as a LED
  kPlainButton, // an image button with an empty face (the version field)
  kCaption,     // an image button that reads as a printed caption (the flip row's middle)
  kPageArt,     // the key-function dialog's page picture: its art differs per image set
  kArrow,       // a flip arrow: two-key placement, its pictures come from Arrow.jpg
  kArea,        // a Qt control sits here (label, field, list, combo, slider,
                // picture, colour button, check box): the background stays plain
  kHidden,      // created hidden and never shown: placed, never drawn
};

// Small vector symbols drawn on buttons that carry no text.
enum class Glyph {
  kNone, kHelp, kMinimise, kClose, kMenu, kGlobe, kLetterF, kBird, kPlus, kMinus,
  kTop, kUp, kDown, kBottom, kLeft, kRight, kCross, kTrash, kKeyboard, kReset, kRecord, kKey, kMacro,
  kMedia, kFunction, kFolder, kLogo,
};

struct Item {
  std::string key;
  QRect rect;
  Kind kind = Kind::kArea;
  QString legend;     // main legend / caption drawn into the pictures
  QString legend2;    // second legend (the shifted symbol of a key, a key pad's second function)
  Glyph glyph = Glyph::kNone;
  // Controls of one page or one effect group share space with the other
  // groups of the same family: "page:key" and "page:macro" never show
  // together. Empty: always present.
  std::string group;
  // The state images this button takes its pieces from (the key-function
  // dialog has several sets); empty for the window's only set.
  std::string imageSet;
};

// One arrow picture of the main window's Arrow.jpg: key of "BUTTONINFO2".
struct ImageOriginEntry {
  std::string key;
  QPoint origin;
};

struct WindowLayout;
// Draws what is not a control: the window's body, panels, titles. Called
// with the painter already in window coordinates.
using BackdropPainter = std::function<void(QPainter&, const WindowLayout&, const std::string& imageSet)>;

struct WindowLayout {
  std::string iniFile;     // "Main.ini"
  std::string background;  // image file names in the skin folder
  std::string mask;
  QSize size;
  std::vector<Item> items;
  std::vector<ImageOriginEntry> imageOrigins;  // section BUTTONINFO2
  std::string link;                            // SCREEN/Link (main window only)
  BackdropPainter backdrop;
  const Item* Find(const std::string& key) const;
};

// One full-window state image to write: its file name, the set and state it shows.
// kSunken is a pressed look that also reads as "not available now": the
// profile manager's pressed image doubles as its disabled image.
enum class FaceState { kNormal, kHovered, kPressed, kDisabled, kSunken };
struct StateImageFile {
  std::string file;
  std::string imageSet;
  FaceState state;
};

WindowLayout MainWindowLayout();
WindowLayout ProfileManagerLayout();
WindowLayout KeyDialogLayout();

std::vector<StateImageFile> MainWindowImages();
std::vector<StateImageFile> ProfileManagerImages();
std::vector<StateImageFile> KeyDialogImages();

// Where each arrow picture sits in Arrow.jpg, and the atlas size.
inline constexpr int kArrowCell = 22;
QSize ArrowAtlasSize();

}  // namespace zarvel::skingen
