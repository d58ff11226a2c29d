#pragma once
// The mouse and keyboard gestures of the keyboard picture that select many
// keys, and the edit commands that go with them: a drag draws a rubber band
// and selects the keys it touches (Shift adds, Ctrl toggles), Ctrl+click and
// Shift+click on a key, Ctrl+A, Esc, the key groups; the selected keys drawn
// over the picture; the key's context menu (copy and paste its function,
// paint the selection, select a group); Ctrl+C / Ctrl+V, Ctrl+Z and
// Ctrl+Shift+Z / Ctrl+Y; the main menu's Undo, Redo, Select keys and Copy
// this profile to.
//
// What a gesture selects, what a click paints and what undo, paste and the
// profile copy do are the core's (AppCore: Selection(), KeyClick(), Undo(),
// PasteKey(), CopyProfile()); this class only turns Qt's events into those
// calls and shows the result.
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>

class QMenu;
class QRubberBand;
class QWidget;

namespace zarvel {

class AppCore;
class ImageButton;
class KeyButtonAccess;

class KeySelectionGestures : public QObject {
  Q_OBJECT
 public:
  // Runs keyboard work of the core (on the window's keyboard-write worker),
  // then `done` on the window's thread.
  using WorkRunner = std::function<void(std::function<void()> work, std::function<void()> done)>;

  // `window` holds the key buttons that `keys` names; both must outlive this.
  KeySelectionGestures(QWidget& window, KeyButtonAccess& keys, WorkRunner run);
  ~KeySelectionGestures() override;

  void AttachCore(AppCore* core) { core_ = core; }
  // Before a key click reaches the core: the selection learns which keys
  // can be selected now (the lighting may have changed since).
  void SyncKeys();
  // The main menu's entries: Undo, Redo, Select keys, Copy this profile to.
  void AddMenuEntries(QMenu& menu);
  // Draws the selection again (after the core changed it).
  void Refresh();

  // The gestures as the shortcuts run them (tests call them too).
  void SelectAll();
  void ClearSelection();
  void Undo();
  void Redo();
  void CopyFocusedKey();
  void PasteToSelection();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Overlay;
  int ButtonIdOf(const QObject* object) const;
  // The key a Ctrl+C or Ctrl+V is for: the focused key button, else the key
  // last right-clicked; -1 when neither.
  int TargetKey() const;
  bool OnPress(QObject* watched, int button_id, QPoint at, Qt::KeyboardModifiers modifiers);
  // Shift extends the selection to the key, Ctrl toggles it (a click or
  // Space with those keys held); false, and nothing done, without them or
  // for a key that cannot be selected.
  bool SelectWithModifiers(int button_id, Qt::KeyboardModifiers modifiers);
  bool OnMove(QPoint at);
  bool OnRelease();
  void ShowKeyMenu(int button_id, QPoint global);
  void AddSelectEntries(QMenu& menu);
  void RunEdit(std::function<void(AppCore&)> edit);

  QWidget& window_;
  KeyButtonAccess& keys_;
  WorkRunner run_;
  AppCore* core_ = nullptr;
  Overlay* overlay_ = nullptr;
  QRubberBand* band_ = nullptr;
  // The press that may become a drag.
  bool pressed_ = false;
  bool banding_ = false;
  int pressed_button_ = -1;
  QPoint press_at_;
  Qt::KeyboardModifiers press_modifiers_;
  int context_key_ = -1;
  // The selection was made while the keys showed their colours.
  bool selected_in_colours_ = false;
};

}  // namespace zarvel
