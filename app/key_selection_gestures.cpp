#include "app/key_selection_gestures.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QShortcut>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <string>

#include "app/window_parts.h"
#include "core/app_core.h"
#include "core/key_buttons.h"
#include "core/lighting_controller.h"
#include "skin/language.h"
#include "skin/message_format.h"
#include "skin/widgets/image_button.h"

namespace zarvel {

namespace {

QString Text(const char* key) { return QString::fromStdString(LookupText(key)); }

KeyRect RectOf(const QRect& rect) { return {0, rect.left(), rect.top(), rect.width(), rect.height()}; }

}  // namespace

// Draws the selected keys over the picture: a light wash over the key and a
// black-and-white dashed outline just outside it, so a selected key stands
// out from a painted one (painted keys are tinted and framed in their own
// colour) whatever that colour is. It never takes the mouse.
class KeySelectionGestures::Overlay : public QWidget {
 public:
  Overlay(QWidget& window, KeySelectionGestures& owner) : QWidget(&window), owner_(owner) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setObjectName("KeySelectionOverlay");
    setGeometry(window.rect());
    // Shown only while keys are selected: nothing extra lies over the window
    // (or in its accessibility tree) otherwise.
    hide();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    AppCore* core = owner_.core_;
    if (core == nullptr || core->Selection().Empty()) return;
    QPainter painter(this);
    for (int id : core->Selection().Selected()) {
      ImageButton* button = owner_.keys_.KeyButton(id);
      if (button == nullptr || !button->isVisible()) continue;
      // A selection of the other mode (the lighting switch moved since) is
      // not shown; the next gesture drops it.
      if (button->InFrameMode() != owner_.selected_in_colours_) continue;
      const QRect key(button->mapTo(parentWidget(), QPoint(0, 0)), button->size());
      painter.fillRect(key, QColor(255, 255, 255, 90));
      const QRect outline = key.adjusted(-2, -2, 1, 1);
      painter.setPen(QPen(Qt::black, 2));
      painter.drawRect(outline);
      QPen dashes(Qt::white, 2, Qt::CustomDashLine);
      dashes.setDashPattern({3, 3});
      painter.setPen(dashes);
      painter.drawRect(outline);
    }
  }

 private:
  KeySelectionGestures& owner_;
};

KeySelectionGestures::KeySelectionGestures(QWidget& window, KeyButtonAccess& keys, WorkRunner run)
    : QObject(&window), window_(window), keys_(keys), run_(std::move(run)) {
  overlay_ = new Overlay(window, *this);
  band_ = new QRubberBand(QRubberBand::Rectangle, &window);
  band_->hide();
  window.installEventFilter(this);
  for (int id : keys_.KeyButtonIds()) {
    if (ImageButton* button = keys_.KeyButton(id)) button->installEventFilter(this);
  }
  auto add = [&](QKeySequence keys_pressed, void (KeySelectionGestures::*slot)()) {
    auto* shortcut = new QShortcut(keys_pressed, &window);
    connect(shortcut, &QShortcut::activated, this, slot);
  };
  add(QKeySequence(Qt::CTRL | Qt::Key_A), &KeySelectionGestures::SelectAll);
  add(QKeySequence(Qt::Key_Escape), &KeySelectionGestures::ClearSelection);
  add(QKeySequence(Qt::CTRL | Qt::Key_C), &KeySelectionGestures::CopyFocusedKey);
  add(QKeySequence(Qt::CTRL | Qt::Key_V), &KeySelectionGestures::PasteToSelection);
  add(QKeySequence(Qt::CTRL | Qt::Key_Z), &KeySelectionGestures::Undo);
  add(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &KeySelectionGestures::Redo);
  add(QKeySequence(Qt::CTRL | Qt::Key_Y), &KeySelectionGestures::Redo);
}

KeySelectionGestures::~KeySelectionGestures() = default;

int KeySelectionGestures::ButtonIdOf(const QObject* object) const {
  for (int id : keys_.KeyButtonIds()) {
    if (keys_.KeyButton(id) == object) return id;
  }
  return -1;
}

void KeySelectionGestures::SyncKeys() {
  if (core_ == nullptr) return;
  std::vector<KeyRect> rects;
  for (int id : keys_.KeyButtonIds()) {
    ImageButton* button = keys_.KeyButton(id);
    if (button == nullptr || !button->isVisible() || !button->isEnabled()) continue;
    KeyRect rect = RectOf(QRect(button->mapTo(&window_, QPoint(0, 0)), button->size()));
    rect.buttonId = id;
    rects.push_back(rect);
  }
  core_->SetSelectionKeys(rects);
  const bool colours = core_->Lighting().State().lightingSwitch;
  if (colours != selected_in_colours_) core_->Selection().Clear();
  selected_in_colours_ = colours;
  Refresh();
  // The click that follows may end the selection: draw it again after.
  QTimer::singleShot(0, this, [this] { Refresh(); });
}

void KeySelectionGestures::Refresh() {
  const bool shown = core_ != nullptr && !core_->Selection().Empty();
  if (shown) {
    overlay_->setGeometry(window_.rect());
    overlay_->raise();
    overlay_->update();
  }
  overlay_->setVisible(shown);
}

void KeySelectionGestures::SelectAll() {
  if (core_ == nullptr) return;
  SyncKeys();
  core_->Selection().SelectAll();
  Refresh();
}

void KeySelectionGestures::ClearSelection() {
  if (core_ == nullptr) return;
  core_->Selection().Clear();
  Refresh();
}

void KeySelectionGestures::RunEdit(std::function<void(AppCore&)> edit) {
  if (core_ == nullptr) return;
  AppCore* core = core_;
  run_([core, edit] { edit(*core); }, [this] { Refresh(); });
}

void KeySelectionGestures::Undo() {
  RunEdit([](AppCore& core) { core.Undo(); });
}

void KeySelectionGestures::Redo() {
  RunEdit([](AppCore& core) { core.Redo(); });
}

int KeySelectionGestures::TargetKey() const {
  const int focused = ButtonIdOf(QApplication::focusWidget());
  return focused >= 0 ? focused : context_key_;
}

void KeySelectionGestures::CopyFocusedKey() {
  if (core_ == nullptr) return;
  const int key = TargetKey();
  if (key >= 0) core_->CopyKey(key);
}

void KeySelectionGestures::PasteToSelection() {
  if (core_ == nullptr || !core_->HasCopiedKey()) return;
  SyncKeys();
  const int key = TargetKey();
  RunEdit([key](AppCore& core) { core.PasteKey(key); });
}

bool KeySelectionGestures::eventFilter(QObject* watched, QEvent* event) {
  if (core_ == nullptr) return false;
  const int id = ButtonIdOf(watched);
  if (watched != &window_ && id < 0) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) return false;
      const QPoint at = static_cast<QWidget*>(watched)->mapTo(&window_, mouse->position().toPoint());
      return OnPress(watched, id, at, mouse->modifiers());
    }
    case QEvent::MouseMove: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (!pressed_ || !(mouse->buttons() & Qt::LeftButton)) return false;
      return OnMove(static_cast<QWidget*>(watched)->mapTo(&window_, mouse->position().toPoint()));
    }
    case QEvent::MouseButtonRelease:
      if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
      return OnRelease();
    case QEvent::KeyPress: {
      // Ctrl+Space and Shift+Space on the focused key select as Ctrl+click
      // and Shift+click do: several keys picked with the keyboard alone.
      auto* press = static_cast<QKeyEvent*>(event);
      if (id < 0 || press->key() != Qt::Key_Space) return false;
      SyncKeys();
      return SelectWithModifiers(id, press->modifiers());
    }
    case QEvent::ContextMenu:
      if (id < 0) return false;
      ShowKeyMenu(id, static_cast<QContextMenuEvent*>(event)->globalPos());
      return true;
    default:
      return false;
  }
}

bool KeySelectionGestures::OnPress(QObject* watched, int button_id, QPoint at, Qt::KeyboardModifiers modifiers) {
  SyncKeys();
  KeySelection& selection = core_->Selection();
  if (watched == &window_) {
    // The background between the keys starts a rubber band; elsewhere it
    // stays the window's caption that moves the window.
    QRect area;
    for (const KeyRect& key : selection.SelectableKeys()) area |= QRect(key.left, key.top, key.width, key.height);
    if (area.isEmpty() || !area.adjusted(-8, -8, 8, 8).contains(at)) return false;
  } else if (SelectWithModifiers(button_id, modifiers)) {
    // Ctrl+click and Shift+click select; the key itself is not clicked.
    return true;
  }
  pressed_ = true;
  banding_ = false;
  pressed_button_ = button_id;
  press_at_ = at;
  press_modifiers_ = modifiers;
  // A key button still gets its press: without a drag it is a click.
  return watched == &window_;
}

bool KeySelectionGestures::SelectWithModifiers(int button_id, Qt::KeyboardModifiers modifiers) {
  KeySelection& selection = core_->Selection();
  if (!(modifiers & (Qt::ControlModifier | Qt::ShiftModifier)) || !selection.Selectable(button_id)) return false;
  if (modifiers & Qt::ShiftModifier)
    selection.Extend(button_id);
  else
    selection.Toggle(button_id);
  Refresh();
  return true;
}

bool KeySelectionGestures::OnMove(QPoint at) {
  if (!banding_) {
    if ((at - press_at_).manhattanLength() < QApplication::startDragDistance()) return false;
    if (core_->Selection().SelectableKeys().empty()) return false;
    banding_ = true;
    // The key under the press is no longer clicked when the button lets go.
    if (ImageButton* button = keys_.KeyButton(pressed_button_)) button->setDown(false);
    band_->raise();
    band_->show();
  }
  band_->setGeometry(QRect(press_at_, at).normalized());
  return true;
}

bool KeySelectionGestures::OnRelease() {
  if (!pressed_) return false;
  pressed_ = false;
  if (!banding_) return pressed_button_ < 0;
  banding_ = false;
  const QRect rect = band_->geometry();
  band_->hide();
  const SelectMode mode = (press_modifiers_ & Qt::ShiftModifier)     ? SelectMode::kAdd
                          : (press_modifiers_ & Qt::ControlModifier) ? SelectMode::kToggle
                                                                     : SelectMode::kReplace;
  core_->Selection().Band(RectOf(rect), mode);
  Refresh();
  // A key button lets go of a press that is no longer down: no click.
  return pressed_button_ < 0;
}

void KeySelectionGestures::AddSelectEntries(QMenu& menu) {
  QMenu* select = menu.addMenu(Text("SELECT_MENU"));
  select->setToolTip(Text("SELECT_MENU_PROMPT"));
  select->setToolTipsVisible(true);
  select->addAction(Text("SELECT_ALL"), this, &KeySelectionGestures::SelectAll);
  select->addAction(Text("SELECT_NONE"), this, &KeySelectionGestures::ClearSelection);
  select->addSeparator();
  for (const KeyGroupName& group : KeyGroupNames()) {
    const KeyGroup which = group.group;
    select->addAction(QString::fromStdString(LookupText(std::string(group.textKey))), this, [this, which] {
      if (core_ == nullptr) return;
      SyncKeys();
      core_->Selection().SelectGroup(which, SelectMode::kReplace);
      // A group without a selectable key (no arrow key has a light) says so
      // rather than seeming to do nothing.
      if (core_->Selection().Empty()) core_->Prompts().ShowMessage("SELECT_NOTHING_LIT", LookupText("SELECT_NOTHING_LIT"));
      Refresh();
    });
  }
}

void KeySelectionGestures::AddMenuEntries(QMenu& menu) {
  if (core_ == nullptr) return;
  QAction* undo = menu.addAction(Text("MENU_UNDO"), this, &KeySelectionGestures::Undo);
  undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  undo->setEnabled(core_->CanUndo());
  QAction* redo = menu.addAction(Text("MENU_REDO"), this, &KeySelectionGestures::Redo);
  redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
  redo->setEnabled(core_->CanRedo());
  AddSelectEntries(menu);
  QMenu* copy = menu.addMenu(Text("MENU_COPY_PROFILE"));
  const int from = core_->CurrentProfile();
  for (const bool lighting : {false, true}) {
    for (int to = 0; to < 4; ++to) {
      if (to == from) continue;
      const std::string text = FormatMessage(
          LookupText(lighting ? "MENU_COPY_PROFILE_LIGHTING" : "MENU_COPY_PROFILE_TO"), {std::to_string(to + 1)});
      copy->addAction(QString::fromStdString(text), this, [this, from, to, lighting] {
        RunEdit([from, to, lighting](AppCore& core) { core.CopyProfile(from, to, lighting); });
      });
    }
    if (!lighting) copy->addSeparator();
  }
}

void KeySelectionGestures::ShowKeyMenu(int button_id, QPoint global) {
  context_key_ = button_id;
  SyncKeys();
  QMenu menu(&window_);
  QAction* copy = menu.addAction(Text("KEY_MENU_COPY"), this, [this, button_id] { core_->CopyKey(button_id); });
  copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  copy->setEnabled(KeyOfButton(button_id).record >= 0);
  QAction* paste = menu.addAction(Text("KEY_MENU_PASTE"), this, [this, button_id] {
    context_key_ = button_id;
    RunEdit([button_id](AppCore& core) { core.PasteKey(button_id); });
  });
  paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
  paste->setEnabled(core_->HasCopiedKey() && KeyOfButton(button_id).record >= 0);
  if (core_->Lighting().State().lightingSwitch && core_->Selection().Selected().size() > 1) {
    menu.addAction(Text("KEY_MENU_PAINT_SELECTION"), this, [this] {
      core_->Lighting().PaintKeys(core_->Selection().SelectedList());
    });
  }
  menu.addSeparator();
  AddSelectEntries(menu);
  menu.exec(global);
}

}  // namespace zarvel
