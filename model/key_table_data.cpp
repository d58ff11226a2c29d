// The constant rows of the key table and the consumer usage table.
//
// Rows not listed here are unused: pick index 0xFFFF, every other field zero.
// F13 has no display-name key; its name always comes from the unknown-key text.
#include <array>
#include <cstdint>

#include "model/key_table.h"

namespace zarvel {
namespace {

struct ListedRow {
  std::uint8_t index;
  KeyInfo info;
};

//  index   vk    altVk  pick    device  text key                         reference name
constexpr ListedRow kListedRows[] = {
    {0x01, {0x1B, 0x1B, 37,     0x29, "IDS_KEYBOARD_ESC",              "Esc"}},
    {0x02, {0x31, 0x31, 26,     0x1E, "IDS_KEYBOARD_1",                "1"}},
    {0x03, {0x32, 0x32, 27,     0x1F, "IDS_KEYBOARD_2",                "2"}},
    {0x04, {0x33, 0x33, 28,     0x20, "IDS_KEYBOARD_3",                "3"}},
    {0x05, {0x34, 0x34, 29,     0x21, "IDS_KEYBOARD_4",                "4"}},
    {0x06, {0x35, 0x35, 30,     0x22, "IDS_KEYBOARD_5",                "5"}},
    {0x07, {0x36, 0x36, 31,     0x23, "IDS_KEYBOARD_6",                "6"}},
    {0x08, {0x37, 0x37, 32,     0x24, "IDS_KEYBOARD_7",                "7"}},
    {0x09, {0x38, 0x38, 33,     0x25, "IDS_KEYBOARD_8",                "8"}},
    {0x0A, {0x39, 0x39, 34,     0x26, "IDS_KEYBOARD_9",                "9"}},
    {0x0B, {0x30, 0x30, 35,     0x27, "IDS_KEYBOARD_0",                "0"}},
    {0x0C, {0xBD, 0xBD, 41,     0x2D, "IDS_KEYBOARD_MINUS",            "-"}},
    {0x0D, {0xBB, 0xBB, 42,     0x2E, "IDS_KEYBOARD_EQU",              "="}},
    {0x0E, {0x08, 0x08, 38,     0x2A, "IDS_KEYBOARD_BS",               "Backspace"}},
    {0x0F, {0x09, 0x09, 39,     0x2B, "IDS_KEYBOARD_TAB",              "Tab"}},
    {0x10, {0x51, 0x51, 16,     0x14, "IDS_KEYBOARD_Q",                "Q"}},
    {0x11, {0x57, 0x57, 22,     0x1A, "IDS_KEYBOARD_W",                "W"}},
    {0x12, {0x45, 0x45, 4,      0x08, "IDS_KEYBOARD_E",                "E"}},
    {0x13, {0x52, 0x52, 17,     0x15, "IDS_KEYBOARD_R",                "R"}},
    {0x14, {0x54, 0x54, 19,     0x17, "IDS_KEYBOARD_T",                "T"}},
    {0x15, {0x59, 0x59, 24,     0x1C, "IDS_KEYBOARD_Y",                "Y"}},
    {0x16, {0x55, 0x55, 20,     0x18, "IDS_KEYBOARD_U",                "U"}},
    {0x17, {0x49, 0x49, 8,      0x0C, "IDS_KEYBOARD_I",                "I"}},
    {0x18, {0x4F, 0x4F, 14,     0x12, "IDS_KEYBOARD_O",                "O"}},
    {0x19, {0x50, 0x50, 15,     0x13, "IDS_KEYBOARD_P",                "P"}},
    {0x1A, {0xDB, 0xDB, 43,     0x2F, "IDS_KEYBOARD_SB1",              "["}},
    {0x1B, {0xDD, 0xDD, 44,     0x30, "IDS_KEYBOARD_SB2",              "]"}},
    {0x1C, {0x0D, 0x0D, 36,     0x28, "IDS_KEYBOARD_ENTER",            "Enter"}},
    {0x1D, {0xA2, 0xA2, 98,     0xE0, "IDS_KEYBOARD_LCTRL",            "Ctrl"}},
    {0x1E, {0x41, 0x41, 0,      0x04, "IDS_KEYBOARD_A",                "A"}},
    {0x1F, {0x53, 0x53, 18,     0x16, "IDS_KEYBOARD_S",                "S"}},
    {0x20, {0x44, 0x44, 3,      0x07, "IDS_KEYBOARD_D",                "D"}},
    {0x21, {0x46, 0x46, 5,      0x09, "IDS_KEYBOARD_F",                "F"}},
    {0x22, {0x47, 0x47, 6,      0x0A, "IDS_KEYBOARD_G",                "G"}},
    {0x23, {0x48, 0x48, 7,      0x0B, "IDS_KEYBOARD_H",                "H"}},
    {0x24, {0x4A, 0x4A, 9,      0x0D, "IDS_KEYBOARD_J",                "J"}},
    {0x25, {0x4B, 0x4B, 10,     0x0E, "IDS_KEYBOARD_K",                "K"}},
    {0x26, {0x4C, 0x4C, 11,     0x0F, "IDS_KEYBOARD_L",                "L"}},
    {0x27, {0xBA, 0xBA, 46,     0x33, "IDS_KEYBOARD_SEM",              ";"}},
    {0x28, {0xDE, 0xDE, 47,     0x34, "IDS_KEYBOARD_QUOT",             "'"}},
    {0x29, {0xC0, 0xC0, 48,     0x35, "IDS_KEYBOARD_AID1",             "grave accent"}},
    {0x2A, {0xA0, 0xA0, 99,     0xE1, "IDS_KEYBOARD_LSHIFT",           "Shift"}},
    {0x2B, {0xDC, 0xDC, 45,     0x31, "IDS_KEYBOARD_AV",               "\\"}},
    {0x2C, {0x5A, 0x5A, 25,     0x1D, "IDS_KEYBOARD_Z",                "Z"}},
    {0x2D, {0x58, 0x58, 23,     0x1B, "IDS_KEYBOARD_X",                "X"}},
    {0x2E, {0x43, 0x43, 2,      0x06, "IDS_KEYBOARD_C",                "C"}},
    {0x2F, {0x56, 0x56, 21,     0x19, "IDS_KEYBOARD_V",                "V"}},
    {0x30, {0x42, 0x42, 1,      0x05, "IDS_KEYBOARD_B",                "B"}},
    {0x31, {0x4E, 0x4E, 13,     0x11, "IDS_KEYBOARD_N",                "N"}},
    {0x32, {0x4D, 0x4D, 12,     0x10, "IDS_KEYBOARD_M",                "M"}},
    {0x33, {0xBC, 0xBC, 49,     0x36, "IDS_KEYBOARD_COMMA",            ","}},
    {0x34, {0xBE, 0xBE, 50,     0x37, "IDS_KEYBOARD_PER",              "."}},
    {0x35, {0xBF, 0xBF, 51,     0x38, "IDS_KEYBOARD_VIR",              "/"}},
    {0x36, {0xA1, 0xA1, 103,    0xE5, "IDS_KEYBOARD_RSHIFT",           "Right Shift"}},
    {0x37, {0x6A, 0x6A, 81,     0x55, "IDS_KEYBOARD_S_AST",            "Num *"}},
    {0x38, {0xA4, 0xA4, 100,    0xE2, "IDS_KEYBOARD_LALT",             "Alt"}},
    {0x39, {0x20, 0x20, 40,     0x2C, "IDS_KEYBOARD_SPACE",            "Space"}},
    {0x3A, {0x14, 0x14, 78,     0x39, "IDS_KEYBOARD_CAPS",             "Caps Lock"}},
    {0x3B, {0x70, 0x70, 52,     0x3A, "IDS_KEYBOARD_F1",               "F1"}},
    {0x3C, {0x71, 0x71, 53,     0x3B, "IDS_KEYBOARD_F2",               "F2"}},
    {0x3D, {0x72, 0x72, 54,     0x3C, "IDS_KEYBOARD_F3",               "F3"}},
    {0x3E, {0x73, 0x73, 55,     0x3D, "IDS_KEYBOARD_F4",               "F4"}},
    {0x3F, {0x74, 0x74, 56,     0x3E, "IDS_KEYBOARD_F5",               "F5"}},
    {0x40, {0x75, 0x75, 57,     0x3F, "IDS_KEYBOARD_F6",               "F6"}},
    {0x41, {0x76, 0x76, 58,     0x40, "IDS_KEYBOARD_F7",               "F7"}},
    {0x42, {0x77, 0x77, 59,     0x41, "IDS_KEYBOARD_F8",               "F8"}},
    {0x43, {0x78, 0x78, 60,     0x42, "IDS_KEYBOARD_F9",               "F9"}},
    {0x44, {0x79, 0x79, 61,     0x43, "IDS_KEYBOARD_F10",              "F10"}},
    {0x45, {0x13, 0x13, 65,     0x48, "IDS_KEYBOARD_PAUSE",            "Pause"}},
    {0x46, {0x91, 0x91, 77,     0x47, "IDS_KEYBOARD_SCROLL",           "Scroll Lock"}},
    {0x47, {0x67, 0x24, 91,     0x5F, "IDS_KEYBOARD_S_7",              "Num 7"}},
    {0x48, {0x68, 0x26, 92,     0x60, "IDS_KEYBOARD_S_8",              "Num 8"}},
    {0x49, {0x69, 0x21, 93,     0x61, "IDS_KEYBOARD_S_9",              "Num 9"}},
    {0x4A, {0x6D, 0x6D, 82,     0x56, "IDS_KEYBOARD_S_MINUS",          "Num -"}},
    {0x4B, {0x64, 0x25, 88,     0x5C, "IDS_KEYBOARD_S_4",              "Num 4"}},
    {0x4C, {0x65, 0x0C, 89,     0x5D, "IDS_KEYBOARD_S_5",              "Num 5"}},
    {0x4D, {0x66, 0x27, 90,     0x5E, "IDS_KEYBOARD_S_6",              "Num 6"}},
    {0x4E, {0x6B, 0x6B, 83,     0x57, "IDS_KEYBOARD_S_PLUS",           "Num +"}},
    {0x4F, {0x61, 0x23, 85,     0x59, "IDS_KEYBOARD_S_1",              "Num 1"}},
    {0x50, {0x62, 0x28, 86,     0x5A, "IDS_KEYBOARD_S_2",              "Num 2"}},
    {0x51, {0x63, 0x22, 87,     0x5B, "IDS_KEYBOARD_S_3",              "Num 3"}},
    {0x52, {0x60, 0x2D, 94,     0x62, "IDS_KEYBOARD_S_0",              "Num 0"}},
    {0x53, {0x6E, 0x2E, 95,     0x63, "IDS_KEYBOARD_S_DEL",            "Num ."}},
    {0x54, {0x2C, 0x2C, 0x8012, 0x00, "IDS_KEYBOARD_SYSREQ",           "Sys Req"}},
    {0x56, {0xE2, 0xE2, 96,     0x64, "IDS_KEYBOARD_K45",              "K45"}},
    {0x57, {0x7A, 0x7A, 62,     0x44, "IDS_KEYBOARD_F11",              "F11"}},
    {0x58, {0x7B, 0x7B, 63,     0x45, "IDS_KEYBOARD_F12",              "F12"}},
    {0x64, {0x7C, 0x7C, 0x802D, 0x00, "",                              "F13"}},
    {0x70, {0xFF, 0xFF, 0x8018, 0x88, "IDS_KEYBOARD_ROMA",             "ROMA (133)"}},
    {0x71, {0xE9, 0xE9, 0x8019, 0x91, "IDS_KEYBOARD_KL",               "KL"}},
    {0x72, {0xFF, 0xFF, 0x801A, 0x90, "IDS_KEYBOARD_KR",               "KR"}},
    {0x73, {0xC1, 0xC1, 0x8014, 0x87, "IDS_KEYBOARD_K56",              "K56"}},
    {0x79, {0xFF, 0xFF, 0x8017, 0x8A, "IDS_KEYBOARD_CHG",              "CHG (132)"}},
    {0x7B, {0xEB, 0xEB, 0x8016, 0x8B, "IDS_KEYBOARD_N_CHG",            "N-CHG (131)"}},
    {0x7D, {0xFF, 0xFF, 0x8013, 0x89, "IDS_KEYBOARD_K14",              "K14"}},
    {0x7E, {0xC2, 0xC2, 0x8015, 0x85, "IDS_KEYBOARD_K107",             "K107"}},
    {0x90, {0xB1, 0xB1, 0x8021, 0xD0, "MEDIA_PREV_TRACK_4",            "Prev Track"}},
    {0x99, {0xB0, 0xB0, 0x8022, 0xD1, "MEDIA_Next_TRACK_5",            "Next Track"}},
    {0x9C, {0x0D, 0x0D, 84,     0x58, "IDS_KEYBOARD_S_ENTER",          "Num Enter"}},
    {0x9D, {0xA3, 0xA3, 102,    0xE4, "IDS_KEYBOARD_RCTRL",            "Right Ctrl"}},
    {0xA0, {0xAD, 0xAD, 0x8025, 0xCD, "MEDIA_MUTE_8",                  "Mute"}},
    {0xA1, {0xB7, 0xB7, 0x801C, 0xC4, "MEDIA_CALC_17",                 "Calc"}},
    {0xA2, {0xB3, 0xB3, 0x801F, 0xCE, "MEDIA_PALY_PAUSE_2",            "Play/Pause"}},
    {0xA4, {0xB2, 0xB2, 0x8020, 0xCF, "MEDIA_STOP_PALY_3",             "Stop Play"}},
    {0xAE, {0xAE, 0xAE, 0x8024, 0xC1, "MEDIA_V_LOW_6",                 "V-"}},
    {0xB0, {0xAF, 0xAF, 0x8023, 0xC0, "MEDIA_V_ADD_7",                 "V+"}},
    {0xB2, {0xAC, 0xAC, 0x8026, 0xC7, "MEDIA_WWW_HOME_9",              "WWW Home"}},
    {0xB5, {0x6F, 0x6F, 80,     0x54, "IDS_KEYBOARD_S_VIR",            "Num /"}},
    {0xB6, {0xA1, 0xA1, 103,    0xE5, "IDS_KEYBOARD_RSHIFT",           "Right Shift"}},
    {0xB7, {0x2C, 0x2C, 64,     0x46, "IDS_KEYBOARD_PRINT",            "Print Screen"}},
    {0xB8, {0xA5, 0xA5, 104,    0xE6, "IDS_KEYBOARD_RALT",             "Right Alt"}},
    {0xC5, {0x90, 0x90, 79,     0x53, "IDS_KEYBOARD_NUM",              "Num Lock"}},
    {0xC6, {0x03, 0x03, 66,     0x48, "IDS_KEYBOARD_BREAK",            "Break"}},
    {0xC7, {0x24, 0x24, 69,     0x4A, "IDS_KEYBOARD_HOME",             "Home"}},
    {0xC8, {0x26, 0x26, 73,     0x52, "IDS_KEYBOARD_UP",               "↑"}},
    {0xC9, {0x21, 0x21, 71,     0x4B, "IDS_KEYBOARD_PAGE_UP",          "Page Up"}},
    {0xCB, {0x25, 0x25, 75,     0x50, "IDS_KEYBOARD_LEFT",             "←"}},
    {0xCD, {0x27, 0x27, 76,     0x4F, "IDS_KEYBOARD_RIGHT",            "→"}},
    {0xCF, {0x23, 0x23, 70,     0x4D, "IDS_KEYBOARD_END",              "End"}},
    {0xD0, {0x28, 0x28, 74,     0x51, "IDS_KEYBOARD_DOWN",             "↓"}},
    {0xD1, {0x22, 0x22, 72,     0x4E, "IDS_KEYBOARD_PAGE_DOWN",        "Page Down"}},
    {0xD2, {0x2D, 0x2D, 67,     0x49, "IDS_KEYBOARD_INSERT",           "Insert"}},
    {0xD3, {0x2E, 0x2E, 68,     0x4C, "IDS_KEYBOARD_DELETE",           "Delete"}},
    {0xDB, {0x5B, 0x5B, 101,    0xE3, "IDS_KEYBOARD_LWIN",             "Win"}},
    {0xDC, {0x5C, 0x5C, 105,    0xE7, "IDS_KEYBOARD_RWIN",             "Right Win"}},
    {0xDD, {0x5D, 0x5D, 97,     0x65, "IDS_KEYBOARD_APP",              "App"}},
    {0xDE, {0xFF, 0xFF, 0x8001, 0x81, "IDS_KEYBOARD_POWER",            "Power"}},
    {0xDF, {0x5F, 0x5F, 0x8002, 0x82, "IDS_KEYBOARD_SLEEP",            "Sleep"}},
    {0xE1, {0xD1, 0xD1, 110,    0xF4, "IDS_KEYBOARD_ROLL_UP",          "Roll Up"}},
    {0xE2, {0xD2, 0xD2, 111,    0xF5, "IDS_KEYBOARD_ROLL_DOWN",        "Roll Down"}},
    {0xE3, {0xFF, 0xFF, 0x8003, 0x83, "IDS_KEYBOARD_WAKE",             "Wake"}},
    {0xE5, {0xAA, 0xAA, 0x802C, 0xC6, "MEDIA_WWW_SEARCH_15",           "WWW Search"}},
    {0xE6, {0xAB, 0xAB, 0x802B, 0xCC, "MEDIA_WWW_FAVORITE_14",         "WWW Favorite"}},
    {0xE7, {0xA8, 0xA8, 0x8027, 0xCB, "MEDIA_WWW_REFRESH_10",          "WWW Refresh"}},
    {0xE8, {0xA9, 0xA9, 0x8028, 0xCA, "MEDIA_WWW_STOP_11",             "WWW Stop"}},
    {0xE9, {0xA7, 0xA7, 0x802A, 0xC9, "MEDIA_WWW_FORWARD_13",          "WWW Forward"}},
    {0xEA, {0xA6, 0xA6, 0x8029, 0xC8, "MEDIA_WWW_BACK_12",             "WWW Back"}},
    {0xEB, {0xB6, 0xB6, 0x801B, 0xC5, "MEDIA_MY_PC_16",                "My PC"}},
    {0xEC, {0xB4, 0xB4, 0x801D, 0xC3, "MEDIA_MAIL_18",                 "Mail"}},
    {0xED, {0xB5, 0xB5, 0x801E, 0xC2, "MEDIA_PALYER_1",                "Media Player"}},
    {0xEE, {0x88, 0x88, 0x8005, 0x00, "IDS_KEYBOARD_MOU_PANLEFT",      "Pan Left"}},
    {0xEF, {0x89, 0x89, 0x8006, 0x00, "IDS_KEYBOARD_MOU_PANRIGHT",     "Pan Right"}},
    {0xF0, {0x8A, 0x8A, 0x8004, 0x00, "IDS_KEYBOARD_MOU_DBCLICK",      "Double Click"}},
    {0xF1, {0x01, 0x01, 107,    0xF1, "IDS_KEYBOARD_MOU_LEFT",         "Left Button"}},
    {0xF2, {0x02, 0x02, 108,    0xF2, "IDS_KEYBOARD_MOU_RIGHT",        "Right Button"}},
    {0xF3, {0x04, 0x04, 109,    0xF3, "IDS_KEYBOARD_MOU_MIDDLE",       "Middle Button"}},
    {0xF4, {0x8B, 0x8B, 0x8007, 0xD2, "IDS_KEYBOARD_FUNC_ZOOMOUT",     "Zoom-"}},
    {0xF5, {0x8C, 0x8C, 0x8008, 0xD3, "IDS_KEYBOARD_FUNC_ZOOMIN",      "Zoom+"}},
    {0xF6, {0x97, 0x97, 0x8009, 0x00, "IDS_KEYBOARD_FUNC_COPY",        "Copy"}},
    {0xF7, {0x98, 0x98, 0x800A, 0x00, "IDS_KEYBOARD_FUNC_CUT",         "Cut"}},
    {0xF8, {0x99, 0x99, 0x800B, 0x00, "IDS_KEYBOARD_FUNC_PASTE",       "Paste"}},
    {0xF9, {0x9A, 0x9A, 0x800C, 0x00, "IDS_KEYBOARD_FUNC_MINI",        "Minimize"}},
    {0xFA, {0x9B, 0x9B, 0x800D, 0x00, "IDS_KEYBOARD_FUNC_MAXI",        "Maximize"}},
    {0xFB, {0x9C, 0x9C, 0x800E, 0xD4, "IDS_KEYBOARD_FUNC_WORD",        "Word"}},
    {0xFC, {0x9D, 0x9D, 0x800F, 0xD5, "IDS_KEYBOARD_FUNC_EXCEL",       "Excel"}},
    {0xFD, {0x9E, 0x9E, 0x8010, 0x00, "IDS_KEYBOARD_FUNC_POWERPOINT",  "PowerPoint"}},
    {0xFE, {0x9F, 0x9F, 0x8011, 0x00, "IDS_KEYBOARD_FUNC_CALENDAR",    "Calendar"}},
};

constexpr std::array<KeyInfo, kKeyTableSize> BuildKeyTable() {
  std::array<KeyInfo, kKeyTableSize> table{};
  for (KeyInfo& row : table) row = KeyInfo{0, 0, kNoPickIndex, 0, {}, {}};
  for (const ListedRow& listed : kListedRows) table[listed.index] = listed.info;
  return table;
}

constexpr std::array<KeyInfo, kKeyTableSize> kKeyTable = BuildKeyTable();
static_assert(sizeof(kListedRows) / sizeof(kListedRows[0]) == kKeyTableRowsInUse);

// Multimedia entry i is the function whose device code is 0xC0 + i.
constexpr std::array<std::uint16_t, kConsumerUsageCount> kConsumerUsages = {
    0x00E9,  // V+
    0x00EA,  // V-
    0x0183,  // Media Player
    0x018A,  // Mail
    0x0192,  // Calc
    0x0194,  // My PC
    0x0221,  // WWW Search
    0x0223,  // WWW Home
    0x0224,  // WWW Back
    0x0225,  // WWW Forward
    0x0226,  // WWW Stop
    0x0227,  // WWW Refresh
    0x022A,  // WWW Favorite
    0x00E2,  // Mute
    0x00CD,  // Play/Pause
    0x00B7,  // Stop Play
    0x00B6,  // Prev Track
    0x00B5,  // Next Track
};

}  // namespace

std::span<const KeyInfo, kKeyTableSize> KeyTable() { return kKeyTable; }

std::span<const std::uint16_t, kConsumerUsageCount> ConsumerUsageTable() { return kConsumerUsages; }

}  // namespace zarvel
