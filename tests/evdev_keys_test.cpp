#include "model/evdev_keys.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <set>
#include <vector>

#include "model/key_table.h"

namespace zarvel {
namespace {

struct EvdevCase {
  unsigned evdev;
  KeyCode code;
};

// The 104 keys of the main window, in the window's own order, with the number
// Linux reports for each.
const std::vector<EvdevCase> kMainWindowKeys = {
    {KEY_A, 0x01E}, {KEY_B, 0x030}, {KEY_C, 0x02E}, {KEY_D, 0x020}, {KEY_E, 0x012},
    {KEY_F, 0x021}, {KEY_G, 0x022}, {KEY_H, 0x023}, {KEY_I, 0x017}, {KEY_J, 0x024},
    {KEY_K, 0x025}, {KEY_L, 0x026}, {KEY_M, 0x032}, {KEY_N, 0x031}, {KEY_O, 0x018},
    {KEY_P, 0x019}, {KEY_Q, 0x010}, {KEY_R, 0x013}, {KEY_S, 0x01F}, {KEY_T, 0x014},
    {KEY_U, 0x016}, {KEY_V, 0x02F}, {KEY_W, 0x011}, {KEY_X, 0x02D}, {KEY_Y, 0x015},
    {KEY_Z, 0x02C},
    {KEY_1, 0x002}, {KEY_2, 0x003}, {KEY_3, 0x004}, {KEY_4, 0x005}, {KEY_5, 0x006},
    {KEY_6, 0x007}, {KEY_7, 0x008}, {KEY_8, 0x009}, {KEY_9, 0x00A}, {KEY_0, 0x00B},
    {KEY_ENTER, 0x01C}, {KEY_ESC, 0x001}, {KEY_BACKSPACE, 0x00E}, {KEY_TAB, 0x00F},
    {KEY_SPACE, 0x039}, {KEY_MINUS, 0x00C}, {KEY_EQUAL, 0x00D}, {KEY_LEFTBRACE, 0x01A},
    {KEY_RIGHTBRACE, 0x01B}, {KEY_BACKSLASH, 0x02B}, {KEY_SEMICOLON, 0x027},
    {KEY_APOSTROPHE, 0x028}, {KEY_GRAVE, 0x029}, {KEY_COMMA, 0x033}, {KEY_DOT, 0x034},
    {KEY_SLASH, 0x035},
    {KEY_F1, 0x03B}, {KEY_F2, 0x03C}, {KEY_F3, 0x03D}, {KEY_F4, 0x03E}, {KEY_F5, 0x03F},
    {KEY_F6, 0x040}, {KEY_F7, 0x041}, {KEY_F8, 0x042}, {KEY_F9, 0x043}, {KEY_F10, 0x044},
    {KEY_F11, 0x057}, {KEY_F12, 0x058},
    {KEY_SYSRQ, 0x137}, {KEY_PAUSE, 0x045}, {KEY_INSERT, 0x152}, {KEY_DELETE, 0x153},
    {KEY_HOME, 0x147}, {KEY_END, 0x14F}, {KEY_PAGEUP, 0x149}, {KEY_PAGEDOWN, 0x151},
    {KEY_UP, 0x148}, {KEY_DOWN, 0x150}, {KEY_LEFT, 0x14B}, {KEY_RIGHT, 0x14D},
    {KEY_SCROLLLOCK, 0x046}, {KEY_CAPSLOCK, 0x03A}, {KEY_COMPOSE, 0x15D},
    {KEY_LEFTCTRL, 0x01D}, {KEY_RIGHTCTRL, 0x11D}, {KEY_LEFTSHIFT, 0x02A},
    {KEY_RIGHTSHIFT, 0x036}, {KEY_LEFTALT, 0x038}, {KEY_RIGHTALT, 0x138},
    {KEY_LEFTMETA, 0x15B}, {KEY_RIGHTMETA, 0x15C},
    {KEY_KP1, 0x04F}, {KEY_KP2, 0x050}, {KEY_KP3, 0x051}, {KEY_KP4, 0x04B}, {KEY_KP5, 0x04C},
    {KEY_KP6, 0x04D}, {KEY_KP7, 0x047}, {KEY_KP8, 0x048}, {KEY_KP9, 0x049}, {KEY_KP0, 0x052},
    {KEY_NUMLOCK, 0x145}, {KEY_KPENTER, 0x11C}, {KEY_KPDOT, 0x053}, {KEY_KPSLASH, 0x135},
    {KEY_KPASTERISK, 0x037}, {KEY_KPMINUS, 0x04A}, {KEY_KPPLUS, 0x04E},
};

TEST(EvdevKeys, EveryMainWindowKeyConvertsBothWays) {
  ASSERT_EQ(kMainWindowKeys.size(), 104u);
  std::set<KeyCode> codes;
  std::set<unsigned> numbers;
  for (const EvdevCase& key : kMainWindowKeys) {
    SCOPED_TRACE(testing::Message() << "evdev " << key.evdev);
    EXPECT_EQ(EvdevToKeyCode(key.evdev), key.code);
    EXPECT_EQ(KeyCodeToEvdev(key.code), key.evdev);
    EXPECT_EQ(NativeScanCodeToKeyCode(key.evdev + kXkbKeycodeOffset), key.code);
    codes.insert(key.code);
    numbers.insert(key.evdev);
  }
  EXPECT_EQ(codes.size(), 104u);
  EXPECT_EQ(numbers.size(), 104u);
}

// The main window shows exactly the pick list's keyboard keys but Break and K45,
// so the two lists check each other.
TEST(EvdevKeys, MainWindowKeysAreThePickListWithoutBreakAndK45) {
  std::set<KeyCode> pickList;
  for (std::uint16_t p = 0; p < kPickListSize; ++p) pickList.insert(PickIndexToKeyCode(p));
  ASSERT_EQ(pickList.size(), 106u);
  pickList.erase(kBreakKey);
  pickList.erase(0x056);
  std::set<KeyCode> mainWindow;
  for (const EvdevCase& key : kMainWindowKeys) mainWindow.insert(key.code);
  EXPECT_EQ(mainWindow, pickList);
}

TEST(EvdevKeys, KeysReportedUnderOtherNumbers) {
  const EvdevCase cases[] = {
      // Pause and Num Lock swap relative to their set-1 numbering.
      {KEY_PAUSE, 0x045}, {KEY_NUMLOCK, 0x145}, {KEY_BREAK, 0x146},
      {KEY_PRINT, 0x137}, {KEY_MENU, 0x15D}, {KEY_F13, 0x064},
      {KEY_102ND, 0x056}, {KEY_RO, 0x073}, {KEY_YEN, 0x07D}, {KEY_KPCOMMA, 0x07E},
      {KEY_KATAKANAHIRAGANA, 0x070}, {KEY_HENKAN, 0x079}, {KEY_MUHENKAN, 0x07B},
      {KEY_HANGEUL, 0x072}, {KEY_HANJA, 0x071},
      {KEY_POWER, 0x15E}, {KEY_SLEEP, 0x15F}, {KEY_WAKEUP, 0x163},
      // PS/2 numbers of keys a USB keyboard sends as other consumer usages.
      {KEY_MEDIA, 0x16D}, {KEY_COMPUTER, 0x16B},
      {KEY_ZOOMIN, 0x175}, {KEY_ZOOMOUT, 0x174}, {KEY_CALENDAR, 0x17E},
  };
  for (const EvdevCase& c : cases) {
    EXPECT_EQ(EvdevToKeyCode(c.evdev), c.code) << "evdev " << c.evdev;
  }
}

// A USB keyboard's multimedia keys reach Linux as its HID consumer usages; each
// must come back as the key the keyboard stores for that usage.
TEST(EvdevKeys, EveryMultimediaEntryHasTheNumberItsUsageProduces) {
  const struct {
    std::uint16_t usage;
    unsigned evdev;
  } usages[] = {
      {0x00E9, KEY_VOLUMEUP}, {0x00EA, KEY_VOLUMEDOWN}, {0x0183, KEY_CONFIG},
      {0x018A, KEY_MAIL}, {0x0192, KEY_CALC}, {0x0194, KEY_FILE},
      {0x0221, KEY_SEARCH}, {0x0223, KEY_HOMEPAGE}, {0x0224, KEY_BACK},
      {0x0225, KEY_FORWARD}, {0x0226, KEY_STOP}, {0x0227, KEY_REFRESH},
      {0x022A, KEY_BOOKMARKS}, {0x00E2, KEY_MUTE}, {0x00CD, KEY_PLAYPAUSE},
      {0x00B7, KEY_STOPCD}, {0x00B6, KEY_PREVIOUSSONG}, {0x00B5, KEY_NEXTSONG},
  };
  ASSERT_EQ(std::size(usages), kDefinedConsumerUsages);
  for (const auto& u : usages) {
    const KeyCode code = DeviceToKeyCode(DeviceKind::Consumer, u.usage);
    ASSERT_NE(code, kNoKey) << "usage " << u.usage;
    EXPECT_EQ(EvdevToKeyCode(u.evdev), code) << "usage " << u.usage;
    EXPECT_EQ(KeyCodeToEvdev(code), u.evdev) << "usage " << u.usage;
  }
}

TEST(EvdevKeys, EveryNumberLandsOnAKeyInUse) {
  for (unsigned evdev = 0; evdev <= KEY_MAX; ++evdev) {
    const KeyCode code = EvdevToKeyCode(evdev);
    if (code == kNoKey) continue;
    const KeyInfo* row = KeyRow(code);
    ASSERT_NE(row, nullptr) << "evdev " << evdev;
    EXPECT_NE(row->pickIndex, kNoPickIndex) << "evdev " << evdev << " gives empty row of " << code;
    EXPECT_NE(KeyCodeToEvdev(code), 0u) << "evdev " << evdev;
    EXPECT_EQ(EvdevToKeyCode(KeyCodeToEvdev(code)), code);
  }
}

TEST(EvdevKeys, NumbersOutsideTheKeysGiveNoKey) {
  EXPECT_EQ(EvdevToKeyCode(KEY_RESERVED), kNoKey);
  EXPECT_EQ(EvdevToKeyCode(KEY_F14), kNoKey);
  EXPECT_EQ(EvdevToKeyCode(KEY_MAX + 1), kNoKey);
  EXPECT_EQ(EvdevToKeyCode(0xFFFFFFFFu), kNoKey);
  EXPECT_EQ(NativeScanCodeToKeyCode(0), kNoKey);
  EXPECT_EQ(NativeScanCodeToKeyCode(kXkbKeycodeOffset - 1), kNoKey);
  EXPECT_EQ(KeyCodeToEvdev(kNoKey), 0u);
  EXPECT_EQ(KeyCodeToEvdev(0x200), 0u);   // G1: the keyboard handles it itself
  EXPECT_EQ(KeyCodeToEvdev(0x054), 0u);   // Sys Req: Linux reports it as Print Screen
}

}  // namespace
}  // namespace zarvel
