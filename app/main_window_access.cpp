// The main window for the keyboard and screen readers: what each control is
// to a screen reader and its name, the Tab order (top bar, profile row, the
// keyboard picture as one stop, the lighting panel, the bottom row) and the
// shortcuts.
#include <QComboBox>
#include <QLineEdit>
#include <algorithm>
#include <array>

#include "app/key_picture_focus.h"
#include "app/main_window.h"
#include "app/main_window_parts.h"
#include "app/window_keyboard_access.h"
#include "controls/accessible_controls.h"
#include "controls/bitmap_slider.h"
#include "controls/colour_button.h"
#include "controls/skin_picture.h"
#include "core/key_buttons.h"
#include "core/reading_order.h"
#include "skin/language.h"

namespace zarvel {

namespace {

namespace id = main_window_id;

QString Text(std::string_view key) { return QString::fromStdString(LookupText(key)); }

// The lighting panel's controls by their skin key: what each is and its
// name's language key.
struct PanelControl {
  const char* skinKey;
  AccessibleKind kind;
  const char* nameKey;
};
constexpr std::array kPanelControls = {
    PanelControl{"CONTROL_DengStaPic", AccessibleKind::kToggleButton, "ACCESS_LIGHTING_SWITCH"},
    PanelControl{"CONTROL_XGcombox", AccessibleKind::kPushButton, "ACCESS_EFFECT"},
    PanelControl{"CONTROL_LightSlider", AccessibleKind::kPushButton, "ACCESS_BRIGHTNESS"},
    PanelControl{"CONTROL_SpeedSlider", AccessibleKind::kPushButton, "ACCESS_SPEED"},
    PanelControl{"CONTROL_BLFXLStaPic", AccessibleKind::kRadioButton, "ACCESS_FIRST_DIRECTION"},
    PanelControl{"CONTROL_BLFXRStaPic", AccessibleKind::kRadioButton, "ACCESS_SECOND_DIRECTION"},
    PanelControl{"CONTROL_HXysButton", AccessibleKind::kPushButton, "ACCESS_FIRST_COLOUR"},
    PanelControl{"CONTROL_HXsjsStaPic", AccessibleKind::kToggleButton, "ACCESS_RANDOM_COLOUR"},
    PanelControl{"CONTROL_FYYSButton", AccessibleKind::kPushButton, "ACCESS_SECOND_COLOUR"},
    PanelControl{"CONTROL_FYSJSStaPic", AccessibleKind::kToggleButton, "ACCESS_SECOND_RANDOM_COLOUR"},
    PanelControl{"CONTROL_HONGPIC", AccessibleKind::kRadioButton, "ACCESS_CHOICE_RED"},
    PanelControl{"CONTROL_HUANGPIC", AccessibleKind::kRadioButton, "ACCESS_CHOICE_YELLOW"},
    PanelControl{"CONTROL_LVPIC", AccessibleKind::kRadioButton, "ACCESS_CHOICE_GREEN"},
    PanelControl{"CONTROL_LANPIC", AccessibleKind::kRadioButton, "ACCESS_CHOICE_BLUE"},
    PanelControl{"CONTROL_umCombo", AccessibleKind::kPushButton, "ACCESS_COLOUR_SLOT"},
    PanelControl{"CONTROL_USERysButton", AccessibleKind::kPushButton, "ACCESS_PAINT_COLOUR"},
    PanelControl{"CONTROL_USERjsButton", AccessibleKind::kPushButton, "ACCESS_BASE_COLOUR"},
    PanelControl{"CONTROL_USERgjStaPic1", AccessibleKind::kRadioButton, "ACCESS_PAINT_TOOL"},
    PanelControl{"CONTROL_USERgjStaPic2", AccessibleKind::kRadioButton, "ACCESS_BASE_TOOL"},
    PanelControl{"COLOR_R", AccessibleKind::kPushButton, "ACCESS_RED"},
    PanelControl{"COLOR_G", AccessibleKind::kPushButton, "ACCESS_GREEN"},
    PanelControl{"COLOR_B", AccessibleKind::kPushButton, "ACCESS_BLUE"},
};

// Names of the main window's buttons that have neither caption nor tooltip.
constexpr std::pair<int, const char*> kButtonNames[] = {
    {id::kProfiles, "ACCESS_PROFILE_FILES"},     {id::kLink, "ACCESS_MAKER_SITE"},
    {id::kWebHome, "ACCESS_HOME_PAGE"},          {id::kWebFirstSocial, "ACCESS_SOCIAL_PAGE"},
    {id::kWebSecondSocial, "ACCESS_SECOND_SOCIAL_PAGE"}, {kFlipButtonIds[0], "ACCESS_LAYOUT_SWAP"},
    {kFlipButtonIds[1], "ACCESS_LAYOUT_SWAP"},  {kFlipButtonIds[2], "ACCESS_LAYOUT_SWAP"},
};

// Pictures of the main window that only show.
constexpr int kPictureIds[] = {id::kLockCaps, id::kLockNum, id::kLockScroll, id::kLockAb, id::kLeftArrow,
                               id::kRightArrow, id::kModeSwitch};

}  // namespace

void MainWindow::SetUpKeyboardAccess() {
  Parts& p = *parts_;
  for (int picture : kPictureIds) {
    ImageButton* b = p.buttons.at(picture);
    b->SetAccessibleKind(AccessibleKind::kPicture);
    b->setFocusPolicy(Qt::NoFocus);
  }
  MarkDecorative(*p.progress_picture);
  for (int profile : kProfileButtonIds) p.buttons.at(profile)->SetAccessibleKind(AccessibleKind::kRadioButton);
  p.buttons.at(kFlipButtonIds[0])->SetAccessibleKind(AccessibleKind::kToggleButton);

  // The keyboard picture: every key, G key, Fn and spare button, one stop.
  // The keys in reading order, so Tab first lands on the top-left key; the
  // spare buttons of the strip above them after.
  std::vector<ImageButton*> keys;
  {
    std::vector<PictureKey> placed;
    for (int key : p.key_ids) {
      const ImageButton* b = p.buttons.at(key);
      placed.push_back({key, b->x(), b->y(), b->width(), b->height()});
    }
    for (int key : ReadingOrder(placed)) keys.push_back(p.buttons.at(key));
  }
  for (int spare : p.placed_spares) keys.push_back(p.buttons.at(spare));
  for (ImageButton* key : keys) key->SetAccessibleKind(AccessibleKind::kKey);
  new KeyPictureFocus(this, keys);

  for (const PanelControl& control : kPanelControls) {
    if (auto* pic = findChild<SkinPicture*>(control.skinKey, Qt::FindDirectChildrenOnly))
      pic->SetAccessibleKind(control.kind);
  }
  for (int n = 1; n <= 4; ++n)
    if (auto* rate = findChild<ImageButton*>(QStringLiteral("FUNC_REPORT%1").arg(n), Qt::FindDirectChildrenOnly))
      rate->SetAccessibleKind(AccessibleKind::kRadioButton);

  // Tab order: what lies above the picture, the picture, the lighting
  // panel (the controls that are not the window's own buttons), the rest.
  // The strip above the keys (the layout swap, D1..D6) reads before them.
  int picture_top = height();
  for (int key : p.key_ids)
    if (!p.buttons.at(key)->isHidden()) picture_top = std::min(picture_top, p.buttons.at(key)->y());
  std::vector<QWidget*> above, panel, below;
  std::vector<QWidget*> own;
  for (const auto& [control_id, button] : p.buttons) own.push_back(button);
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->isWindow() || std::find(keys.begin(), keys.end(), child) != keys.end()) continue;
    if ((child->focusPolicy() & Qt::TabFocus) != Qt::TabFocus) continue;
    if (std::find(own.begin(), own.end(), child) == own.end())
      panel.push_back(child);
    else if (child->y() + child->height() / 2 < picture_top)
      above.push_back(child);
    else
      below.push_back(child);
  }
  QWidget* last = ChainInReadingOrder(above);
  for (ImageButton* key : keys) {
    if (last != nullptr) QWidget::setTabOrder(last, key);
    last = key;
  }
  last = ChainInReadingOrder(panel, last);
  ChainInReadingOrder(below, last);

  // Shortcuts: the profiles on Ctrl+1..Ctrl+4, the bottom row's commands on
  // Alt and their initial (F1 is the help, in keyPressEvent).
  for (int n = 0; n < 4; ++n)
    AddButtonShortcut(*this, *p.buttons.at(kProfileButtonIds[n]), QKeySequence(Qt::CTRL | (Qt::Key_1 + n)));
  AddButtonShortcut(*this, *p.buttons.at(id::kApply), QKeySequence(Qt::ALT | Qt::Key_A));
  AddButtonShortcut(*this, *p.buttons.at(id::kDefault), QKeySequence(Qt::ALT | Qt::Key_D));
  AddButtonShortcut(*this, *p.buttons.at(id::kMacro), QKeySequence(Qt::ALT | Qt::Key_M));
  AddButtonShortcut(*this, *p.buttons.at(id::kProfiles), QKeySequence(Qt::ALT | Qt::Key_P));
  p.buttons.at(id::kHelp)->SetShortcutText(QKeySequence(Qt::Key_F1).toString(QKeySequence::NativeText));
}

void MainWindow::ApplyAccessibleNames() {
  Parts& p = *parts_;
  for (const auto& [button_id, key] : kButtonNames) p.buttons.at(button_id)->setAccessibleName(Text(key));
  // The extra key of ISO keyboards, beside the left Shift.
  p.buttons.at(kSpareKeyButtonId)->setAccessibleName(Text("ACCESS_ISO_KEY"));
  for (const PanelControl& control : kPanelControls)
    if (auto* w = findChild<QWidget*>(control.skinKey, Qt::FindDirectChildrenOnly))
      w->setAccessibleName(Text(control.nameKey));
}

}  // namespace zarvel
