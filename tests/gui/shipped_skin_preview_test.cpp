// The shipped skin put together with the kit's controls, as a window shows
// it: each window is rendered offscreen and kept as a screenshot under
// build/screenshots/skin_preview_*.png for people to look at.
//
// What is checked: an image button in its normal state shows exactly what
// the background shows under it. A skin drawn without the one-pixel offset
// of the pieces would make every key jump by a pixel when the pointer
// arrives or leaves.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QTextStream>
#include <QTreeWidget>
#include <memory>
#include <string>
#include <vector>

#include "controls/bitmap_slider.h"
#include "controls/colour_button.h"
#include "controls/edit_combo.h"
#include "controls/skin_label.h"
#include "controls/skin_picture.h"
#include "skin/placement.h"
#include "skin/widgets/image_button.h"
#include "skin/widgets/skin_fonts.h"
#include "skin/widgets/skin_image_cache.h"
#include "skin/widgets/skin_placement.h"
#include "skin/widgets/skinned_dialog.h"

namespace zarvel {
namespace {

const std::string kSkinFolder = std::string(ZARVEL_PROGRAM_DIR) + "/Skins/";

// The keys of section BUTTONINFO, in file order.
std::vector<std::string> PlacedKeys(const std::string& skinFile) {
  QFile file(QString::fromStdString(kSkinFolder + skinFile));
  std::vector<std::string> keys;
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return keys;
  QTextStream in(&file);
  bool inPlacements = false;
  while (!in.atEnd()) {
    const QString line = in.readLine().trimmed();
    if (line.startsWith('[')) inPlacements = line == "[BUTTONINFO]";
    const auto equals = line.indexOf('=');
    if (inPlacements && equals > 0) keys.push_back(line.left(equals).toStdString());
  }
  return keys;
}

bool StartsWith(const std::string& key, const char* prefix) { return key.rfind(prefix, 0) == 0; }

class Preview {
 public:
  explicit Preview(const char* skinFile) : dialog_(skinFile) {
    SkinImageCache::Instance().SetFolder(kSkinFolder);
    loaded_ = dialog_.LoadSkin();
  }
  bool Loaded() const { return loaded_; }
  SkinnedDialog& Dialog() { return dialog_; }

  ImageButton* Button(const std::string& key, const StateImages& images, const QString& caption = {}) {
    auto* button = new ImageButton(&dialog_);
    PlaceImageButton(dialog_.Skin(), key, *button, images);
    if (!caption.isEmpty()) {
      button->SetButtonFont(ButtonFont{std::string(kArialUnicode), 10});
      for (ButtonState state : {ButtonState::kNormal, ButtonState::kHovered, ButtonState::kPressed, ButtonState::kChecked})
        button->SetTextColour(state, QColor(0xe4, 0xe6, 0xea));
      button->SetTextColour(ButtonState::kDisabled, QColor(0x60, 0x65, 0x6e));
      button->SetCaption(caption);
    }
    buttons_[key] = button;
    return button;
  }
  template <typename Control>
  Control* Place(const std::string& key, Control* control) {
    PlaceControl(dialog_.Skin(), key, *control);
    return control;
  }
  SkinLabel* Label(const std::string& key, const QString& text) {
    auto* label = Place(key, new SkinLabel(&dialog_));
    label->setFont(SkinFont(kArialUnicode, 10));
    label->setText(text);
    return label;
  }
  SkinPicture* Picture(const std::string& key, const char* image) {
    auto* picture = Place(key, new SkinPicture(&dialog_));
    picture->SetImage(image);
    return picture;
  }
  ImageButton* Find(const std::string& key) { return buttons_.count(key) ? buttons_[key] : nullptr; }

  QImage Shoot(const char* name) {
    dialog_.show();
    const QImage shot = dialog_.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QString folder = QString(ZARVEL_BINARY_DIR) + "/screenshots";
    QDir().mkpath(folder);
    shot.save(folder + "/" + name + ".png");
    return shot;
  }

 private:
  SkinnedDialog dialog_;
  bool loaded_ = false;
  std::map<std::string, ImageButton*> buttons_;
};

// Mean difference per channel between the shot and the background over `rect`.
double Difference(const QImage& shot, const QImage& background, const QRect& rect) {
  double sum = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x) {
      const QRgb a = shot.pixel(x, y), b = background.pixel(x, y);
      sum += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
    }
  }
  return sum / (3.0 * rect.width() * rect.height());
}

void ExpectButtonsBlendIntoBackground(Preview& preview, const QImage& shot, const std::vector<std::string>& keys) {
  const QImage background = preview.Dialog().Background().toImage().convertToFormat(QImage::Format_RGB32);
  for (const std::string& key : keys) {
    const Placement p = ReadPlacement(preview.Dialog().Skin(), key);
    // JPEG noise stays well under 4; a one-pixel shift of a key's edges and
    // legend gives far more.
    EXPECT_LT(Difference(shot, background, QRect(p.left, p.top, p.width, p.height)), 4.0) << key;
  }
}

// The lighting panel with the first effect: brightness, speed, direction, colour.
void AddFirstEffectControls(Preview& preview) {
  SkinnedDialog& window = preview.Dialog();
  preview.Label("CONTROL_DengStatic", "Lighting");
  preview.Picture("CONTROL_DengStaPic", "dengdown.bmp");
  auto* effects = preview.Place("CONTROL_XGcombox", new EditCombo(&window));
  effects->SetEntries({"Wave", "Breathing", "User"});
  preview.Label("CONTROL_LightStatic", "Brightness");
  auto* brightness = preview.Place("CONTROL_LightSlider", new BitmapSlider(1178, &window));
  brightness->SetRange(0, 4);
  brightness->SetPosition(3);
  brightness->SetPicture("3.bmp");
  preview.Label("CONTROL_SpeedStatic", "Speed");
  auto* speed = preview.Place("CONTROL_SpeedSlider", new BitmapSlider(1179, &window));
  speed->SetRange(0, 3);
  speed->SetPosition(1);
  speed->SetPicture("6.bmp");
  preview.Label("CONTROL_BLFXStatic2", "Direction");
  preview.Picture("CONTROL_BLFXLStaPic2", "leftdown.bmp");
  preview.Picture("CONTROL_BLFXRStaPic2", "rightup.bmp");
  preview.Label("CONTROL_HXysStatic", "Colour");
  preview.Place("CONTROL_HXysButton", new ColourButton(&window))->SetColour(QColor(0x00, 0xc0, 0xff));
  preview.Label("CONTROL_HXsjsStatic", "Random");
  preview.Picture("CONTROL_HXsjsStaPic", "sjsup.bmp");
}

// The user effect: brightness and the per-key colour group.
void AddUserColourGroup(Preview& preview) {
  SkinnedDialog& window = preview.Dialog();
  preview.Label("CONTROL_DengStatic", "Lighting");
  preview.Picture("CONTROL_DengStaPic", "dengdown.bmp");
  preview.Place("CONTROL_XGcombox", new EditCombo(&window))->SetEntries({"User"});
  preview.Label("CONTROL_LightStatic", "Brightness");
  auto* brightness = preview.Place("CONTROL_LightSlider", new BitmapSlider(1178, &window));
  brightness->SetRange(0, 4);
  brightness->SetPosition(4);
  brightness->SetPicture("4.bmp");
  preview.Place("CONTROL_umCombo", new EditCombo(&window))->SetEntries({"Gaming", "1", "2"});
  preview.Label("CONTROL_USERysStatic", "Colour");
  preview.Place("CONTROL_USERysButton", new ColourButton(&window))->SetColour(QColor(0xff, 0x40, 0x80));
  preview.Label("CONTROL_USERjsStatic", "Base colour");
  preview.Place("CONTROL_USERjsButton", new ColourButton(&window))->SetColour(QColor(0x20, 0x60, 0xff));
  preview.Label("CONTROL_USERgjStatic", "Tool");
  preview.Picture("CONTROL_USERgjStaPic1", "user1down.bmp");
  preview.Picture("CONTROL_USERgjStaPic2", "user2up.bmp");
}

class MainWindowPreview : public ::testing::TestWithParam<bool> {};

TEST_P(MainWindowPreview, KeysMatchTheBackgroundAtRest) {
  Preview preview("Main.ini");
  ASSERT_TRUE(preview.Loaded());
  SkinnedDialog& window = preview.Dialog();
  const StateImages images = window.LoadStateImages("main_normal.jpg", "main_over.jpg", "main_down.jpg", "main_disable.jpg");
  std::vector<std::string> keys;
  const char* prefixes[] = {"KEY_", "FUNC_G", "FUNC_PROFILE", "FUNC_MACRO", "FUNC_DEFAULT", "FUNC_REPORT",
                            "FUNC_SPARE", "FUNC_K45", "CONTROL_OK", "CONTROL_CANCEL", "CONTROL_HELP", "CONTROL_CLOSE",
                            "CONTROL_MINIMIZE", "CONTROL_MENU", "CONTROL2_APPLY", "TALVOR_", "LOCK_", "FLIP_",
                            "CONTROL_Network", "CONTROL_Facebook", "CONTROL_twitter"};
  for (const std::string& key : PlacedKeys("Main.ini")) {
    for (const char* prefix : prefixes) {
      if (StartsWith(key, prefix)) {
        preview.Button(key, images);
        keys.push_back(key);
        break;
      }
    }
  }
  for (int n = 1; n <= 4; ++n) preview.Find("FUNC_PROFILE" + std::to_string(n))->SetCaption(QString("Profile %1").arg(n));
  const std::pair<const char*, const char*> captions[] = {{"FUNC_PROFILES", "Default profile"}, {"FUNC_MACRO", "Macros"},
                                                          {"FUNC_DEFAULT", "Default"}, {"CONTROL2_APPLY", "Apply"},
                                                          {"CONTROL_OK", "OK"}, {"CONTROL_CANCEL", "Cancel"}};
  for (int n = 1; n <= 4; ++n) {
    ImageButton* profile = preview.Find("FUNC_PROFILE" + std::to_string(n));
    profile->SetButtonFont(ButtonFont{std::string(kArialUnicode), 10});
    profile->SetTextColour(ButtonState::kNormal, QColor(0xe4, 0xe6, 0xea));
    profile->SetTextColour(ButtonState::kChecked, Qt::white);
  }
  for (const auto& [key, caption] : captions) {
    ImageButton* button = preview.Find(key);
    button->SetButtonFont(ButtonFont{std::string(kArialUnicode), 10});
    button->SetTextColour(ButtonState::kNormal, QColor(0xe4, 0xe6, 0xea));
    button->SetTextColour(ButtonState::kDisabled, QColor(0x60, 0x65, 0x6e));
    button->SetCaption(caption);
  }
  // What a user sees at first: profile 1 chosen, two keys assigned, the
  // spare buttons, G6..G9, the indicators and Apply disabled.
  for (const char* key : {"FUNC_PROFILE1", "FUNC_REPORT4", "KEY_03B", "KEY_01E"}) {
    preview.Find(key)->setCheckable(true);
    preview.Find(key)->setChecked(true);
  }
  for (const std::string& key : keys) {
    if (StartsWith(key, "FUNC_SPARE") || StartsWith(key, "LOCK_") || key == "FUNC_K45" || key == "TALVOR_VER" ||
        key == "CONTROL2_APPLY" || key == "FUNC_G6" || key == "FUNC_G7" || key == "FUNC_G8" || key == "FUNC_G9")
      preview.Find(key)->setEnabled(false);
  }
  const QPixmap arrows = SkinImageCache::Instance().Pixmap("Arrow.jpg");
  PlaceArrowButton(window.Skin(), "LEFT_ARROW", "DOWN_ARROW_LEFT1", *new ImageButton(&window), arrows);
  PlaceArrowButton(window.Skin(), "RIGHT_ARROW", "DOWN_ARROW_RIGHT1", *new ImageButton(&window), arrows);

  if (GetParam()) {
    AddUserColourGroup(preview);
  } else {
    AddFirstEffectControls(preview);
  }
  preview.Label("CONTROL_UsbStatic", "Report rate");
  preview.Label("CONTROL_RGBStatic", "RGB");
  for (const char* key : {"COLOR_R", "COLOR_G", "COLOR_B"}) preview.Place(key, new QLineEdit("255", &window));
  preview.Picture("CONTROL_JDTStatic", "jdt4.bmp");

  const QImage shot = preview.Shoot(GetParam() ? "skin_preview_main_user_effect" : "skin_preview_main");
  std::vector<std::string> plain;
  for (const std::string& key : keys) {
    const ImageButton* button = preview.Find(key);
    if (button->isEnabled() && !button->isChecked() && button->text().isEmpty() && StartsWith(key, "KEY_")) plain.push_back(key);
  }
  EXPECT_GT(plain.size(), 100u);
  ExpectButtonsBlendIntoBackground(preview, shot, plain);
}

INSTANTIATE_TEST_SUITE_P(ShippedSkinPreview, MainWindowPreview, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "UserEffect" : "FirstEffect"; });

TEST(ShippedSkinPreview, KeyFunctionDialogOnTheMacroPage) {
  Preview preview("Composite.ini");
  ASSERT_TRUE(preview.Loaded());
  SkinnedDialog& dialog = preview.Dialog();
  const StateImages key = dialog.LoadStateImages("key_normal.jpg", "key_over.jpg", "key_down.jpg", "key_down.jpg");
  const StateImages macro = dialog.LoadStateImages("macro_normal.jpg", "macro_over.jpg", "macro_down.jpg", "macro_disable.jpg");
  const StateImages page = dialog.LoadStateImages("macro_normal.jpg", "macro_over.jpg", "macro_down.jpg", "macro_disable.jpg");
  preview.Button("CONTROL_TITLE", key);
  preview.Button("CONTROL_OSK", key);
  preview.Button("CONTROL_CLEAR", key);
  preview.Button("CONTROL_MASK", page);
  const std::pair<const char*, const char*> tabs[] = {{"CONTROL_KEY", "Single key"}, {"CONTROL_MACRO", "Macro"},
                                                      {"CONTROL_MEDIA", "Multimedia"}, {"CONTROL_FUNCTION", "Keyboard function"},
                                                      {"CONTROL_OK", "OK"}, {"CONTROL_CANCEL", "Cancel"}};
  for (const auto& [k, caption] : tabs) preview.Button(k, key, caption);
  // The key pictures have no disabled image; Apply takes the macro set's.
  preview.Button("CONTROL2_APPLY", macro, "Apply");
  preview.Find("CONTROL_MACRO")->setDown(true);
  preview.Find("CONTROL2_APPLY")->setEnabled(false);
  preview.Button("FUNC_MACRO_RECORD", macro, "Record");
  for (const char* k : {"FUNC_MACRO_ADD", "FUNC_MACRO_DELETE", "FUNC_MACRO_UP_TOP", "FUNC_MACRO_UP", "FUNC_MACRO_DOWN",
                        "FUNC_MACRO_DOWN_BOTTOM", "FUNC_MACRO_DELETE2", "FUNC_MACRO_CLEAR"})
    preview.Button(k, macro);
  preview.Label("KEY_SETTING", "Key settings");
  preview.Label("MARCO_NAME_SETTING", "Macro name:");
  preview.Place("FUNC_MACRO_LIST", new EditCombo(&dialog))->SetEntries({"Macro1", "Macro2"});
  auto* actions = preview.Place("FUNC_MACRO_LIST2", new QTreeWidget(&dialog));
  actions->setHeaderLabels({"Key", "Action", "Delay (ms)"});
  for (const char* keyName : {"Left Ctrl", "C", "C", "Left Ctrl"}) actions->addTopLevelItem(new QTreeWidgetItem({keyName, "\u2193", "50"}));
  preview.Place("FUNC_MACRO_RECORD_DELAY", new SkinCheckBox(&dialog))->setChecked(true);
  preview.Label("FUNC_MACRO_RECORD_DELAY2", "Record delays");
  preview.Label("FUNC_MACRO_CYCLES_PROMPT", "Repeat count:");
  preview.Place("FUNC_MACRO_CYCLES", new QLineEdit("1", &dialog));
  const QImage shot = preview.Shoot("skin_preview_key_dialog_macro");
  ExpectButtonsBlendIntoBackground(preview, shot, {"CONTROL_TITLE", "CONTROL_OSK", "CONTROL_CLEAR"});
}

TEST(ShippedSkinPreview, KeyFunctionDialogOnTheSingleKeyPage) {
  Preview preview("Composite.ini");
  ASSERT_TRUE(preview.Loaded());
  SkinnedDialog& dialog = preview.Dialog();
  const StateImages key = dialog.LoadStateImages("key_normal.jpg", "key_over.jpg", "key_down.jpg", "key_down.jpg");
  const StateImages macro = dialog.LoadStateImages("macro_normal.jpg", "macro_over.jpg", "macro_down.jpg", "macro_disable.jpg");
  for (const char* k : {"CONTROL_TITLE", "CONTROL_OSK", "CONTROL_CLEAR", "CONTROL_MASK"}) preview.Button(k, key);
  const std::pair<const char*, const char*> captions[] = {{"CONTROL_KEY", "Single key"}, {"CONTROL_MACRO", "Macro"},
                                                          {"CONTROL_MEDIA", "Multimedia"}, {"CONTROL_FUNCTION", "Keyboard function"},
                                                          {"CONTROL_OK", "OK"}, {"CONTROL_CANCEL", "Cancel"}};
  for (const auto& [k, caption] : captions) preview.Button(k, key, caption);
  preview.Button("CONTROL2_APPLY", macro, "Apply");
  preview.Find("CONTROL_KEY")->setDown(true);
  preview.Label("KEY_SETTING", "Key settings");
  preview.Label("TISHI_SINGLE_STATIC", "Press the key to assign, or pick it from the list:");
  auto* box = preview.Place("FUNC_KEY_INPUT", new QLineEdit("Left Ctrl", &dialog));
  box->setFont(SkinFont(kArialUnicode, 18));
  box->setReadOnly(true);
  preview.Place("FUNC_KEY_RADIO_KB", new SkinCheckBox(&dialog))->setChecked(true);
  preview.Label("FUNC_KEY_RADIO_KB_STATIC", "Keyboard");
  preview.Place("FUNC_KEY_RADIO_MOU", new SkinCheckBox(&dialog));
  preview.Label("FUNC_KEY_RADIO_MOU_STATIC", "Mouse");
  auto* mouse = preview.Place("FUNC_KEY_COMBO_MOU", new EditCombo(&dialog));
  mouse->SetEntries({"Left Button", "Right Button"});
  mouse->setEnabled(false);
  preview.Label("FUNC_MACRO_CYCLES_PROMPT", "Repeat count:");
  const QImage shot = preview.Shoot("skin_preview_key_dialog_single_key");
  ExpectButtonsBlendIntoBackground(preview, shot, {"CONTROL_TITLE", "CONTROL_CLEAR", "CONTROL_MASK"});
}

TEST(ShippedSkinPreview, ProfileManager) {
  Preview preview("Profile.ini");
  ASSERT_TRUE(preview.Loaded());
  SkinnedDialog& dialog = preview.Dialog();
  const StateImages images =
      dialog.LoadStateImages("Profile_normal.jpg", "Profile_over.jpg", "Profile_down.jpg", "Profile_down.jpg");
  for (const char* key : {"FUNC_LOAD", "FUNC_ADD", "FUNC_DELETE", "CONTROL2_APPLY", "CONTROL_OK", "CONTROL_CANCEL"})
    preview.Button(key, images);
  preview.Find("CONTROL2_APPLY")->setEnabled(false);
  auto* list = preview.Place("PROGRAM_LIST", new QTreeWidget(&dialog));
  list->setHeaderLabels({"Active", "Name", "Folder"});
  for (int n = 0; n < 4; ++n) {
    auto* row = new QTreeWidgetItem({"", "$Profile0", "/home/user/.local/share/Varnok Z7Q3RGB/"});
    row->setCheckState(0, n == 0 ? Qt::Checked : Qt::Unchecked);
    list->addTopLevelItem(row);
  }
  const QImage shot = preview.Shoot("skin_preview_profile_manager");
  ExpectButtonsBlendIntoBackground(preview, shot, {"FUNC_LOAD", "FUNC_ADD", "CONTROL_OK"});
}

}  // namespace
}  // namespace zarvel
