#pragma once
// The image button: a button that shows its own piece of full-window images.
//
// Each state (normal, hovered, pressed, disabled, checked) has one image the
// size of the whole window; the button shows the button-sized piece whose
// top-left corner is one pixel up and left of its image origin (an image
// button's origin is its own position, so it shows the piece under it). The
// state is chosen in this order, first match wins: disabled, pressed,
// hovered, checked, normal.
//
// Text is drawn only when a font is set. In frame mode the button shows the
// key colour of per-key painting: by default a 2-pixel rectangle in the frame
// colour instead of its image; with FrameStyle::kColouredKey the key itself is
// tinted in the colour under a thicker frame with a contrasting inner line, so
// a dark colour stays visible on a dark skin. A dimmed button is drawn
// darkened and hatched (a key that takes no colour). A note is a second
// tooltip line the window adds to what the tooltip says. A double click counts as a second click. The
// tooltip shows 300 ms after the pointer arrives.
//
// Signals: clicked() (QAbstractButton's) comes from the user only;
// setChecked() and every setter here emit nothing a window reacts to.
#include <QAbstractButton>
#include <QColor>
#include <QMargins>
#include <QPixmap>
#include <QPoint>
#include <QTimer>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "skin/widgets/focus_ring.h"

namespace zarvel {

enum class ButtonState { kNormal, kHovered, kPressed, kDisabled, kChecked };
inline constexpr int kButtonStateCount = 5;

// The state a button shows: disabled wins, then pressed, then hovered (so the
// pointer shows on a checked button too), then checked, then normal.
ButtonState ChooseButtonState(bool enabled, bool pressed, bool hovered, bool checked);

// The five full-window state images of a window's image buttons. Shared:
// copies are cheap (QPixmap is implicitly shared).
struct StateImages {
  QPixmap normal, hovered, pressed, disabled, checked;
  const QPixmap& For(ButtonState state) const;
  // Every state shows `image` (the main window's arrows).
  static StateImages AllSame(const QPixmap& image);
};

// A button's text font. `angle` is in tenths of a degree; turned text is
// drawn with weight 956 (else 400) and centred for its turned extent.
struct ButtonFont {
  std::string face;
  int points = 9;
  int angle = 0;
  bool turned = false;
};

inline constexpr int kTooltipDelayMs = 300;
inline constexpr int kFrameWidth = 2;
inline constexpr int kColouredKeyFrameWidth = 3;

// What the button is to a screen reader. Every image button can show a
// checked mark (the window's), so the kind, not checkability, decides: a
// push button acts once; a toggle or radio button reports its checked
// state; a key button says its function, whether it is assigned and its
// colour; a picture is no control at all and is not exposed.
enum class AccessibleKind { kPushButton, kToggleButton, kRadioButton, kKey, kPicture };

enum class FrameStyle {
  kThinFrame,    // the frame only, over the window's background
  kColouredKey,  // the key tinted in the colour, a thick frame and a contrast line
};

class ImageButton : public QAbstractButton {
  Q_OBJECT
 public:
  explicit ImageButton(QWidget* parent = nullptr);

  void SetStateImages(const StateImages& images, QPoint origin);
  void SetImageOrigin(QPoint origin);
  QPoint ImageOrigin() const { return origin_; }
  const StateImages& Images() const { return images_; }

  void SetButtonFont(const std::optional<ButtonFont>& font);
  void SetTextColour(ButtonState state, const QColor& colour);
  // Adjustments of the text rectangle (added to left/top, subtracted from
  // right/bottom) and the alignment inside it.
  void SetTextMargins(const QMargins& margins, Qt::Alignment alignment = Qt::AlignCenter);

  // Frame mode: a 2-pixel rectangle in `colour` instead of the image.
  void SetFrame(const QColor& colour);
  void ClearFrame();
  bool InFrameMode() const { return frame_.has_value(); }
  QColor FrameColour() const { return frame_.value_or(QColor()); }
  void SetFrameStyle(FrameStyle style);
  FrameStyle CurrentFrameStyle() const { return frame_style_; }

  // Dimmed: darkened and hatched over whatever the button shows.
  void SetDimmed(bool dimmed);
  bool Dimmed() const { return dimmed_; }
  // A line added below the tooltip; empty for none.
  void SetNote(const QString& note);
  QString Note() const { return note_; }
  // The button's keyboard shortcut as the user reads it ("Ctrl+1"); the
  // tooltip names it after the tooltip or, without one, the caption.
  void SetShortcutText(const QString& shortcut) { shortcut_ = shortcut; }
  QString ShortcutText() const { return shortcut_; }
  // What the tooltip shows: the tooltip (with the shortcut) and the note,
  // one per line.
  QString ShownTooltip() const;

  // Called after every drawing with the button and whether the normal image
  // was shown.
  using DrawCallback = std::function<void(ImageButton& button, QPainter& painter, bool normalShown)>;
  void SetDrawCallback(DrawCallback callback);

  // The caption drawn when a font is set; it also names the button for
  // screen readers unless the window gave it an accessible name of its own.
  // A tooltip names a button without a caption the same way.
  void SetCaption(const QString& caption);

  void SetAccessibleKind(AccessibleKind kind) { accessible_kind_ = kind; }
  AccessibleKind GetAccessibleKind() const { return accessible_kind_; }
  // Whether the focus ring is drawn now (focus from the keyboard).
  bool FocusRingShown() const { return focus_ring_.Shown(hasFocus()); }

  // The state the button shows now.
  ButtonState CurrentState() const;
  bool IsHovered() const { return hovered_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  // Enter and Return click the focused button as Space does.
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool event(QEvent* event) override;
  // The checked flag belongs to the window (setChecked()); a click never
  // flips it, so a chosen profile button stays chosen when clicked again.
  void nextCheckState() override {}

 private:
  void ShowTooltipNow();
  void PaintColouredKey(QPainter& painter, ButtonState state);
  void NameForScreenReaders(const QString& name);

  StateImages images_;
  QPoint origin_;
  std::optional<ButtonFont> font_;
  std::array<QColor, kButtonStateCount> text_colours_;
  QMargins text_margins_;
  Qt::Alignment text_alignment_ = Qt::AlignCenter;
  std::optional<QColor> frame_;
  FrameStyle frame_style_ = FrameStyle::kThinFrame;
  bool dimmed_ = false;
  QString note_;
  QString shortcut_;
  DrawCallback draw_callback_;
  bool hovered_ = false;
  QTimer tooltip_timer_;
  QString automatic_name_;  // the accessible name this button gave itself
  AccessibleKind accessible_kind_ = AccessibleKind::kPushButton;
  FocusRingState focus_ring_;
};

}  // namespace zarvel
