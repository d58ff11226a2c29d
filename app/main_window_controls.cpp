// The main window's controls: made from tables, placed from "Skins/Main.ini",
// and captioned from the language file.
#include <QAccessible>
#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "app/main_window.h"
#include "app/main_window_parts.h"
#include "core/key_buttons.h"
#include "model/key_table.h"
#include "skin/language.h"
#include "skin/widgets/skin_fonts.h"
#include "skin/widgets/skin_image_cache.h"
#include "skin/placement.h"
#include "skin/widgets/skin_placement.h"

namespace zarvel {

namespace {

namespace id = main_window_id;

// The window's command buttons: identifier, skin key, caption and tooltip
// language keys (empty: none), and the name a screen reader announces when
// the language file has nothing to say.
struct CommandButton {
  int id;
  const char* skinKey;
  const char* captionKey;
  const char* tooltipKey;
  const char* accessibleName;
};

constexpr std::array kCommandButtons = {
    CommandButton{kProfileButtonIds[0], "FUNC_PROFILE1", "PROFILE_1", "", "Profile 1"},
    CommandButton{kProfileButtonIds[1], "FUNC_PROFILE2", "PROFILE_2", "", "Profile 2"},
    CommandButton{kProfileButtonIds[2], "FUNC_PROFILE3", "PROFILE_3", "", "Profile 3"},
    CommandButton{kProfileButtonIds[3], "FUNC_PROFILE4", "PROFILE_4", "", "Profile 4"},
    CommandButton{id::kProfiles, "FUNC_PROFILES", "", "", "Profiles"},
    CommandButton{id::kMacro, "FUNC_MACRO", "PROFILE_MACRO", "", "Macros"},
    CommandButton{id::kDefault, "FUNC_DEFAULT", "PROFILE_DEFAULT", "", "Default"},
    CommandButton{id::kApply, "CONTROL2_APPLY", "PROFILE_APPLY", "", "Apply"},
    CommandButton{id::kOk, "CONTROL_OK", "PROFILE_OK", "", "OK"},
    CommandButton{id::kCancel, "CONTROL_CANCEL", "PROFILE_CANCLE", "", "Cancel"},
    CommandButton{id::kHelp, "CONTROL_HELP", "", "MAIN_HELP_PROMPT", "Help"},
    CommandButton{id::kMinimise, "CONTROL_MINIMIZE", "", "MAIN_MINIMIZE_PROMPT", "Minimise"},
    CommandButton{id::kClose, "CONTROL_CLOSE", "", "MAIN_CLOSE_PROMPT", "Close"},
    CommandButton{id::kMenu, "CONTROL_MENU", "", "MAIN_MENU_PROMPT", "Back up and restore"},
    CommandButton{id::kModeSwitch, "FUNC_SWITCH", "", "", "Key selection"},
    CommandButton{id::kLink, "TALVOR_LINK", "", "", "Maker's web site"},
    CommandButton{id::kWebHome, "CONTROL_Network", "", "", "Home page"},
    CommandButton{id::kWebFirstSocial, "CONTROL_Facebook", "", "", "Social page"},
    CommandButton{id::kWebSecondSocial, "CONTROL_twitter", "", "", "Second social page"},
    CommandButton{id::kLockCaps, "LOCK_CAPS", "", "", "Caps Lock indicator"},
    CommandButton{id::kLockNum, "LOCK_NUM", "", "", "Num Lock indicator"},
    CommandButton{id::kLockScroll, "LOCK_SCROLL", "", "", "Scroll Lock indicator"},
    CommandButton{id::kLockAb, "LOCK_AB", "", "", "Lock indicator"},
    CommandButton{kFlipButtonIds[0], "FLIP_0", "", "", "Layout"},
    CommandButton{kFlipButtonIds[1], "FLIP_1", "", "", "Switch layout"},
    CommandButton{kFlipButtonIds[2], "FLIP_2", "", "", "Switch layout"},
};

// Buttons that stay disabled whatever the skin says.
constexpr std::array kAlwaysDisabled = {id::kLockCaps, id::kLockNum, id::kLockScroll, id::kLockAb};

// The spare buttons have no key of their own; their skin keys are ours.
struct SpareButton {
  int id;
  const char* skinKey;
  const char* accessibleName;
};
constexpr std::array kSpareButtons = {
    SpareButton{kSpareButtonIds[0], "FUNC_SPARE1", "D1"}, SpareButton{kSpareButtonIds[1], "FUNC_SPARE2", "D2"},
    SpareButton{kSpareButtonIds[2], "FUNC_SPARE3", "D3"}, SpareButton{kSpareButtonIds[3], "FUNC_SPARE4", "D4"},
    SpareButton{kSpareButtonIds[4], "FUNC_SPARE5", "D5"}, SpareButton{kSpareButtonIds[5], "FUNC_SPARE6", "D6"},
    SpareButton{kSpareKeyButtonId, "FUNC_K45", "K45"},
};

constexpr int kCaptionPoints = 10;

std::string HexSkinKey(std::uint16_t record) {
  char key[16];
  std::snprintf(key, sizeof key, "KEY_%03X", static_cast<unsigned>(record));
  return key;
}

bool Placed(const Placement& placement) { return !(placement.left == 1 && placement.top == 1); }

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

void MainWindow::BuildControls() {
  const StateImages images =
      LoadStateImages("main_normal.jpg", "main_over.jpg", "main_down.jpg", "main_disable.jpg");
  auto make_button = [&](int control_id, std::string_view skin_key, const QString& accessible) {
    auto* button = new ImageButton(this);
    button->setObjectName(QString::number(control_id));
    button->setAccessibleName(accessible);
    parts_->buttons[control_id] = button;
    return std::make_pair(button, PlaceImageButton(Skin(), skin_key, *button, images));
  };

  // The keyboard picture: one button per key, G key and Fn.
  for (const zarvel::KeyButton& key : KeyButtons()) {
    const std::uint16_t record = KeyCodeToRecordIndex(key.key);
    auto [button, placement] = make_button(key.buttonId, HexSkinKey(record), Text(KeyDisplayName(key.key)));
    button->setCheckable(true);
    parts_->checked[key.buttonId] = false;
    parts_->key_ids.push_back(key.buttonId);
  }
  for (int n = 1; n <= static_cast<int>(kSpecialButtonCount); ++n) {
    const int button_id = SpecialKeyButtonId(n - 1);
    auto [button, placement] = make_button(button_id, "FUNC_G" + std::to_string(n), "G" + QString::number(n));
    button->setCheckable(true);
    parts_->checked[button_id] = false;
    parts_->key_ids.push_back(button_id);
    // G6..G9 have no place on this keyboard's picture to click.
    if (n >= 6) button->setEnabled(false);
  }
  {
    auto [button, placement] = make_button(id::kFn, "KEY_FN", "Fn");
    button->setCheckable(true);
    parts_->checked[id::kFn] = false;
    parts_->key_ids.push_back(id::kFn);
  }
  for (const SpareButton& spare : kSpareButtons) {
    auto [button, placement] = make_button(spare.id, spare.skinKey, spare.accessibleName);
    if (Placed(placement))
      parts_->placed_spares.push_back(spare.id);
    else
      button->hide();
  }

  const ButtonFont caption_font{std::string(kArialUnicode), kCaptionPoints, 0, false};
  for (const CommandButton& command : kCommandButtons) {
    auto [button, placement] = make_button(command.id, command.skinKey, command.accessibleName);
    // The profiles button's face is blank: it names the selected profile
    // file once one is chosen.
    if (*command.captionKey || command.id == id::kProfiles) {
      button->SetButtonFont(caption_font);
      button->SetTextColour(ButtonState::kNormal, SkinTextColour());
      button->SetTextColour(ButtonState::kHovered, Qt::white);
      button->SetTextColour(ButtonState::kPressed, Qt::white);
      button->SetTextColour(ButtonState::kChecked, Qt::white);
      button->SetTextColour(ButtonState::kDisabled, QColor(0x80, 0x80, 0x80));
    }
  }
  for (int profile_id : kProfileButtonIds) {
    parts_->buttons[profile_id]->setCheckable(true);
    parts_->checked[profile_id] = false;
  }
  parts_->buttons[kFlipButtonIds[0]]->setCheckable(true);
  parts_->checked[kFlipButtonIds[0]] = false;
  for (int disabled : kAlwaysDisabled) parts_->buttons[disabled]->setEnabled(false);
  // The key-selection mode is never offered: key clicks always assign.
  parts_->buttons[id::kModeSwitch]->hide();
  parts_->buttons[id::kApply]->setEnabled(false);

  // The two arrow pictures beside the flip buttons.
  const QPixmap arrow = SkinImageCache::Instance().Pixmap("Arrow.jpg", devicePixelRatioF());
  for (int arrow_id : {id::kLeftArrow, id::kRightArrow}) {
    auto* button = new ImageButton(this);
    button->setObjectName(QString::number(arrow_id));
    button->setAccessibleName(arrow_id == id::kLeftArrow ? "Left arrow" : "Right arrow");
    button->setFocusPolicy(Qt::NoFocus);
    button->setEnabled(false);
    button->setAttribute(Qt::WA_TransparentForMouseEvents);
    parts_->buttons[arrow_id] = button;
    PlaceArrowButton(Skin(), arrow_id == id::kLeftArrow ? "LEFT_ARROW" : "RIGHT_ARROW",
                     arrow_id == id::kLeftArrow ? "DOWN_ARROW_LEFT1" : "DOWN_ARROW_RIGHT1", *button, arrow);
  }
  for (int flip_id : {kFlipButtonIds[1], kFlipButtonIds[2]}) parts_->buttons[flip_id]->installEventFilter(this);

  // The version field: empty, as the keyboard's version is not shown.
  parts_->version = new SkinLabel(this);
  parts_->version->setObjectName(QString::number(id::kVersion));
  parts_->version->setAccessibleName("Version");
  parts_->version->setFont(SkinFont(kVerdanaUnicode, 8));
  parts_->version->setEnabled(false);
  PlaceControl(Skin(), "TALVOR_VER", *parts_->version);

  // The notice line: edits kept over a reconnection, a keyboard that could
  // not be read, a finished back-up. It has no skin key of its own; it takes
  // the free stretch of the title bar between the version field and the
  // menu button, so every skin that places those two shows it.
  parts_->notice = new SkinLabel(this);
  parts_->notice->setObjectName(QStringLiteral("Notice"));
  parts_->notice->setAccessibleName("Notice");
  parts_->notice->setFont(SkinFont(kVerdanaUnicode, 9));
  parts_->notice->setWordWrap(true);
  parts_->notice->setTextFormat(Qt::PlainText);
  parts_->notice->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  parts_->notice->setStyleSheet(QStringLiteral("color: #ffd24a;"));
  {
    const Placement version = ReadPlacement(Skin(), "TALVOR_VER");
    const Placement menu = ReadPlacement(Skin(), "CONTROL_MENU");
    const int left = version.left + version.width + 8;
    const int right = menu.left - 8;
    if (Placed(version) && Placed(menu) && right - left >= 120)
      parts_->notice->setGeometry(left, menu.top - 4, right - left, std::max(menu.height + 8, 28));
    else
      parts_->notice->setGeometry(0, 0, 0, 0);
  }
  parts_->notice->hide();

  // The progress picture, hidden except while the keyboard is written.
  parts_->progress_picture = new SkinPicture(this);
  parts_->progress_picture->setObjectName(QString::number(id::kProgress));
  parts_->progress_picture->setAccessibleName("Writing to the keyboard");
  PlaceControl(Skin(), "CONTROL_JDTStatic", *parts_->progress_picture);
  parts_->progress_picture->hide();
  parts_->progress = std::make_unique<ProgressAnimation>(*parts_->progress_picture);
}

void MainWindow::ApplyCaptions() {
  setWindowTitle(Text(LookupText("MAIN_CAPTION")));
  for (const CommandButton& command : kCommandButtons) {
    ImageButton* button = parts_->buttons.at(command.id);
    if (*command.captionKey) {
      const QString caption = Text(LookupText(command.captionKey));
      button->setText(caption);
      button->setAccessibleName(caption);
    }
    if (*command.tooltipKey) {
      const QString tooltip = Text(LookupText(command.tooltipKey));
      button->setToolTip(tooltip);
      button->setAccessibleName(tooltip);
    }
  }
}

void MainWindow::ApplyArrowPictures() {
  // Which picture each arrow shows: the UP set while flip is on, state 2
  // while the pointer rests on the arrow's flip button.
  const char* set = parts_->flip == 1 ? "UP_ARROW_" : "DOWN_ARROW_";
  const QPixmap arrow = SkinImageCache::Instance().Pixmap("Arrow.jpg", devicePixelRatioF());
  const std::string left = std::string(set) + "LEFT" + std::to_string(parts_->arrow_state[0]);
  const std::string right = std::string(set) + "RIGHT" + std::to_string(parts_->arrow_state[1]);
  PlaceArrowButton(Skin(), "LEFT_ARROW", left, *parts_->buttons.at(id::kLeftArrow), arrow);
  PlaceArrowButton(Skin(), "RIGHT_ARROW", right, *parts_->buttons.at(id::kRightArrow), arrow);
  parts_->buttons.at(id::kLeftArrow)->update();
  parts_->buttons.at(id::kRightArrow)->update();
}

}  // namespace zarvel
