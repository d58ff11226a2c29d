// The main window of our skin: the keyboard picture (all 104 keys, Fn, the
// nine G keys, lock indicators, the flip row), the profile bar, the lighting
// panel on the right and the command buttons.
#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

#include "core/key_buttons.h"
#include "model/key_table.h"
#include "skin/placement.h"
#include "tools/skin_generator/drawing.h"
#include "tools/skin_generator/skin_layout.h"

namespace zarvel::skingen {
namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 476;

// The keyboard: one unit is a 1u key's pitch; a cap leaves 2 pixels to each neighbour.
constexpr double kUnit = 38;
constexpr int kCaseLeft = 16, kCaseTop = 104, kCaseWidth = 944, kCaseHeight = 306;
constexpr int kStripTop = 116;               // the strip above the F-row (flip row, indicators)
constexpr int kFRowTop = 150;                // F-row
constexpr int kRowsTop = kFRowTop + 12;      // row r (1..5) starts at kRowsTop + r * kUnit
constexpr double kLeftColumn = 30;           // Fn and G1..G5
constexpr double kMainBlock = 78;            // Esc, letters, modifiers
constexpr double kNavBlock = kMainBlock + 15 * kUnit + 14;
constexpr double kPadBlock = kNavBlock + 3 * kUnit + 14;

// The lighting panel on the right.
constexpr int kPanelLeft = 976, kPanelTop = 60, kPanelWidth = 288, kPanelHeight = 350;
constexpr int kLabelX = 990, kLabelW = 88, kCtrlX = 1082;
constexpr int kBottomTop = 428;  // the row under the keyboard and the panel

struct KeySpot {
  KeyCode code;
  double block;  // left of the block the key sits in
  double x;      // units from the block's left
  int row;       // 0 F-row, 1..5
  double width = 1, height = 1;
  const char* legend = "";
  const char* legend2 = "";
};

// Every key button of the keyboard picture. Legends are what is printed on
// the key; legend2 is the shifted symbol (number row) or the key pad's
// second function.
const KeySpot kKeys[] = {
    // F-row
    {0x01, kMainBlock, 0, 0, 1, 1, "Esc"},
    {0x3B, kMainBlock, 2, 0, 1, 1, "F1"}, {0x3C, kMainBlock, 3, 0, 1, 1, "F2"},
    {0x3D, kMainBlock, 4, 0, 1, 1, "F3"}, {0x3E, kMainBlock, 5, 0, 1, 1, "F4"},
    {0x3F, kMainBlock, 6.5, 0, 1, 1, "F5"}, {0x40, kMainBlock, 7.5, 0, 1, 1, "F6"},
    {0x41, kMainBlock, 8.5, 0, 1, 1, "F7"}, {0x42, kMainBlock, 9.5, 0, 1, 1, "F8"},
    {0x43, kMainBlock, 11, 0, 1, 1, "F9"}, {0x44, kMainBlock, 12, 0, 1, 1, "F10"},
    {0x57, kMainBlock, 13, 0, 1, 1, "F11"}, {0x58, kMainBlock, 14, 0, 1, 1, "F12"},
    // number row
    {0x29, kMainBlock, 0, 1, 1, 1, "`", "~"}, {0x02, kMainBlock, 1, 1, 1, 1, "1", "!"},
    {0x03, kMainBlock, 2, 1, 1, 1, "2", "@"}, {0x04, kMainBlock, 3, 1, 1, 1, "3", "#"},
    {0x05, kMainBlock, 4, 1, 1, 1, "4", "$"}, {0x06, kMainBlock, 5, 1, 1, 1, "5", "%"},
    {0x07, kMainBlock, 6, 1, 1, 1, "6", "^"}, {0x08, kMainBlock, 7, 1, 1, 1, "7", "&"},
    {0x09, kMainBlock, 8, 1, 1, 1, "8", "*"}, {0x0A, kMainBlock, 9, 1, 1, 1, "9", "("},
    {0x0B, kMainBlock, 10, 1, 1, 1, "0", ")"}, {0x0C, kMainBlock, 11, 1, 1, 1, "-", "_"},
    {0x0D, kMainBlock, 12, 1, 1, 1, "=", "+"}, {0x0E, kMainBlock, 13, 1, 2, 1, "Backspace"},
    // top letter row
    {0x0F, kMainBlock, 0, 2, 1.5, 1, "Tab"}, {0x10, kMainBlock, 1.5, 2, 1, 1, "Q"},
    {0x11, kMainBlock, 2.5, 2, 1, 1, "W"}, {0x12, kMainBlock, 3.5, 2, 1, 1, "E"},
    {0x13, kMainBlock, 4.5, 2, 1, 1, "R"}, {0x14, kMainBlock, 5.5, 2, 1, 1, "T"},
    {0x15, kMainBlock, 6.5, 2, 1, 1, "Y"}, {0x16, kMainBlock, 7.5, 2, 1, 1, "U"},
    {0x17, kMainBlock, 8.5, 2, 1, 1, "I"}, {0x18, kMainBlock, 9.5, 2, 1, 1, "O"},
    {0x19, kMainBlock, 10.5, 2, 1, 1, "P"}, {0x1A, kMainBlock, 11.5, 2, 1, 1, "[", "{"},
    {0x1B, kMainBlock, 12.5, 2, 1, 1, "]", "}"}, {0x2B, kMainBlock, 13.5, 2, 1.5, 1, "\\", "|"},
    // home row
    {0x3A, kMainBlock, 0, 3, 1.75, 1, "Caps Lock"}, {0x1E, kMainBlock, 1.75, 3, 1, 1, "A"},
    {0x1F, kMainBlock, 2.75, 3, 1, 1, "S"}, {0x20, kMainBlock, 3.75, 3, 1, 1, "D"},
    {0x21, kMainBlock, 4.75, 3, 1, 1, "F"}, {0x22, kMainBlock, 5.75, 3, 1, 1, "G"},
    {0x23, kMainBlock, 6.75, 3, 1, 1, "H"}, {0x24, kMainBlock, 7.75, 3, 1, 1, "J"},
    {0x25, kMainBlock, 8.75, 3, 1, 1, "K"}, {0x26, kMainBlock, 9.75, 3, 1, 1, "L"},
    {0x27, kMainBlock, 10.75, 3, 1, 1, ";", ":"}, {0x28, kMainBlock, 11.75, 3, 1, 1, "'", "\""},
    {0x1C, kMainBlock, 12.75, 3, 2.25, 1, "Enter"},
    // bottom letter row
    {0x2A, kMainBlock, 0, 4, 2.25, 1, "Shift"}, {0x2C, kMainBlock, 2.25, 4, 1, 1, "Z"},
    {0x2D, kMainBlock, 3.25, 4, 1, 1, "X"}, {0x2E, kMainBlock, 4.25, 4, 1, 1, "C"},
    {0x2F, kMainBlock, 5.25, 4, 1, 1, "V"}, {0x30, kMainBlock, 6.25, 4, 1, 1, "B"},
    {0x31, kMainBlock, 7.25, 4, 1, 1, "N"}, {0x32, kMainBlock, 8.25, 4, 1, 1, "M"},
    {0x33, kMainBlock, 9.25, 4, 1, 1, ",", "<"}, {0x34, kMainBlock, 10.25, 4, 1, 1, ".", ">"},
    {0x35, kMainBlock, 11.25, 4, 1, 1, "/", "?"}, {0x36, kMainBlock, 12.25, 4, 2.75, 1, "Shift"},
    // space row
    {0x1D, kMainBlock, 0, 5, 1.25, 1, "Ctrl"}, {0x15B, kMainBlock, 1.25, 5, 1.25, 1, "Win"},
    {0x38, kMainBlock, 2.5, 5, 1.25, 1, "Alt"}, {0x39, kMainBlock, 3.75, 5, 6.25, 1, ""},
    {0x138, kMainBlock, 10, 5, 1.25, 1, "Alt"}, {0x15C, kMainBlock, 11.25, 5, 1.25, 1, "Win"},
    {0x15D, kMainBlock, 12.5, 5, 1.25, 1, "Menu"}, {0x11D, kMainBlock, 13.75, 5, 1.25, 1, "Ctrl"},
    // navigation cluster
    {0x137, kNavBlock, 0, 0, 1, 1, "PrtSc"}, {0x46, kNavBlock, 1, 0, 1, 1, "ScrLk"},
    {0x45, kNavBlock, 2, 0, 1, 1, "Pause"},
    {0x152, kNavBlock, 0, 1, 1, 1, "Ins"}, {0x147, kNavBlock, 1, 1, 1, 1, "Home"},
    {0x149, kNavBlock, 2, 1, 1, 1, "PgUp"},
    {0x153, kNavBlock, 0, 2, 1, 1, "Del"}, {0x14F, kNavBlock, 1, 2, 1, 1, "End"},
    {0x151, kNavBlock, 2, 2, 1, 1, "PgDn"},
    {0x148, kNavBlock, 1, 4, 1, 1, "\u2191"}, {0x14B, kNavBlock, 0, 5, 1, 1, "\u2190"},
    {0x150, kNavBlock, 1, 5, 1, 1, "\u2193"}, {0x14D, kNavBlock, 2, 5, 1, 1, "\u2192"},
    // numeric pad
    {0x145, kPadBlock, 0, 1, 1, 1, "Num"}, {0x135, kPadBlock, 1, 1, 1, 1, "/"},
    {0x37, kPadBlock, 2, 1, 1, 1, "*"}, {0x4A, kPadBlock, 3, 1, 1, 1, "-"},
    {0x47, kPadBlock, 0, 2, 1, 1, "7", "Home"}, {0x48, kPadBlock, 1, 2, 1, 1, "8", "\u2191"},
    {0x49, kPadBlock, 2, 2, 1, 1, "9", "PgUp"}, {0x4E, kPadBlock, 3, 2, 1, 2, "+"},
    {0x4B, kPadBlock, 0, 3, 1, 1, "4", "\u2190"}, {0x4C, kPadBlock, 1, 3, 1, 1, "5"},
    {0x4D, kPadBlock, 2, 3, 1, 1, "6", "\u2192"},
    {0x4F, kPadBlock, 0, 4, 1, 1, "1", "End"}, {0x50, kPadBlock, 1, 4, 1, 1, "2", "\u2193"},
    {0x51, kPadBlock, 2, 4, 1, 1, "3", "PgDn"}, {0x11C, kPadBlock, 3, 4, 1, 2, "Enter"},
    {0x52, kPadBlock, 0, 5, 2, 1, "0", "Ins"}, {0x53, kPadBlock, 2, 5, 1, 1, ".", "Del"},
};
static_assert(std::size(kKeys) == kKeyButtonCount, "every key button of the main window is drawn");

double RowTop(int row) { return row == 0 ? kFRowTop : kRowsTop + row * kUnit; }

// A cap at block + x units in `row`: the 2-pixel gap to each neighbour keeps caps apart.
QRect CapRect(double block, double x, int row, double width, double height) {
  const int left = static_cast<int>(block + x * kUnit + 2 + 0.5);
  const int top = static_cast<int>(RowTop(row) + 2);
  return QRect(left, top, static_cast<int>(width * kUnit - 4 + 0.5), static_cast<int>(height * kUnit - 4 + 0.5));
}

Item Key(std::string key, QRect rect, QString legend, QString legend2 = {}) {
  Item item;
  item.key = std::move(key);
  item.rect = rect;
  item.kind = Kind::kKeyCap;
  item.legend = std::move(legend);
  item.legend2 = std::move(legend2);
  return item;
}

Item Make(std::string key, QRect rect, Kind kind, QString legend = {}, Glyph glyph = Glyph::kNone,
          std::string group = {}) {
  Item item;
  item.key = std::move(key);
  item.rect = rect;
  item.kind = kind;
  item.legend = std::move(legend);
  item.glyph = glyph;
  item.group = std::move(group);
  return item;
}

void AddKeyboard(std::vector<Item>& items) {
  for (const KeySpot& spot : kKeys) {
    items.push_back(Key(KeyButtonSkinKey(KeyCodeToRecordIndex(spot.code)),
                        CapRect(spot.block, spot.x, spot.row, spot.width, spot.height),
                        QString::fromUtf8(spot.legend), QString::fromUtf8(spot.legend2)));
  }
  // Fn above G1..G5 in the left column; G6..G9 over the numeric pad.
  items.push_back(Key("KEY_FN", CapRect(kLeftColumn, 0, 0, 1, 1), "Fn"));
  for (int n = 1; n <= 5; ++n) items.push_back(Key(GButtonSkinKey(n), CapRect(kLeftColumn, 0, n, 1, 1), QString("G%1").arg(n)));
  for (int n = 6; n <= 9; ++n) items.push_back(Key(GButtonSkinKey(n), CapRect(kPadBlock, n - 6, 0, 1, 1), QString("G%1").arg(n)));

  // The strip above the F-row: six spare keys over F1..F6 (they take the
  // F-keys' place while the top row is flipped), the flip controls with
  // their arrows, the ISO spare key and the lock indicators.
  const int stripH = 22;
  for (int n = 1; n <= 6; ++n) {
    const int left = static_cast<int>(kMainBlock + (n + 1) * kUnit + 2);
    items.push_back(Make("FUNC_SPARE" + std::to_string(n), QRect(left, kStripTop, 34, stripH), Kind::kButton,
                         QString("D%1").arg(n)));
  }
  items.push_back(Make("LEFT_ARROW", QRect(static_cast<int>(kMainBlock + 1.4 * kUnit), kStripTop, kArrowCell, kArrowCell), Kind::kArrow));
  items.push_back(Make("RIGHT_ARROW", QRect(static_cast<int>(kMainBlock + 8 * kUnit + 6), kStripTop, kArrowCell, kArrowCell), Kind::kArrow));
  // Both flip buttons swap the top row; between them, the caption says what
  // is swapped (FLIP_0 does nothing when clicked).
  items.push_back(Make("FLIP_1", QRect(420, kStripTop, 26, stripH), Kind::kButton, {}, Glyph::kLeft));
  items.push_back(Make("FLIP_0", QRect(450, kStripTop, 116, stripH), Kind::kCaption, "F1-F4 \u21c4 D1-D6"));
  items.push_back(Make("FLIP_2", QRect(570, kStripTop, 26, stripH), Kind::kButton, {}, Glyph::kRight));
  items.push_back(Make("FUNC_K45", QRect(608, kStripTop, 40, stripH), Kind::kButton, "ISO \\"));
  // Lock indicators over the numeric pad, each as wide as its name needs.
  const struct { const char* key; const char* name; int width; } locks[] = {
      {"LOCK_NUM", "Num", 34}, {"LOCK_CAPS", "Caps", 38}, {"LOCK_SCROLL", "Scroll", 46}, {"LOCK_AB", "Win", 30}};
  int left = static_cast<int>(kPadBlock) + 1;
  for (const auto& lock : locks) {
    items.push_back(Make(lock.key, QRect(left, kStripTop, lock.width, stripH), Kind::kIndicator, lock.name));
    left += lock.width + 2;
  }
}

void AddHeaderAndBars(std::vector<Item>& items) {
  items.push_back(Make("TALVOR_LINK", QRect(16, 9, 196, 34), Kind::kButton, "VARNOK", Glyph::kLogo));
  items.push_back(Make("TALVOR_VER", QRect(222, 17, 120, 20), Kind::kPlainButton));
  const int header = 11;
  items.push_back(Make("CONTROL_MENU", QRect(1112, header, 34, 28), Kind::kButton, {}, Glyph::kMenu));
  items.push_back(Make("CONTROL_HELP", QRect(1152, header, 34, 28), Kind::kButton, {}, Glyph::kHelp));
  items.push_back(Make("CONTROL_MINIMIZE", QRect(1192, header, 34, 28), Kind::kButton, {}, Glyph::kMinimise));
  items.push_back(Make("CONTROL_CLOSE", QRect(1232, header, 34, 28), Kind::kButton, {}, Glyph::kClose));

  // Profile bar; the window draws these captions from the language file.
  for (int n = 1; n <= 4; ++n) {
    items.push_back(Make("FUNC_PROFILE" + std::to_string(n), QRect(16 + (n - 1) * 118, 60, 112, 34), Kind::kButton));
  }
  items.push_back(Make("FUNC_PROFILES", QRect(500, 60, 204, 34), Kind::kButton));
  items.push_back(Make("FUNC_MACRO", QRect(716, 60, 110, 34), Kind::kButton));
  items.push_back(Make("FUNC_DEFAULT", QRect(834, 60, 110, 34), Kind::kButton));

  // Bottom row: web buttons, report rate, colour numbers, progress, Apply/OK/Cancel.
  const int top = kBottomTop;
  items.push_back(Make("CONTROL_Network", QRect(16, top, 34, 34), Kind::kButton, {}, Glyph::kGlobe));
  items.push_back(Make("CONTROL_Facebook", QRect(56, top, 34, 34), Kind::kButton, {}, Glyph::kLetterF));
  items.push_back(Make("CONTROL_twitter", QRect(96, top, 34, 34), Kind::kButton, {}, Glyph::kBird));
  items.push_back(Make("CONTROL_UsbStatic", QRect(150, top + 4, 96, 26), Kind::kArea));
  for (int n = 1; n <= 4; ++n) {
    items.push_back(Make("FUNC_REPORT" + std::to_string(n), QRect(250 + (n - 1) * 42, top + 4, 38, 26), Kind::kButton,
                         QString::number(n)));
  }
  items.push_back(Make("CONTROL_RGBStatic", QRect(436, top + 4, 36, 26), Kind::kArea));
  items.push_back(Make("COLOR_R", QRect(476, top + 4, 56, 26), Kind::kArea));
  items.push_back(Make("COLOR_G", QRect(538, top + 4, 56, 26), Kind::kArea));
  items.push_back(Make("COLOR_B", QRect(600, top + 4, 56, 26), Kind::kArea));
  items.push_back(Make("CONTROL_JDTStatic", QRect(680, top + 9, 200, 16), Kind::kArea));
  items.push_back(Make("FUNC_SWITCH", QRect(886, top + 4, 28, 26), Kind::kHidden));
  items.push_back(Make("CONTROL2_APPLY", QRect(922, top, 110, 34), Kind::kButton));
  items.push_back(Make("CONTROL_OK", QRect(1038, top, 110, 34), Kind::kButton));
  items.push_back(Make("CONTROL_CANCEL", QRect(1154, top, 110, 34), Kind::kButton));
}

// The lighting panel, rows from the top: switch, effect list, brightness,
// speed, colour group A, direction. No effect shows colour group B, the
// colour choice or the user colour group together with the speed or
// direction rows (or with one another), so those three start right under
// brightness, where an effect that shows them has a gap otherwise.
void AddLightingPanel(std::vector<Item>& items) {
  auto area = [&](std::string key, QRect rect, std::string group = {}) {
    items.push_back(Make(std::move(key), rect, Kind::kArea, {}, Glyph::kNone, std::move(group)));
  };
  const int speedRow = 198, colourRow = 228, directionRow = 260;
  const int compactRow = speedRow;  // colour group B, colour choice, user group
  area("CONTROL_DengStatic", QRect(kLabelX, 96, 140, 26));
  area("CONTROL_DengStaPic", QRect(1196, 96, 54, 26));
  area("CONTROL_XGcombox", QRect(kLabelX, 130, 260, 28));
  area("CONTROL_LightStatic", QRect(kLabelX, 168, kLabelW, 24));
  area("CONTROL_LightSlider", QRect(kCtrlX, 168, 168, 24));
  area("CONTROL_SpeedStatic", QRect(kLabelX, speedRow, kLabelW, 24), "speed");
  area("CONTROL_SpeedSlider", QRect(kCtrlX, speedRow, 168, 24), "speed");
  // The direction label and arrows: one set of controls, moved between
  // these keys by effect; all three sit in the same place.
  for (const char* suffix : {"", "2", "3"}) {
    const std::string group = std::string("direction") + suffix;
    area(std::string("CONTROL_BLFXStatic") + suffix, QRect(kLabelX, directionRow, kLabelW, 26), group);
    area(std::string("CONTROL_BLFXLStaPic") + suffix, QRect(kCtrlX, directionRow, 44, 26), group);
    area(std::string("CONTROL_BLFXRStaPic") + suffix, QRect(kCtrlX + 52, directionRow, 44, 26), group);
  }
  // Colour groups A and B; the second and third colours (JT, TS, CD) and the
  // trigger row are kept hidden by the window, but get a place all the same.
  const struct { const char* keys[4]; int row; } groups[] = {
      {{"CONTROL_HXysStatic", "CONTROL_HXysButton", "CONTROL_HXsjsStatic", "CONTROL_HXsjsStaPic"}, colourRow},
      {{"CONTROL_FYYSStatic", "CONTROL_FYYSButton", "CONTROL_FYSJSStatic", "CONTROL_FYSJSStaPic"}, compactRow},
      {{"CONTROL_JTysStatic", "CONTROL_JTysButton", nullptr, nullptr}, colourRow},
      {{"CONTROL_TSysStatic", "CONTROL_TSysButton", "CONTROL_TSsjsStatic", "CONTROL_TSsjsStaPic"}, colourRow},
      {{"CONTROL_CDysStatic", "CONTROL_CDysButton", "CONTROL_CDsjsStatic", "CONTROL_CDsjsStaPic"}, colourRow}};
  for (const auto& entry : groups) {
    const std::string group = std::string("colour:") + std::string(entry.keys[0]).substr(8, 2);
    area(entry.keys[0], QRect(kLabelX, entry.row, kLabelW, 24), group);
    area(entry.keys[1], QRect(kCtrlX, entry.row, 60, 24), group);
    if (entry.keys[2] == nullptr) continue;
    area(entry.keys[2], QRect(kCtrlX + 70, entry.row, 64, 24), group);
    area(entry.keys[3], QRect(kCtrlX + 140, entry.row, 28, 24), group);
  }
  area("CONTROL_FYCFStatic", QRect(kLabelX, colourRow, kLabelW, 24), "colour:trigger");
  area("CONTROL_FYdjcfStaPic", QRect(kCtrlX, colourRow, 28, 24), "colour:trigger");
  area("CONTROL_FYdjcfStatic", QRect(kCtrlX + 32, colourRow, 50, 24), "colour:trigger");
  area("CONTROL_FYggcfStaPic", QRect(kCtrlX + 86, colourRow, 28, 24), "colour:trigger");
  area("CONTROL_FYggcfStatc", QRect(kCtrlX + 118, colourRow, 50, 24), "colour:trigger");
  for (int n = 1; n <= 8; ++n) area("CONTROL_Color" + std::to_string(n), QRect(kLabelX + (n - 1) * 33, colourRow, 26, 24), "colour:palette");
  const char* choices[] = {"CONTROL_HONGPIC", "CONTROL_HUANGPIC", "CONTROL_LVPIC", "CONTROL_LANPIC"};
  for (int i = 0; i < 4; ++i) area(choices[i], QRect(kCtrlX + i * 42, compactRow, 30, 30), "colour:choice");
  const int user = compactRow;
  area("CONTROL_umCombo", QRect(kLabelX, user, 260, 28), "colour:user");
  area("CONTROL_USERysStatic", QRect(kLabelX, user + 36, kLabelW, 24), "colour:user");
  area("CONTROL_USERysButton", QRect(kCtrlX, user + 36, 60, 24), "colour:user");
  area("CONTROL_USERjsStatic", QRect(kLabelX, user + 68, kLabelW, 24), "colour:user");
  area("CONTROL_USERjsButton", QRect(kCtrlX, user + 68, 60, 24), "colour:user");
  area("CONTROL_USERgjStatic", QRect(kLabelX, user + 100, kLabelW, 28), "colour:user");
  area("CONTROL_USERgjStaPic1", QRect(kCtrlX, user + 100, 40, 28), "colour:user");
  area("CONTROL_USERgjStaPic2", QRect(kCtrlX + 48, user + 100, 40, 28), "colour:user");
}

// A faint colour spectrum, the keyboard's lighting in one line.
QLinearGradient RgbStrip(qreal left, qreal width, int alpha) {
  QLinearGradient gradient(left, 0, left + width, 0);
  const QColor stops[] = {QColor(0xff, 0x3b, 0x5c), QColor(0xff, 0xb0, 0x2e), QColor(0x3c, 0xd8, 0x6e),
                          QColor(0x2f, 0xc6, 0xf6), QColor(0x8a, 0x5c, 0xff)};
  for (int i = 0; i < 5; ++i) {
    QColor colour = stops[i];
    colour.setAlpha(alpha);
    gradient.setColorAt(i / 4.0, colour);
  }
  return gradient;
}

void DrawMainBackdrop(QPainter& painter, const WindowLayout& layout, const std::string&) {
  painter.fillRect(QRect(QPoint(0, 0), layout.size), theme::kWindow);
  painter.fillRect(QRect(0, 0, kWidth, 52), theme::kHeader);
  painter.fillRect(QRect(0, 52, kWidth, 1), theme::kPanelBorder);
  // Keyboard case with a thin accent line along its top edge.
  FillPanel(painter, QRectF(kCaseLeft, kCaseTop, kCaseWidth, kCaseHeight), theme::kCase, theme::kCaseBorder, 14);
  painter.fillRect(QRectF(kCaseLeft + 24, kCaseTop, kCaseWidth - 48, 2), RgbStrip(kCaseLeft + 24, kCaseWidth - 48, 110));
  painter.setPen(theme::kTextDim);
  painter.setFont(Font(11, true));
  painter.drawText(QRectF(kLeftColumn, kStripTop, 70, 22), Qt::AlignVCenter | Qt::AlignLeft, "Z7Q3RGB");
  painter.setFont(Font(10));
  painter.drawText(QRectF(kNavBlock, kStripTop, 3 * kUnit, 22), Qt::AlignCenter, "VARNOK");
  // Lighting panel card.
  FillPanel(painter, QRectF(kPanelLeft, kPanelTop, kPanelWidth, kPanelHeight), theme::kPanel, theme::kPanelBorder, 10);
  SectionTitle(painter, QPointF(kLabelX, 68), "LIGHTING");
  // Bottom row rule.
  painter.fillRect(QRect(16, kBottomTop - 10, kWidth - 32, 1), theme::kPanelBorder);
}

}  // namespace

WindowLayout MainWindowLayout() {
  WindowLayout layout;
  layout.iniFile = "Main.ini";
  layout.background = "main_bg.png";
  layout.mask = "main_mask.png";
  layout.size = QSize(kWidth, kHeight);
  layout.link = "https://www.varnok.com/";
  AddHeaderAndBars(layout.items);
  AddKeyboard(layout.items);
  AddLightingPanel(layout.items);
  // Arrow.jpg: columns UP/DOWN x LEFT/RIGHT, row 1 plain, row 2 lit (while
  // the pointer rests on a flip button). The piece starts one pixel up and
  // left of the origin, hence the +1.
  const char* bases[] = {"UP_ARROW_LEFT", "DOWN_ARROW_LEFT", "UP_ARROW_RIGHT", "DOWN_ARROW_RIGHT"};
  for (int column = 0; column < 4; ++column) {
    for (int number = 1; number <= 2; ++number) {
      layout.imageOrigins.push_back(
          {ArrowOriginKey(bases[column], number), QPoint(column * kArrowCell + 1, (number - 1) * kArrowCell + 1)});
    }
  }
  layout.backdrop = DrawMainBackdrop;
  return layout;
}

QSize ArrowAtlasSize() { return QSize(4 * kArrowCell, 2 * kArrowCell); }

std::vector<StateImageFile> MainWindowImages() {
  // No checked image: the window passes the pressed one, so assigned keys
  // and the chosen profile look pressed. main_color0/1 belong to the
  // key-selection mode, which never runs; they repeat the normal look.
  return {{"main_normal.jpg", "", FaceState::kNormal},   {"main_over.jpg", "", FaceState::kHovered},
          {"main_down.jpg", "", FaceState::kPressed},    {"main_disable.jpg", "", FaceState::kDisabled},
          {"main_color0.jpg", "", FaceState::kNormal},   {"main_color1.jpg", "", FaceState::kPressed}};
}

const Item* WindowLayout::Find(const std::string& key) const {
  auto it = std::find_if(items.begin(), items.end(), [&](const Item& item) { return item.key == key; });
  return it == items.end() ? nullptr : &*it;
}

}  // namespace zarvel::skingen
