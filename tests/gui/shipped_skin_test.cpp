// The skin we ship, as the build generated it into the program folder: every
// control the windows place has a key inside its window, nothing that shows
// together overlaps, every picture loads at the size its control has, and
// the HiDPI twins are exactly twice as large.
//
// The key lists here are written out on purpose rather than taken from the
// generator: they are what the windows read, so a generator that forgets or
// misspells a key fails here.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRect>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/key_buttons.h"
#include "model/key_table.h"
#include "model/lighting_panel.h"
#include "model/key_colours.h"
#include "skin/ini_file.h"
#include "skin/placement.h"
#include "skin/skin_files.h"
#include "skin/skin_images.h"
#include "skin/widgets/skin_check.h"
#include "skin/widgets/skin_image_cache.h"

namespace zarvel {
namespace {

const std::string kSkinFolder = std::string(ZARVEL_PROGRAM_DIR) + "/Skins/";

QImage Load(const std::string& name) { return QImage(QString::fromStdString(kSkinFolder + name)); }

std::string HiDpi(const std::string& name) {
  const auto dot = name.rfind('.');
  return name.substr(0, dot) + "@2x" + name.substr(dot);
}

struct Window {
  std::string file;
  std::vector<std::string> keys;
};

std::vector<std::string> MainWindowKeys() {
  std::vector<std::string> keys = {
      "CONTROL_OK", "CONTROL_CANCEL", "CONTROL_HELP", "CONTROL_CLOSE", "CONTROL_MINIMIZE", "CONTROL_MENU",
      "CONTROL2_APPLY", "TALVOR_LINK", "TALVOR_VER", "FUNC_PROFILES", "FUNC_MACRO", "FUNC_PROFILE1",
      "FUNC_PROFILE2", "FUNC_PROFILE3", "FUNC_PROFILE4", "FUNC_DEFAULT", "FUNC_SWITCH", "FUNC_REPORT1",
      "FUNC_REPORT2", "FUNC_REPORT3", "FUNC_REPORT4", "KEY_FN", "LOCK_AB", "LOCK_CAPS", "LOCK_NUM",
      "LOCK_SCROLL", "FLIP_0", "FLIP_1", "FLIP_2", "COLOR_R", "COLOR_G", "COLOR_B", "LEFT_ARROW",
      "RIGHT_ARROW", "CONTROL_UsbStatic", "CONTROL_RGBStatic", "CONTROL_DengStatic", "CONTROL_DengStaPic",
      "CONTROL_XGcombox", "CONTROL_umCombo", "CONTROL_JDTStatic", "CONTROL_LightStatic", "CONTROL_LightSlider",
      "CONTROL_SpeedStatic", "CONTROL_SpeedSlider", "CONTROL_BLFXStatic", "CONTROL_BLFXLStaPic",
      "CONTROL_BLFXRStaPic", "CONTROL_BLFXStatic2", "CONTROL_BLFXLStaPic2", "CONTROL_BLFXRStaPic2",
      "CONTROL_BLFXStatic3", "CONTROL_BLFXLStaPic3", "CONTROL_BLFXRStaPic3", "CONTROL_FYYSStatic",
      "CONTROL_FYYSButton", "CONTROL_FYSJSStaPic", "CONTROL_FYSJSStatic", "CONTROL_FYCFStatic",
      "CONTROL_FYdjcfStatic", "CONTROL_FYggcfStatc", "CONTROL_FYdjcfStaPic", "CONTROL_FYggcfStaPic",
      "CONTROL_HONGPIC", "CONTROL_HUANGPIC", "CONTROL_LVPIC", "CONTROL_LANPIC", "CONTROL_HXysStatic",
      "CONTROL_HXysButton", "CONTROL_HXsjsStatic", "CONTROL_HXsjsStaPic", "CONTROL_JTysStatic",
      "CONTROL_JTysButton", "CONTROL_TSysStatic", "CONTROL_TSysButton", "CONTROL_TSsjsStatic",
      "CONTROL_TSsjsStaPic", "CONTROL_CDysStatic", "CONTROL_CDysButton", "CONTROL_CDsjsStatic",
      "CONTROL_CDsjsStaPic", "CONTROL_USERysStatic", "CONTROL_USERysButton", "CONTROL_USERjsStatic",
      "CONTROL_USERjsButton", "CONTROL_USERgjStatic", "CONTROL_USERgjStaPic1", "CONTROL_USERgjStaPic2",
      "CONTROL_Network", "CONTROL_Facebook", "CONTROL_twitter",
      // Our own: the template's spare buttons, placed by the skin.
      "FUNC_SPARE1", "FUNC_SPARE2", "FUNC_SPARE3", "FUNC_SPARE4", "FUNC_SPARE5", "FUNC_SPARE6", "FUNC_K45"};
  for (int n = 1; n <= 8; ++n) keys.push_back("CONTROL_Color" + std::to_string(n));
  for (int n = 1; n <= 9; ++n) keys.push_back(GButtonSkinKey(n));
  for (const KeyButton& button : KeyButtons()) keys.push_back(KeyButtonSkinKey(KeyCodeToRecordIndex(button.key)));
  return keys;
}

const Window kProfileManager{"Profile.ini", {"CONTROL_OK", "CONTROL_CANCEL", "CONTROL2_APPLY", "FUNC_ADD", "FUNC_LOAD",
                                             "FUNC_DELETE", "PROGRAM_LIST"}};

const Window kKeyDialog{
    "Composite.ini",
    {"CONTROL_OK", "CONTROL_CANCEL", "CONTROL_CLEAR", "CONTROL_OSK", "CONTROL_TITLE", "CONTROL_MASK", "CONTROL_KEY",
     "CONTROL_MEDIA", "CONTROL_FUNCTION", "CONTROL_MACRO", "FUNC_MACRO_ADD", "FUNC_MACRO_CLEAR", "FUNC_MACRO_DELETE",
     "FUNC_MACRO_DELETE2", "FUNC_MACRO_UP_TOP", "FUNC_MACRO_UP", "FUNC_MACRO_DOWN", "FUNC_MACRO_DOWN_BOTTOM",
     "FUNC_MACRO_RECORD", "FUNC_MACRO_RECORD_DELAY", "FUNC_MACRO_RECORD_DELAY2", "FUNC_MACRO_CYCLES",
     "FUNC_MACRO_CYCLES_PROMPT", "FUNC_MACRO_LIST", "FUNC_MACRO_LIST2", "FUNC_KEY_INPUT", "FUNC_KEY_RADIO_KB",
     "FUNC_KEY_RADIO_KB_STATIC", "FUNC_KEY_RADIO_MOU", "FUNC_KEY_RADIO_MOU_STATIC", "FUNC_KEY_COMBO_MOU",
     "FUNC_MEDIA_SELECT", "FUNC_FUNCTION_SELECT", "KEY_SETTING", "MARCO_NAME_SETTING", "MEDIA_SETTING_TISHI",
     "FUNCTION_KEY_SETTING_TISHI", "TISHI_SINGLE_STATIC",
     // Our own: the dialog's Apply, which its dialog template used to place.
     "CONTROL2_APPLY"}};

void PrintTo(const Window& window, std::ostream* out) { *out << window.file; }

QRect Rect(const Placement& p) { return QRect(p.left, p.top, p.width, p.height); }

QSize BackgroundSize(const CIniFile& skin) {
  return QImage(QString::fromStdString(ReadSkinScreen(skin, kSkinFolder).background)).size();
}

// Keys whose controls never show at the same time may share space: the
// three placements of the direction controls, the lighting panel's colour
// groups (each effect shows at most one; the hidden second and third colour
// groups sit there too), the groups no effect shows with the speed or
// direction rows, and the key-function dialog's pages. Everything else must
// stand apart.
std::string Family(const std::string& key) {
  static const std::vector<std::pair<std::string, std::string>> kPrefixes = {
      {"CONTROL_BLFX", "direction"}, {"CONTROL_Speed", "speed"}, {"CONTROL_HX", "colour A"}, {"CONTROL_FYCF", "trigger"},
      {"CONTROL_FYdjcf", "trigger"}, {"CONTROL_FYggcf", "trigger"}, {"CONTROL_FY", "colour B"},
      {"CONTROL_JT", "colour JT"},   {"CONTROL_TS", "colour TS"},  {"CONTROL_CD", "colour CD"},
      {"CONTROL_Color", "palette"},
      {"CONTROL_HONGPIC", "choice"}, {"CONTROL_HUANGPIC", "choice"}, {"CONTROL_LVPIC", "choice"},
      {"CONTROL_LANPIC", "choice"},  {"CONTROL_umCombo", "user"},   {"CONTROL_USER", "user"},
      {"FUNC_KEY_", "page key"},     {"TISHI_SINGLE_STATIC", "page key"}, {"MEDIA_SETTING_TISHI", "page media"},
      {"FUNC_MEDIA_SELECT", "page media"}, {"FUNCTION_KEY_SETTING_TISHI", "page function"},
      {"FUNC_FUNCTION_SELECT", "page function"}, {"MARCO_NAME_SETTING", "page macro"}};
  if (key == "FUNC_MACRO_CYCLES_PROMPT") return {};  // shown on every page
  if (key.rfind("FUNC_MACRO_", 0) == 0) return "page macro";
  for (const auto& [prefix, family] : kPrefixes) {
    if (key.rfind(prefix, 0) == 0) {
      // The direction controls' three placements exclude one another too.
      if (family == "direction") return family + key.back();
      return family;
    }
  }
  return {};
}

bool NeverShownTogether(const std::string& a, const std::string& b) {
  const std::string fa = Family(a), fb = Family(b);
  if (fa.empty() || fb.empty() || fa == fb) return false;
  // The second and third colour groups, the trigger row and the palette are
  // never shown; the three direction placements move one set of controls.
  auto neverShown = [](const std::string& f) {
    return f == "colour JT" || f == "colour TS" || f == "colour CD" || f == "trigger" || f == "palette";
  };
  if (neverShown(fa) || neverShown(fb)) return true;
  if (fa.rfind("direction", 0) == 0 && fb.rfind("direction", 0) == 0) return true;
  // Panel groups the lighting model never shows for one and the same effect.
  auto shown = [](const EffectControls& c, const std::string& f) {
    if (f == "speed") return c.speed;
    if (f.rfind("direction", 0) == 0) return c.direction;
    if (f == "colour A") return c.colourGroupA;
    if (f == "colour B") return c.colourGroupB;
    if (f == "choice") return c.colourChoice;
    if (f == "user") return c.userGroup;
    return true;  // anything else counts as always shown
  };
  if (fa.rfind("page ", 0) == 0 && fb.rfind("page ", 0) == 0) return true;
  bool together = false;
  for (int effect = 0; effect < 256; ++effect) {
    const EffectControls controls = ControlsForEffect(effect);
    together = together || (shown(controls, fa) && shown(controls, fb));
  }
  return !together;
}

class ShippedSkinTest : public ::testing::TestWithParam<Window> {};

TEST_P(ShippedSkinTest, EveryKeyIsPlacedInsideTheWindow) {
  const Window& window = GetParam();
  CIniFile skin(kSkinFolder + window.file);
  const QSize size = BackgroundSize(skin);
  ASSERT_FALSE(size.isEmpty()) << window.file << " names no readable background";
  const QRect inside(QPoint(0, 0), size);
  for (const std::string& key : window.keys) {
    ASSERT_TRUE(skin.ReadString(kPlacementSection, key).has_value()) << window.file << " lacks " << key;
    const Placement placement = ReadPlacement(skin, key);
    EXPECT_FALSE(IsUnplacedButton(placement)) << key << " sits at (1, 1), where buttons are disabled";
    EXPECT_GT(placement.width, 0) << key;
    EXPECT_GT(placement.height, 0) << key;
    EXPECT_TRUE(inside.contains(Rect(placement))) << key << " reaches outside the " << window.file << " window";
  }
}

TEST_P(ShippedSkinTest, ControlsShownTogetherNeverOverlap) {
  const Window& window = GetParam();
  CIniFile skin(kSkinFolder + window.file);
  std::vector<std::string> keys(window.keys);
  std::erase(keys, "FUNC_SWITCH");  // created hidden and never shown
  for (std::size_t i = 0; i < keys.size(); ++i) {
    for (std::size_t j = i + 1; j < keys.size(); ++j) {
      if (NeverShownTogether(keys[i], keys[j])) continue;
      const QRect a = Rect(ReadPlacement(skin, keys[i])), b = Rect(ReadPlacement(skin, keys[j]));
      EXPECT_FALSE(a.intersects(b)) << keys[i] << " overlaps " << keys[j] << " in " << window.file;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Windows, ShippedSkinTest,
                         ::testing::Values(Window{"Main.ini", MainWindowKeys()}, kProfileManager, kKeyDialog),
                         [](const auto& info) { return info.param.file.substr(0, info.param.file.find('.')); });

// Every window image at its window's size, with its HiDPI twin twice as large.
TEST(ShippedSkinImages, StateImagesBackgroundsAndMasksHaveTheWindowSize) {
  const std::vector<std::pair<std::string, std::vector<std::string_view>>> windows = {
      {"Main.ini", {kMainWindowImages.begin(), kMainWindowImages.end()}},
      {"Profile.ini", {kProfileManagerImages.begin(), kProfileManagerImages.end()}},
      {"Composite.ini", {kKeyDialogImages.begin(), kKeyDialogImages.end()}}};
  for (const auto& [file, images] : windows) {
    CIniFile skin(kSkinFolder + file);
    const SkinScreen screen = ReadSkinScreen(skin, kSkinFolder);
    const QSize size = QImage(QString::fromStdString(screen.background)).size();
    ASSERT_FALSE(size.isEmpty()) << file;
    EXPECT_EQ(QImage(QString::fromStdString(screen.mask)).size(), size) << file << " mask";
    std::vector<std::string> names = {screen.background.substr(kSkinFolder.size()), screen.mask.substr(kSkinFolder.size())};
    for (std::string_view image : images) {
      if (image != "Arrow.jpg") names.emplace_back(image);
    }
    for (const std::string& name : names) {
      EXPECT_EQ(Load(name).size(), size) << name;
      EXPECT_EQ(Load(HiDpi(name)).size(), size * 2) << HiDpi(name);
    }
  }
}

TEST(ShippedSkinImages, EveryPictureHasItsHiDpiTwinAtTwiceTheSize) {
  int checked = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kSkinFolder)) {
    const std::string name = entry.path().filename().string();
    const bool image = name.ends_with(".jpg") || name.ends_with(".bmp") || name.ends_with(".png");
    if (!image || name.find("@2x") != std::string::npos || name.rfind("zarvel_", 0) == 0) continue;
    const QImage plain = Load(name);
    ASSERT_FALSE(plain.isNull()) << name << " does not load";
    EXPECT_EQ(Load(HiDpi(name)).size(), plain.size() * 2) << HiDpi(name);
    ++checked;
  }
  EXPECT_GE(checked, 80);  // the windows' images and every lighting picture
}

// The macro page's buttons are hidden on the other pages: the background
// under them must be plain, or their ghosts show behind the single-key page.
TEST(ShippedSkinImages, PageButtonsLeaveNoTraceInTheBackground) {
  CIniFile skin(kSkinFolder + "Composite.ini");
  const QImage background(QString::fromStdString(ReadSkinScreen(skin, kSkinFolder).background));
  for (const char* key : {"FUNC_MACRO_ADD", "FUNC_MACRO_DELETE", "FUNC_MACRO_RECORD", "FUNC_MACRO_UP_TOP", "FUNC_MACRO_UP",
                          "FUNC_MACRO_DOWN", "FUNC_MACRO_DOWN_BOTTOM", "FUNC_MACRO_DELETE2", "FUNC_MACRO_CLEAR"}) {
    const Placement p = ReadPlacement(skin, key);
    int lowest = 255, highest = 0;
    for (int y = p.top; y < p.top + p.height; ++y) {
      for (int x = p.left; x < p.left + p.width; ++x) {
        lowest = std::min(lowest, qGray(background.pixel(x, y)));
        highest = std::max(highest, qGray(background.pixel(x, y)));
      }
    }
    EXPECT_LT(highest - lowest, 8) << key << " shows in the background";
  }
}

// The HiDPI pictures are drawn at twice the size, not blown up: the A key's
// legend in main_normal@2x.jpg has detail a scaled 1x picture lacks.
TEST(ShippedSkinImages, HiDpiPicturesAreDrawnNotScaled) {
  CIniFile skin(kSkinFolder + "Main.ini");
  const Placement a = ReadPlacement(skin, KeyButtonSkinKey(0x1E));
  const QRect piece(2 * (a.left - 1), 2 * (a.top - 1), 2 * a.width, 2 * a.height);
  const QImage sharp = Load("main_normal@2x.jpg").copy(piece).convertToFormat(QImage::Format_RGB32);
  const QImage plain = Load("main_normal.jpg");
  const QImage scaled = plain.scaled(plain.size() * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                            .copy(piece).convertToFormat(QImage::Format_RGB32);
  double difference = 0;
  for (int y = 0; y < sharp.height(); ++y)
    for (int x = 0; x < sharp.width(); ++x) difference += std::abs(qGray(sharp.pixel(x, y)) - qGray(scaled.pixel(x, y)));
  difference /= sharp.width() * sharp.height();
  EXPECT_GT(difference, 2.0) << "main_normal@2x.jpg looks like main_normal.jpg scaled up";
}

// The masks cut rounded corners and keep the rest: a mask white everywhere
// would give a window nobody can see or click.
TEST(ShippedSkinImages, MasksKeepTheBodyAndCutTheCorners) {
  for (const char* file : {"Main.ini", "Profile.ini", "Composite.ini"}) {
    const QImage mask(QString::fromStdString(ReadSkinScreen(CIniFile(kSkinFolder + file), kSkinFolder).mask));
    ASSERT_FALSE(mask.isNull()) << file;
    EXPECT_EQ(mask.pixelColor(0, 0), QColor(Qt::white)) << file;
    EXPECT_EQ(mask.pixelColor(mask.width() - 1, mask.height() - 1), QColor(Qt::white)) << file;
    EXPECT_NE(mask.pixelColor(mask.width() / 2, mask.height() / 2), QColor(Qt::white)) << file;
    EXPECT_NE(mask.pixelColor(mask.width() / 2, 0), QColor(Qt::white)) << file << ": the top edge belongs to the window";
  }
}

// A key's piece must look different hovered, pressed and disabled, or the
// user cannot tell an assigned key from a plain one.
TEST(ShippedSkinImages, KeyStatesLookDifferent) {
  CIniFile skin(kSkinFolder + "Main.ini");
  const Placement a = ReadPlacement(skin, KeyButtonSkinKey(0x1E));
  const QRect piece(a.left - 1, a.top - 1, a.width, a.height);
  auto mean = [&](const char* file) {
    const QImage image = Load(file).copy(piece);
    long sum = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) sum += qGray(image.pixel(x, y));
    return sum / (image.width() * image.height());
  };
  const long normal = mean("main_normal.jpg");
  for (const char* other : {"main_over.jpg", "main_down.jpg", "main_disable.jpg"}) {
    EXPECT_GT(std::abs(mean(other) - normal), 3) << other << " looks like main_normal.jpg on the A key";
  }
}

// Each picture the lighting model names exists, is a BMP without alpha, and
// has the size of the control that shows it.
TEST(ShippedSkinImages, LightingPicturesFitTheirControls) {
  CIniFile skin(kSkinFolder + "Main.ini");
  std::vector<std::pair<std::string, std::vector<std::string>>> pictures;  // picture, controls showing it
  auto add = [&](std::string_view picture, std::vector<std::string> controls) {
    pictures.emplace_back(std::string(picture), std::move(controls));
  };
  for (int brightness = 0; brightness <= 5; ++brightness) add(BrightnessPicture(brightness), {"CONTROL_LightSlider"});
  for (int position = 0; position <= 3; ++position) add(SpeedPicture(position), {"CONTROL_SpeedSlider"});
  for (int effect : {1, 12, 18}) {
    for (int direction : {0xFF, 0x00}) {
      const ArrowPictures arrows = DirectionPictures(effect, direction);
      const DirectionPlacementKeys keys = DirectionPlacementFor(effect);
      add(arrows.first, {keys.firstArrow});
      add(arrows.second, {keys.secondArrow});
    }
  }
  for (bool on : {false, true}) {
    add(RandomColourPicture(on), {"CONTROL_HXsjsStaPic", "CONTROL_FYSJSStaPic"});
    add(LightingSwitchPicture(on), {"CONTROL_DengStaPic"});
  }
  const char* choiceControls[] = {"CONTROL_HONGPIC", "CONTROL_HUANGPIC", "CONTROL_LVPIC", "CONTROL_LANPIC"};
  for (int choice = 0; choice < 4; ++choice) {
    add(ColourChoicePicture(choice, false), {choiceControls[choice]});
    add(ColourChoicePicture(choice, true), {choiceControls[choice]});
  }
  for (int tool = 0; tool <= 2; ++tool) {
    add(ToolPicturesFor(tool).first, {"CONTROL_USERgjStaPic1"});
    add(ToolPicturesFor(tool).second, {"CONTROL_USERgjStaPic2"});
  }
  for (int frame = 1; frame <= 10; ++frame) add("jdt" + std::to_string(frame) + ".bmp", {"CONTROL_JDTStatic"});

  for (const auto& [picture, controls] : pictures) {
    const QImage image = Load(picture);
    ASSERT_FALSE(image.isNull()) << picture << " is missing";
    EXPECT_FALSE(image.hasAlphaChannel()) << picture;
    for (const std::string& control : controls) {
      const Placement placement = ReadPlacement(skin, control);
      EXPECT_EQ(image.size(), QSize(placement.width, placement.height)) << picture << " in " << control;
    }
  }
}

// The flip arrows' pieces of Arrow.jpg lie inside it.
TEST(ShippedSkinImages, ArrowPiecesLieInsideTheArrowImage) {
  CIniFile skin(kSkinFolder + "Main.ini");
  const QImage arrows = Load("Arrow.jpg");
  ASSERT_FALSE(arrows.isNull());
  for (const char* arrow : {"LEFT_ARROW", "RIGHT_ARROW"}) {
    const Placement button = ReadPlacement(skin, arrow);
    for (const char* base : {"UP_ARROW_LEFT", "DOWN_ARROW_LEFT", "UP_ARROW_RIGHT", "DOWN_ARROW_RIGHT"}) {
      for (int number = 1; number <= 2; ++number) {
        const std::string key = ArrowOriginKey(base, number);
        ASSERT_TRUE(skin.ReadString(kImageOriginSection, key).has_value()) << key;
        const ImageOrigin origin = ReadImageOrigin(skin, key);
        const QRect piece(origin.x - 1, origin.y - 1, button.width, button.height);
        EXPECT_TRUE(arrows.rect().contains(piece)) << key << " for " << arrow;
      }
    }
  }
}

TEST(ShippedSkinImages, TrayAndApplicationIconsExist) {
  for (const char* icon : {"icon128.png", "icon141.png", "icon142.png"}) {
    const QImage image = Load(icon);
    ASSERT_FALSE(image.isNull()) << icon;
    EXPECT_EQ(image.width(), image.height()) << icon;
    EXPECT_TRUE(image.hasAlphaChannel()) << icon;
  }
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    EXPECT_EQ(Load("zarvel_" + std::to_string(size) + ".png").size(), QSize(size, size)) << size;
  }
}

TEST(ShippedSkinCheck, TheGeneratedSkinPassesTheStartUpCheck) {
  const SkinCheckResult result = CheckSkin(kSkinFolder);
  EXPECT_TRUE(result.ok) << DescribeSkinFailure(result);
  SkinImageCache::Instance().SetFolder({});
}

TEST(ShippedSkinCheck, AMissingImageFailsTheCheckByName) {
  const std::filesystem::path copy = std::filesystem::temp_directory_path() / ("zarvel-skin-copy-" + std::to_string(::getpid()));
  std::filesystem::remove_all(copy);
  std::filesystem::copy(kSkinFolder, copy, std::filesystem::copy_options::recursive);
  const std::string folder = copy.string() + "/";
  for (const char* missing : {"macro2_disable.jpg", "Profile_over.jpg", "main_mask.png"}) {
    std::filesystem::path gone = copy / missing;
    std::filesystem::rename(gone, copy / "set-aside");
    SkinImageCache::Instance().Clear();  // it remembers the picture missing last time
    const SkinCheckResult result = CheckSkin(folder);
    EXPECT_FALSE(result.ok) << missing;
    EXPECT_EQ(result.failed_file, folder + missing);
    EXPECT_NE(DescribeSkinFailure(result).find(missing), std::string::npos);
    std::filesystem::rename(copy / "set-aside", gone);
  }
  std::filesystem::remove_all(copy);
  SkinImageCache::Instance().SetFolder({});
}

}  // namespace
}  // namespace zarvel
