// Every window with the keyboard alone and through a screen reader's eyes
// (Qt's accessibility interfaces), offscreen: what each control says it is,
// its name and state; Tab from the first control round every control once;
// the arrows through the whole keyboard picture; key capture that never
// traps; the focus ring at 1x and 2x. Each window's figures (controls
// reachable with the keyboard and named, of all) are printed as "census:".
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEnterEvent>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QTest>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/key_dialog_pages.h"
#include "app/key_function_dialog.h"
#include "app/macro_page.h"
#include "app/main_window_parts.h"
#include "app/profile_manager_dialog.h"
#include "controls/accessible_controls.h"
#include "controls/bitmap_slider.h"
#include "controls/colour_button.h"
#include "controls/skin_picture.h"
#include "core/key_buttons.h"
#include "core/lighting_controller.h"
#include "model/evdev_keys.h"
#include "model/key_table.h"
#include "skin/widgets/focus_ring.h"
#include "skin/widgets/image_button.h"
#include "support/main_window_rig.h"

namespace zarvel {
namespace {

using testing::MainWindowRig;
namespace id = main_window_id;

QString Name(QWidget* w) {
  QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
  return i != nullptr ? i->text(QAccessible::Name) : QString();
}

std::string Label(QWidget* w) {
  return (w->metaObject()->className() + QStringLiteral(" '") + w->objectName() + "' \"" + Name(w) + '"').toStdString();
}

// The window's controls as a screen reader lists them: the shown children
// of its accessible tree that are not text.
std::vector<QWidget*> Controls(QWidget& window) {
  std::vector<QWidget*> controls;
  QAccessibleInterface* top = QAccessible::queryAccessibleInterface(&window);
  if (top == nullptr) return controls;
  for (int i = 0; i < top->childCount(); ++i) {
    QAccessibleInterface* child = top->child(i);
    auto* w = child != nullptr ? qobject_cast<QWidget*>(child->object()) : nullptr;
    if (w == nullptr || !w->isVisible() || child->role() == QAccessible::StaticText) continue;
    controls.push_back(w);
  }
  return controls;
}

// What is wrong with each control for a screen reader; empty when nothing.
std::vector<std::string> Faults(QWidget& window, int& named) {
  std::vector<std::string> faults;
  named = 0;
  for (QWidget* w : Controls(window)) {
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
    const QAccessible::Role role = i->role();
    const QAccessible::State state = i->state();
    const std::string what = Label(w);
    if (role == QAccessible::Client || role == QAccessible::NoRole || role == QAccessible::Pane ||
        role == QAccessible::Graphic)
      faults.push_back(what + ": no control role (" + std::to_string(role) + ")");
    if (i->text(QAccessible::Name).trimmed().isEmpty())
      faults.push_back(what + ": no name");
    else
      ++named;
    if (auto* b = qobject_cast<ImageButton*>(w)) {
      switch (b->GetAccessibleKind()) {
        case AccessibleKind::kPushButton:
        case AccessibleKind::kKey:
          if (role != QAccessible::Button || state.checkable) faults.push_back(what + ": not a push button");
          break;
        case AccessibleKind::kToggleButton:
        case AccessibleKind::kRadioButton:
          if (!state.checkable || bool(state.checked) != b->isChecked()) faults.push_back(what + ": checked state");
          break;
        case AccessibleKind::kPicture: faults.push_back(what + ": a picture in the tree"); break;
      }
      if (b->GetAccessibleKind() == AccessibleKind::kKey &&
          !i->text(QAccessible::Description).contains(QStringLiteral("ssigned")))
        faults.push_back(what + ": key says nothing of its assignment");
    }
    if (auto* p = qobject_cast<SkinPicture*>(w)) {
      const AccessibleKind kind = p->GetAccessibleKind();
      if ((kind == AccessibleKind::kToggleButton || kind == AccessibleKind::kRadioButton) &&
          (!state.checkable || bool(state.checked) != p->AccessibleChecked()))
        faults.push_back(what + ": checked state");
    }
    if (qobject_cast<BitmapSlider*>(w) != nullptr) {
      QAccessibleValueInterface* value = i->valueInterface();
      if (role != QAccessible::Slider || value == nullptr ||
          value->currentValue().toInt() < value->minimumValue().toInt() ||
          value->currentValue().toInt() > value->maximumValue().toInt())
        faults.push_back(what + ": slider without value and range");
    }
    if (auto* c = qobject_cast<ColourButton*>(w)) {
      if (i->text(QAccessible::Description) != ColourText(c->Colour()) ||
          !i->text(QAccessible::Description).startsWith(QStringLiteral("red ")))
        faults.push_back(what + ": colour not said");
    }
  }
  return faults;
}

// The direct child of `window` that holds `w` (a combo box's line edit
// stands for the combo box).
QWidget* StopOf(QWidget& window, QWidget* w) {
  while (w != nullptr && w->parentWidget() != &window) w = w->parentWidget();
  return w;
}

void Activate(QWidget& window) {
  window.show();
  window.activateWindow();
  QApplication::setActiveWindow(&window);
  QApplication::processEvents();
}

// Tab from `first` until the focus comes back: each stop once, in order.
std::vector<QWidget*> TabWalk(QWidget& window, QWidget* first) {
  std::vector<QWidget*> stops;
  first->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  QWidget* start = StopOf(window, QApplication::focusWidget());
  if (start == nullptr) return stops;
  stops.push_back(start);
  for (int step = 0; step < 400; ++step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* at = StopOf(window, QApplication::focusWidget());
    if (at == start || at == nullptr) break;
    stops.push_back(at);
  }
  EXPECT_EQ(StopOf(window, QApplication::focusWidget()), start) << "Tab never came back to the first control";
  return stops;
}

struct Census {
  int reachable = 0;
  int total = 0;
  int named = 0;
  int disabled = 0;  // shown greyed out: nothing to do now, so not reachable
};

// Checks the window's tree and its Tab order; `keys` are the keyboard
// picture's keys (one stop, the others reached with the arrows).
Census CheckWindow(const char* name, QWidget& window, QWidget* first, const std::set<QWidget*>& keys = {}) {
  SCOPED_TRACE(name);
  Activate(window);
  Census census;
  for (const std::string& fault : Faults(window, census.named)) ADD_FAILURE() << fault;
  const std::vector<QWidget*> controls = Controls(window);
  census.total = static_cast<int>(controls.size());

  const std::vector<QWidget*> stops = TabWalk(window, first);
  if (std::getenv("ZARVEL_SHOW_TAB_WALK") != nullptr) {
    for (QWidget* stop : stops) std::printf("  tab: %s\n", Label(stop).c_str());
    for (QWidget* key : keys)
      if (key->focusPolicy() == Qt::StrongFocus)
        std::printf("  stop: %s enabled %d visible %d\n", Label(key).c_str(), key->isEnabled(), key->isVisible());
  }
  std::map<QWidget*, int> visits;
  int key_stops = 0;
  for (QWidget* stop : stops) {
    ++visits[stop];
    if (keys.count(stop) != 0) ++key_stops;
  }
  for (const auto& [stop, count] : visits)
    EXPECT_EQ(count, 1) << Label(stop) << " visited " << count << " times";
  if (!keys.empty()) {
    EXPECT_EQ(key_stops, 1) << "the keyboard picture is not one stop";
  }
  for (QWidget* control : controls) {
    const bool reached =
        visits.count(control) != 0 || (keys.count(control) != 0 && key_stops == 1 && control->isEnabled());
    if (!control->isEnabled()) ++census.disabled;
    if (reached) {
      ++census.reachable;
    } else if (control->isEnabled()) {
      ADD_FAILURE() << Label(control) << " is not reached with Tab";
    }
  }
  std::printf("census: %s: reachable by keyboard %d/%d (%d disabled), named %d/%d\n", name, census.reachable,
              census.total, census.disabled, census.named, census.total);
  return census;
}

std::set<QWidget*> PictureKeys(MainWindowRig& rig) {
  std::set<QWidget*> keys;
  std::vector<int> ids = rig.window->KeyButtonIds();
  for (int spare : kSpareButtonIds) ids.push_back(spare);
  ids.push_back(kSpareKeyButtonId);
  for (int key : ids)
    if (ImageButton* b = rig.window->KeyButton(key); b != nullptr && b->isVisible()) keys.insert(b);
  return keys;
}

// A key event as the window system gives it, with the native scan code.
void SendNative(Qt::Key qt_key, unsigned evdev, QEvent::Type type = QEvent::KeyPress) {
  QKeyEvent event(type, qt_key, Qt::NoModifier, evdev + 8, 0, 0);
  QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : QApplication::activeWindow();
  if (target != nullptr) QApplication::sendEvent(target, &event);
}
void TapNative(Qt::Key qt_key, unsigned evdev) {
  SendNative(qt_key, evdev);
  SendNative(qt_key, evdev, QEvent::KeyRelease);
  QApplication::processEvents();
}
constexpr unsigned kEvdevEsc = 1, kEvdevTab = 15, kEvdevEnter = 28;

class KeyboardAccessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rig.Connect());
    rig.window->ShowRequest();
    ASSERT_TRUE(rig.WaitFor([&] { return rig.window->isVisible(); }));
    Activate(*rig.window);
  }
  ImageButton* Button(int control) { return static_cast<ImageButton*>(rig.window->Control(control)); }
  QWidget* First() { return rig.window->Control(id::kLink); }
  KeyFunctionDialog* KeyDialog() { return rig.window->findChild<KeyFunctionDialog*>(); }

  MainWindowRig rig;
};

TEST_F(KeyboardAccessTest, MainWindowWithLightingOffAndOn) {
  // It opens with the focus in the keyboard picture, on a key that can take it.
  ASSERT_EQ(PictureKeys(rig).count(QApplication::focusWidget()), 1u);
  EXPECT_TRUE(QApplication::focusWidget()->isEnabled());
  const Census off = CheckWindow("main window, lighting off", *rig.window, First(), PictureKeys(rig));
  // Disabled: Apply (nothing to apply yet), G6..G9 (no place on this
  // keyboard), D1..D6 (while F1..F4 have their place).
  EXPECT_EQ(off.reachable, off.total - off.disabled);
  EXPECT_EQ(off.named, off.total);

  LightingController& lighting = rig.core->Lighting();
  if (!lighting.State().lightingSwitch) lighting.ToggleLightingSwitch();
  ASSERT_TRUE(rig.WaitIdle());
  lighting.SelectEffect(lighting.State().effects.PositionOf(kUserEffect));
  ASSERT_TRUE(rig.WaitIdle());
  const Census on = CheckWindow("main window, lighting on (user colours)", *rig.window, First(), PictureKeys(rig));
  EXPECT_GT(on.total, off.total);
  EXPECT_EQ(on.named, on.total);
  // The panel's pictures say what they are and whether they are chosen.
  auto* light_switch = rig.window->findChild<SkinPicture*>("CONTROL_DengStaPic");
  ASSERT_NE(light_switch, nullptr);
  EXPECT_TRUE(QAccessible::queryAccessibleInterface(light_switch)->state().checked);
  auto* slider = rig.window->findChild<BitmapSlider*>("CONTROL_LightSlider");
  ASSERT_NE(slider, nullptr);
  EXPECT_EQ(Name(slider), QStringLiteral("Brightness"));
  EXPECT_EQ(QAccessible::queryAccessibleInterface(slider)->valueInterface()->maximumValue().toInt(), 4);
  auto* paint = rig.window->findChild<ColourButton*>("CONTROL_USERysButton");
  ASSERT_NE(paint, nullptr);
  paint->SetColour(QColor(255, 0, 0));
  EXPECT_EQ(QAccessible::queryAccessibleInterface(paint)->text(QAccessible::Description),
            QStringLiteral("red 255, green 0, blue 0"));
}

TEST_F(KeyboardAccessTest, ProfileButtonsAreRadioButtonsWithShortcuts) {
  QAccessibleInterface* second = QAccessible::queryAccessibleInterface(Button(kProfileButtonIds[1]));
  EXPECT_EQ(second->role(), QAccessible::RadioButton);
  EXPECT_EQ(second->text(QAccessible::Name), QStringLiteral("Profile 2"));
  EXPECT_TRUE(Button(kProfileButtonIds[1])->ShownTooltip().contains(QStringLiteral("Ctrl+2")));
  ASSERT_NE(second->actionInterface(), nullptr);
  EXPECT_EQ(second->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
            QStringList{QStringLiteral("Ctrl+2")});
  QAccessibleInterface* ok = QAccessible::queryAccessibleInterface(Button(id::kOk));
  EXPECT_EQ(ok->role(), QAccessible::Button);
  EXPECT_FALSE(ok->state().checkable);
  // Ctrl+2 switches to the second profile as its button does.
  QTest::keyClick(rig.window.get(), Qt::Key_2, Qt::ControlModifier);
  ASSERT_TRUE(rig.WaitIdle());
  ASSERT_TRUE(rig.WaitFor([&] { return Button(kProfileButtonIds[1])->isChecked(); }));
  EXPECT_TRUE(QAccessible::queryAccessibleInterface(Button(kProfileButtonIds[1]))->state().checked);
  EXPECT_FALSE(QAccessible::queryAccessibleInterface(Button(kProfileButtonIds[0]))->state().checked);
  // Pictures that do nothing are not in the tree.
  for (int picture : {id::kLockCaps, id::kLeftArrow})
    for (QWidget* control : Controls(*rig.window)) EXPECT_NE(control, rig.window->Control(picture));
}

// The arrows reach every key of the picture (the 104 keys, the G keys that
// have a place, Fn) from the one Tab stop, and the focused key's own button
// has the focus.
TEST_F(KeyboardAccessTest, ArrowKeysReachEveryKeyOfThePicture) {
  std::set<QWidget*> keys;
  for (int key : rig.window->KeyButtonIds())
    if (ImageButton* b = rig.window->KeyButton(key); b->isVisible() && b->isEnabled()) keys.insert(b);
  ASSERT_GE(keys.size(), 104u + 5u + 1u);  // the keys, G1..G5, Fn
  const std::set<QWidget*> picture = PictureKeys(rig);
  Button(id::kDefault)->setFocus(Qt::TabFocusReason);
  // Tab from the profile row goes into the picture on its one stop.
  QWidget* start = nullptr;
  for (int step = 0; step < 80 && start == nullptr; ++step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    if (picture.count(QApplication::focusWidget()) != 0) start = QApplication::focusWidget();
  }
  ASSERT_NE(start, nullptr) << "Tab never reached the keyboard picture";
  std::set<QWidget*> reached{start};
  std::vector<QWidget*> todo{start};
  while (!todo.empty()) {
    QWidget* at = todo.back();
    todo.pop_back();
    for (Qt::Key arrow : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End}) {
      at->setFocus(Qt::OtherFocusReason);
      QTest::keyClick(at, arrow);
      QWidget* now = QApplication::focusWidget();
      ASSERT_TRUE(picture.count(now) != 0) << "an arrow left the picture: " << Label(now);
      if (reached.insert(now).second) todo.push_back(now);
    }
  }
  for (QWidget* key : keys) EXPECT_TRUE(reached.count(key) != 0) << Label(key) << " is never reached";
  // The last key focused is the picture's Tab stop from then on.
  QWidget* last = *reached.rbegin();
  last->setFocus(Qt::OtherFocusReason);
  QTest::keyClick(last, Qt::Key_Tab);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  EXPECT_EQ(QApplication::focusWidget(), last);
}

// Space on a focused key opens its dialog, where the key box takes the
// next key; Tab and Esc can be assigned, and the dialog still closes with
// the keyboard alone.
TEST_F(KeyboardAccessTest, KeyCaptureNeverTrapsAndDialogsAnswerEnterAndEsc) {
  ImageButton* f1 = rig.window->KeyButton(1010);
  f1->setFocus(Qt::OtherFocusReason);
  QTest::keyClick(f1, Qt::Key_Space);
  KeyFunctionDialog* dialog = KeyDialog();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(dialog->isVisible());
  Activate(*dialog);
  QLineEdit& box = dialog->SingleKey().KeyBox();
  ASSERT_EQ(QApplication::focusWidget(), &box);
  ASSERT_TRUE(dialog->CaptureActive());

  const QString tab = QString::fromStdString(KeyDisplayName(0x0F));
  TapNative(Qt::Key_Tab, kEvdevTab);
  EXPECT_EQ(box.text(), tab);
  EXPECT_EQ(QApplication::focusWidget(), &box);  // taken, not moved on
  QApplication::processEvents();
  EXPECT_FALSE(dialog->Capturing());
  TapNative(Qt::Key_Tab, kEvdevTab);  // now Tab moves on
  EXPECT_NE(QApplication::focusWidget(), &box);
  EXPECT_EQ(box.text(), tab);

  box.setFocus(Qt::BacktabFocusReason);
  QTest::keyClick(&box, Qt::Key_Space);  // asks for the next key
  EXPECT_TRUE(dialog->Capturing());
  TapNative(Qt::Key_Escape, kEvdevEsc);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(box.text(), QString::fromStdString(KeyDisplayName(0x01)));
  QApplication::processEvents();
  // Enter confirms (OK), storing Esc for F1.
  TapNative(Qt::Key_Return, kEvdevEnter);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(rig.core->KeyRecord(0x3B), testing::KeyTo(0x01));

  // Opened again with Enter on the key: Tab assigned, then Esc cancels.
  Activate(*rig.window);
  f1->setFocus(Qt::OtherFocusReason);
  QTest::keyClick(f1, Qt::Key_Return);
  ASSERT_TRUE(dialog->isVisible());
  Activate(*dialog);
  TapNative(Qt::Key_Tab, kEvdevTab);
  TapNative(Qt::Key_Escape, kEvdevEsc);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(rig.core->KeyRecord(0x3B), testing::KeyTo(0x01));  // cancelled: still Esc
  // The main window keeps Enter and Esc: they never hide it.
  Activate(*rig.window);
  QTest::keyClick(rig.window.get(), Qt::Key_Escape);
  EXPECT_TRUE(rig.window->isVisible());
}

TEST_F(KeyboardAccessTest, KeyDialogMacroEditorAndProfileManager) {
  rig.window->KeyButton(1010)->click();
  KeyFunctionDialog* dialog = KeyDialog();
  ASSERT_NE(dialog, nullptr);
  Activate(*dialog);
  TapNative(Qt::Key_Tab, kEvdevTab);  // the key box takes its key first
  QApplication::processEvents();
  const Census single = CheckWindow("key dialog, single key", *dialog, &dialog->PageButton(KeyPage::kSingleKey));
  EXPECT_EQ(single.named, single.total);
  EXPECT_EQ(single.reachable, single.total - single.disabled);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(&dialog->PageButton(KeyPage::kSingleKey))->role(),
            QAccessible::RadioButton);
  // Keyboard or mouse: one of two.
  QAccessibleInterface* keyboard = QAccessible::queryAccessibleInterface(&dialog->SingleKey().KeyboardBox());
  EXPECT_EQ(keyboard->role(), QAccessible::RadioButton);
  EXPECT_TRUE(keyboard->state().checked);
  EXPECT_FALSE(QAccessible::queryAccessibleInterface(&dialog->SingleKey().MouseBox())->state().checked);
  dialog->CancelButton().click();

  Activate(*rig.window);
  QTest::keyClick(rig.window.get(), Qt::Key_M, Qt::AltModifier);  // Macros
  ASSERT_TRUE(dialog->isVisible());
  Activate(*dialog);
  dialog->Macros().AddButton().setFocus(Qt::TabFocusReason);
  QTest::keyClick(&dialog->Macros().AddButton(), Qt::Key_Space);  // a macro to edit
  const Census macros = CheckWindow("macro editor", *dialog, &dialog->Macros().NameBox());
  EXPECT_EQ(macros.named, macros.total);
  EXPECT_EQ(macros.reachable, macros.total - macros.disabled);
  // Recording takes every key, Tab and Esc too; Esc held for a second and
  // let go stops it, leaves no Esc behind and keeps the dialog open.
  ImageButton& record = dialog->Macros().RecordButton();
  record.setFocus(Qt::TabFocusReason);
  QTest::keyClick(&record, Qt::Key_Space);
  ASSERT_TRUE(dialog->Capturing());
  EXPECT_FALSE(record.toolTip().isEmpty());  // says how to stop
  TapNative(Qt::Key_Tab, kEvdevTab);
  EXPECT_EQ(QApplication::focusWidget(), &record);
  SendNative(Qt::Key_Escape, kEvdevEsc);
  QTest::qWait(1100);
  SendNative(Qt::Key_Escape, kEvdevEsc, QEvent::KeyRelease);
  QApplication::processEvents();
  EXPECT_FALSE(dialog->Capturing());
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(record.isChecked());
  EXPECT_EQ(dialog->Macros().ActionList().Rows().rowCount(), 2);  // Tab's press and release
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_FALSE(dialog->isVisible());

  Activate(*rig.window);
  QTest::keyClick(rig.window.get(), Qt::Key_P, Qt::AltModifier);  // profile files
  auto* manager = rig.window->findChild<ProfileManagerDialog*>();
  ASSERT_NE(manager, nullptr);
  ASSERT_TRUE(manager->isVisible());
  Activate(*manager);
  QWidget* list = manager->findChild<QWidget*>("PROGRAM_LIST");
  const Census profiles = CheckWindow("profile manager", *manager, list);
  EXPECT_EQ(profiles.named, profiles.total);
  EXPECT_EQ(profiles.reachable, profiles.total - profiles.disabled);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_FALSE(manager->isVisible());
}

// The ring shows on every face a focused button can show, at 1x and 2x,
// after Tab but not after a click. Pictures go to build/screenshots/.
TEST_F(KeyboardAccessTest, FocusRingShowsOnEveryButtonFace) {
  Activate(*rig.window);
  QDir().mkpath("screenshots");
  auto ring_pixels = [](const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        if (std::abs(c.red() - kFocusRingColour.red()) < 8 && std::abs(c.green() - kFocusRingColour.green()) < 8 &&
            std::abs(c.blue() - kFocusRingColour.blue()) < 8)
          ++count;
      }
    return count;
  };
  auto render = [](QWidget& w, qreal ratio) {
    QImage image((QSizeF(w.size()) * ratio).toSize(), QImage::Format_ARGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::black);
    w.render(&image);
    return image;
  };
  for (int control : {static_cast<int>(id::kOk), kProfileButtonIds[0], 1058 /* A */}) {
    ImageButton* b = Button(control);
    Button(id::kHelp)->setFocus(Qt::TabFocusReason);
    b->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(b->FocusRingShown()) << control;
    const int ring_length = 2 * (b->width() + b->height());
    for (const char* face : {"normal", "hovered", "pressed", "checked", "coloured"}) {
      const std::string f = face;
      b->setChecked(f == "checked");
      b->setDown(f == "pressed");
      if (f == "hovered") {
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QApplication::sendEvent(b, &enter);
      } else {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(b, &leave);
      }
      if (f == "coloured") b->SetFrame(QColor(0, 180, 230));  // a key tinted in a cyan of its own
      for (qreal ratio : {1.0, 2.0}) {
        const QImage image = render(*b, ratio);
        image.save(QStringLiteral("screenshots/focus_%1_%2_%3x.png").arg(control).arg(face).arg(ratio));
        EXPECT_GE(ring_pixels(image), static_cast<int>(ring_length * ratio * ratio * 1.5))
            << control << ' ' << face << " at " << ratio << "x";
      }
      b->ClearFrame();
    }
    b->setDown(false);
  }
  const QImage window = rig.window->grab().toImage();
  window.save(QStringLiteral("screenshots/focus_main_window.png"));
  // A click shows no ring.
  ImageButton* help = Button(id::kHelp);
  help->setFocus(Qt::TabFocusReason);
  EXPECT_TRUE(help->FocusRingShown());
  QTest::mouseClick(help, Qt::LeftButton);
  EXPECT_FALSE(help->FocusRingShown());
}

}  // namespace
}  // namespace zarvel
