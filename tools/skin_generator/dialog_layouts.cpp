// The two dialogs of our skin: the key-function dialog with its four pages
// (single key, macro, multimedia, keyboard function) and the profile manager.
#include <QPainter>

#include "tools/skin_generator/drawing.h"
#include "tools/skin_generator/skin_layout.h"

namespace zarvel::skingen {
namespace {

Item Make(std::string key, QRect rect, Kind kind, QString legend = {}, Glyph glyph = Glyph::kNone,
          std::string group = {}, std::string imageSet = {}) {
  Item item;
  item.key = std::move(key);
  item.rect = rect;
  item.kind = kind;
  item.legend = std::move(legend);
  item.glyph = glyph;
  item.group = std::move(group);
  item.imageSet = std::move(imageSet);
  return item;
}

// ---- key-function dialog ------------------------------------------------

constexpr int kDialogWidth = 640, kDialogHeight = 444;
constexpr int kContentTop = 98, kContentHeight = 290;
constexpr int kPageLeft = 146;  // right of the page picture

void AddDialogFrame(std::vector<Item>& items) {
  // Page buttons, OK, Cancel, Clear, the title and the on-screen keyboard
  // button use the "key" pictures; the window draws the page buttons', OK's,
  // Cancel's and Apply's captions from the language file.
  items.push_back(Make("CONTROL_TITLE", QRect(14, 8, 36, 34), Kind::kButton, {}, Glyph::kKey, {}, "key"));
  items.push_back(Make("KEY_SETTING", QRect(58, 12, 300, 28), Kind::kArea));
  items.push_back(Make("CONTROL_OSK", QRect(548, 10, 36, 30), Kind::kButton, {}, Glyph::kKeyboard, {}, "key"));
  items.push_back(Make("CONTROL_CLEAR", QRect(590, 10, 36, 30), Kind::kButton, {}, Glyph::kReset, {}, "key"));
  const char* pages[] = {"CONTROL_KEY", "CONTROL_MACRO", "CONTROL_MEDIA", "CONTROL_FUNCTION"};
  for (int i = 0; i < 4; ++i) {
    items.push_back(Make(pages[i], QRect(14 + i * 154, 56, 148, 34), Kind::kTab, {}, Glyph::kNone, {}, "key"));
  }
  items.push_back(Make("CONTROL_MASK", QRect(14, kContentTop, 120, kContentHeight), Kind::kPageArt, {}, Glyph::kNone, {}, "key"));
  items.push_back(Make("CONTROL2_APPLY", QRect(334, 400, 92, 32), Kind::kButton, {}, Glyph::kNone, {}, "key"));
  items.push_back(Make("CONTROL_OK", QRect(432, 400, 92, 32), Kind::kButton, {}, Glyph::kNone, {}, "key"));
  items.push_back(Make("CONTROL_CANCEL", QRect(530, 400, 92, 32), Kind::kButton, {}, Glyph::kNone, {}, "key"));
}

void AddSingleKeyPage(std::vector<Item>& items) {
  const std::string page = "page:key";
  items.push_back(Make("TISHI_SINGLE_STATIC", QRect(kPageLeft, 108, 470, 26), Kind::kArea, {}, Glyph::kNone, page));
  items.push_back(Make("FUNC_KEY_INPUT", QRect(kPageLeft, 142, 300, 46), Kind::kArea, {}, Glyph::kNone, page));
  items.push_back(Make("FUNC_KEY_RADIO_KB", QRect(kPageLeft, 206, 22, 22), Kind::kArea, {}, Glyph::kNone, page));
  items.push_back(Make("FUNC_KEY_RADIO_KB_STATIC", QRect(kPageLeft + 28, 204, 160, 26), Kind::kArea, {}, Glyph::kNone, page));
  items.push_back(Make("FUNC_KEY_RADIO_MOU", QRect(kPageLeft, 244, 22, 22), Kind::kArea, {}, Glyph::kNone, page));
  items.push_back(Make("FUNC_KEY_RADIO_MOU_STATIC", QRect(kPageLeft + 28, 242, 160, 26), Kind::kArea, {}, Glyph::kNone, page));
  items.push_back(Make("FUNC_KEY_COMBO_MOU", QRect(kPageLeft + 200, 241, 220, 28), Kind::kArea, {}, Glyph::kNone, page));
}

void AddListPages(std::vector<Item>& items) {
  items.push_back(Make("MEDIA_SETTING_TISHI", QRect(kPageLeft, 108, 470, 26), Kind::kArea, {}, Glyph::kNone, "page:media"));
  items.push_back(Make("FUNC_MEDIA_SELECT", QRect(kPageLeft, 142, 320, 200), Kind::kArea, {}, Glyph::kNone, "page:media"));
  items.push_back(Make("FUNCTION_KEY_SETTING_TISHI", QRect(kPageLeft, 108, 470, 26), Kind::kArea, {}, Glyph::kNone, "page:function"));
  items.push_back(Make("FUNC_FUNCTION_SELECT", QRect(kPageLeft, 142, 320, 200), Kind::kArea, {}, Glyph::kNone, "page:function"));
}

void AddMacroPage(std::vector<Item>& items) {
  const std::string page = "page:macro";
  auto area = [&](std::string key, QRect rect) {
    items.push_back(Make(std::move(key), rect, Kind::kArea, {}, Glyph::kNone, page));
  };
  auto button = [&](std::string key, QRect rect, Glyph glyph, QString legend = {}) {
    items.push_back(Make(std::move(key), rect, Kind::kButton, std::move(legend), glyph, page, "macro"));
  };
  area("MARCO_NAME_SETTING", QRect(kPageLeft, 106, 100, 28));
  area("FUNC_MACRO_LIST", QRect(kPageLeft + 104, 106, 252, 28));
  button("FUNC_MACRO_ADD", QRect(508, 106, 36, 28), Glyph::kPlus);
  button("FUNC_MACRO_DELETE", QRect(550, 106, 36, 28), Glyph::kMinus);
  area("FUNC_MACRO_LIST2", QRect(kPageLeft, 142, 302, 200));
  // The record button's caption ("Record"/"Stop") comes from the window.
  button("FUNC_MACRO_RECORD", QRect(456, 142, 170, 34), Glyph::kRecord);
  button("FUNC_MACRO_UP_TOP", QRect(456, 184, 82, 30), Glyph::kTop);
  button("FUNC_MACRO_UP", QRect(544, 184, 82, 30), Glyph::kUp);
  button("FUNC_MACRO_DOWN", QRect(456, 220, 82, 30), Glyph::kDown);
  button("FUNC_MACRO_DOWN_BOTTOM", QRect(544, 220, 82, 30), Glyph::kBottom);
  button("FUNC_MACRO_DELETE2", QRect(456, 256, 82, 30), Glyph::kCross);
  button("FUNC_MACRO_CLEAR", QRect(544, 256, 82, 30), Glyph::kTrash);
  area("FUNC_MACRO_RECORD_DELAY", QRect(456, 300, 22, 22));
  area("FUNC_MACRO_RECORD_DELAY2", QRect(482, 298, 144, 26));
  // The repeat count label stays visible on every page, so it sits under
  // everything the other pages show.
  items.push_back(Make("FUNC_MACRO_CYCLES_PROMPT", QRect(kPageLeft, 352, 140, 26), Kind::kArea));
  area("FUNC_MACRO_CYCLES", QRect(kPageLeft + 146, 351, 70, 28));
}

void DrawDialogBackdrop(QPainter& painter, const WindowLayout& layout, const std::string&) {
  painter.fillRect(QRect(QPoint(0, 0), layout.size), theme::kWindow);
  painter.fillRect(QRect(0, 0, layout.size.width(), 50), theme::kHeader);
  painter.fillRect(QRect(0, 50, layout.size.width(), 1), theme::kPanelBorder);
  FillPanel(painter, QRectF(8, kContentTop - 4, layout.size.width() - 16, kContentHeight + 8), theme::kPanel,
            theme::kPanelBorder, 10);
}

// ---- profile manager ----------------------------------------------------

constexpr int kProfileWidth = 620, kProfileHeight = 390;

void DrawProfileBackdrop(QPainter& painter, const WindowLayout& layout, const std::string&) {
  painter.fillRect(QRect(QPoint(0, 0), layout.size), theme::kWindow);
  painter.fillRect(QRect(0, 0, layout.size.width(), 46), theme::kHeader);
  painter.fillRect(QRect(0, 46, layout.size.width(), 1), theme::kPanelBorder);
  DrawGlyph(painter, QRectF(18, 11, 24, 24), Glyph::kFolder, theme::kAccent);
  painter.setPen(theme::kText);
  painter.setFont(Font(16, true));
  painter.drawText(QRectF(50, 0, 400, 46), Qt::AlignVCenter | Qt::AlignLeft, "Profiles");
  FillPanel(painter, QRectF(16, 58, layout.size.width() - 32, 264), theme::kField, theme::kPanelBorder, 6);
}

}  // namespace

WindowLayout KeyDialogLayout() {
  WindowLayout layout;
  layout.iniFile = "Composite.ini";
  layout.background = "composite_bg.png";
  layout.mask = "composite_mask.png";
  layout.size = QSize(kDialogWidth, kDialogHeight);
  AddDialogFrame(layout.items);
  AddSingleKeyPage(layout.items);
  AddListPages(layout.items);
  AddMacroPage(layout.items);
  layout.backdrop = DrawDialogBackdrop;
  return layout;
}

std::vector<StateImageFile> KeyDialogImages() {
  // The page picture shows the art of the set it is drawn from; macro2 is
  // the macro-only look of the page buttons, Clear and the title.
  return {{"key_normal.jpg", "key", FaceState::kNormal},        {"key_over.jpg", "key", FaceState::kHovered},
          {"key_down.jpg", "key", FaceState::kPressed},          {"macro_normal.jpg", "macro", FaceState::kNormal},
          {"macro_over.jpg", "macro", FaceState::kHovered},      {"macro_down.jpg", "macro", FaceState::kPressed},
          {"macro_disable.jpg", "macro", FaceState::kDisabled},  {"macro2_normal.jpg", "macro2", FaceState::kNormal},
          {"macro2_over.jpg", "macro2", FaceState::kHovered},    {"macro2_down.jpg", "macro2", FaceState::kPressed},
          {"macro2_disable.jpg", "macro2", FaceState::kDisabled}, {"media_normal.jpg", "media", FaceState::kNormal},
          {"media_over.jpg", "media", FaceState::kHovered},      {"media_down.jpg", "media", FaceState::kPressed},
          {"function_normal.jpg", "function", FaceState::kNormal}, {"function_over.jpg", "function", FaceState::kHovered},
          {"function_down.jpg", "function", FaceState::kPressed}};
}

WindowLayout ProfileManagerLayout() {
  WindowLayout layout;
  layout.iniFile = "Profile.ini";
  layout.background = "profile_bg.png";
  layout.mask = "profile_mask.png";
  layout.size = QSize(kProfileWidth, kProfileHeight);
  layout.items.push_back(Make("PROGRAM_LIST", QRect(20, 62, kProfileWidth - 40, 256), Kind::kArea));
  // Blank button faces: the manager draws its captions in the user's
  // language over them.
  const int top = 338;
  layout.items.push_back(Make("FUNC_LOAD", QRect(20, top, 88, 34), Kind::kButton));
  layout.items.push_back(Make("FUNC_ADD", QRect(116, top, 88, 34), Kind::kButton));
  layout.items.push_back(Make("FUNC_DELETE", QRect(212, top, 88, 34), Kind::kButton));
  layout.items.push_back(Make("CONTROL2_APPLY", QRect(320, top, 88, 34), Kind::kButton));
  layout.items.push_back(Make("CONTROL_OK", QRect(416, top, 88, 34), Kind::kButton));
  layout.items.push_back(Make("CONTROL_CANCEL", QRect(512, top, 88, 34), Kind::kButton));
  layout.backdrop = DrawProfileBackdrop;
  return layout;
}

std::vector<StateImageFile> ProfileManagerImages() {
  return {{"Profile_normal.jpg", "", FaceState::kNormal},
          {"Profile_over.jpg", "", FaceState::kHovered},
          {"Profile_down.jpg", "", FaceState::kSunken}};
}

}  // namespace zarvel::skingen
