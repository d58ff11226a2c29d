#include "model/lighting_state.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/lighting_panel.h"

namespace zarvel {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The keyboard offers effects 1..18, 20 and 21 in number order, so list
// position = effect − 1 up to 18; every profile holds the default record
// followed by a recognisable tail.
LightingState Loaded(int profile) {
  LightingState state;
  Bytes numbers;
  for (std::uint8_t e = 1; e <= 21; ++e) {
    if (e != 19) numbers.push_back(e);
  }
  state.effects.Fill(numbers);
  auto defaults = DefaultLightingRecordBytes();
  for (int p = 0; p < kLightingProfileCount; ++p) {
    Bytes reply(kLightingReadLength, 0xA0);
    std::copy(defaults.begin(), defaults.end(), reply.begin());
    EXPECT_TRUE(StoreLightingReply(state.records, p, reply));
  }
  EXPECT_EQ(SetStateFromRecords(state, profile), 1);
  return state;
}

TEST(LightingLoad, ClampsWhatTheWindowCannotShow) {
  LightingState state = Loaded(0);
  state.records[42 + lighting_offset::kReportRate] = 7;
  state.records[42 + lighting_offset::kColourChoice] = 9;
  state.records[42 + lighting_offset::kRandomColour] = 0x40;
  state.records[42 + lighting_offset::kSecondRandom] = 2;
  state.records[42 + lighting_offset::kEffect] = 12;
  ASSERT_EQ(SetStateFromRecords(state, 1), 1);
  EXPECT_EQ(state.profile, 1);
  EXPECT_EQ(state.effect, 12);
  EXPECT_EQ(state.reportRate, 3);
  EXPECT_EQ(state.colourChoice, 0);
  EXPECT_TRUE(state.randomColour);
  EXPECT_TRUE(state.secondRandom);
  // The record itself keeps the keyboard's bytes.
  EXPECT_EQ(state.records[42 + lighting_offset::kColourChoice], 9);

  LightingState before = state;
  EXPECT_EQ(SetStateFromRecords(state, 4), 0);
  EXPECT_EQ(state.profile, before.profile);
  EXPECT_EQ(state.effect, before.effect);
}

TEST(LightingLoad, TriggerAndStoredSwitch) {
  EXPECT_EQ(TriggerWrites(), (AreaWrites{{19, {1}}}));  // not moved by the profile
  LightingState state = Loaded(2);
  state.lightingSwitch = true;
  ApplyStoredSwitchOnRead(state, false);
  EXPECT_TRUE(state.lightingSwitch);
  ApplyStoredSwitchOnLoad(state, false);
  EXPECT_FALSE(state.lightingSwitch);
  ApplyStoredSwitchOnRead(state, true);
  EXPECT_TRUE(state.lightingSwitch);
}

TEST(LightingEdits, SelectEffectWritesPerTheEffectTable) {
  LightingState state = Loaded(1);
  state.randomColour = false;
  EXPECT_EQ(SelectEffect(state, 2), (AreaWrites{{42, {3}}, {46, {0}}}));  // effect 3 with a colour
  EXPECT_EQ(state.effect, 3);
  EXPECT_EQ(SelectEffect(state, 3), (AreaWrites{{42, {4}}}));  // effect 4, no colour
  EXPECT_EQ(SelectEffect(state, 18), (AreaWrites{{42, {20}}}));
  EXPECT_EQ(state.effect, 20);
  EXPECT_EQ(SelectEffect(state, 7), (AreaWrites{{42, {8}}, {46, {0}}}));
  EXPECT_EQ(SelectEffect(state, 20), AreaWrites{});  // past the list
  EXPECT_EQ(state.effect, 8);
}

TEST(LightingEdits, UnknownEffectIsSelectedButWritesNothing) {
  LightingState state = Loaded(0);
  state.effects.Fill(Bytes{1, 19, 30});
  LightingArea before = state.records;
  EXPECT_EQ(SelectEffect(state, 1), AreaWrites{});
  EXPECT_EQ(state.effect, 19);
  EXPECT_EQ(SelectEffect(state, 2), AreaWrites{});
  EXPECT_EQ(state.records, before);
  EXPECT_FALSE(ControlsForEffect(19).brightness);
}

TEST(LightingEdits, SlidersWriteOnlyChanges) {
  LightingState state = Loaded(2);  // brightness 5, speed 2
  EXPECT_EQ(SetBrightness(state, 4), (AreaWrites{{85, {4}}}));
  EXPECT_EQ(SetBrightness(state, 4), AreaWrites{});
  EXPECT_EQ(SetBrightness(state, 5), AreaWrites{});
  EXPECT_EQ(SetBrightness(state, -1), AreaWrites{});

  EXPECT_EQ(SetSpeedPosition(state, 1), AreaWrites{});  // 3 − 1 = the stored 2
  EXPECT_EQ(SetSpeedPosition(state, 0), (AreaWrites{{86, {3}}}));
  EXPECT_EQ(state.speed, 3);
  EXPECT_EQ(SetSpeedPosition(state, 0), AreaWrites{});
  EXPECT_EQ(SetSpeedPosition(state, 4), AreaWrites{});
  EXPECT_EQ(state.records[86], 3);
}

TEST(LightingEdits, DirectionIsWrittenEvenWhenUnchanged) {
  LightingState state = Loaded(3);
  EXPECT_EQ(SetDirection(state, DirectionArrow::kSecond), (AreaWrites{{129, {0x00}}}));
  EXPECT_EQ(SetDirection(state, DirectionArrow::kFirst), (AreaWrites{{129, {0xFF}}}));
  EXPECT_EQ(SetDirection(state, DirectionArrow::kFirst), (AreaWrites{{129, {0xFF}}}));
  EXPECT_EQ(state.direction, 0xFF);
}

TEST(LightingEdits, ColourRandomChoiceAndReportRate) {
  LightingState state = Loaded(1);  // random colour on
  EXPECT_EQ(SetColour(state, {1, 2, 3}), (AreaWrites{{46, {0}}, {47, {1, 2, 3}}}));
  EXPECT_FALSE(state.randomColour);
  EXPECT_EQ(ToggleRandomColour(state), (AreaWrites{{46, {1}}}));
  EXPECT_EQ(ToggleRandomColour(state), (AreaWrites{{46, {0}}}));

  EXPECT_EQ(SetColourChoice(state, 2), (AreaWrites{{59, {2}}}));
  EXPECT_EQ(SetColourChoice(state, 4), AreaWrites{});
  EXPECT_EQ(state.colourChoice, 2);

  EXPECT_EQ(SetReportRate(state, 3), (AreaWrites{{57, {3}}}));
  EXPECT_EQ(SetReportRate(state, 4), AreaWrites{});
  EXPECT_EQ(state.reportRate, 3);
}

TEST(LightingEdits, StateForAnInvalidProfileEditsNothing) {
  LightingState state = Loaded(0);
  state.profile = 4;
  LightingArea before = state.records;
  EXPECT_TRUE(SetColour(state, {1, 1, 1}).empty());
  EXPECT_TRUE(SetReportRate(state, 1).empty());
  EXPECT_TRUE(ResetLighting(state).empty());
  EXPECT_EQ(state.records, before);
}

TEST(LightingReset, WritesThe35ByteDefaultAndTheStateFollowsIt) {
  LightingState state = Loaded(2);
  SetBrightness(state, 1);
  SetSpeedPosition(state, 3);
  SetColour(state, {9, 9, 9});
  SetReportRate(state, 2);
  state.lightingSwitch = true;

  auto defaults = DefaultLightingRecordBytes();
  AreaWrites writes = ResetLighting(state);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].offset, 84);
  EXPECT_EQ(writes[0].bytes, Bytes(defaults.begin(), defaults.end()));
  for (std::size_t i = 84 + 35; i < 126; ++i) EXPECT_EQ(state.records[i], 0xA0) << i;

  // A slider moved after the reset must write when it differs from what the
  // keyboard now holds (brightness 5, speed 2).
  EXPECT_EQ(state.brightness, 5);
  EXPECT_EQ(state.speed, 2);
  EXPECT_EQ(state.effect, 1);
  EXPECT_TRUE(state.randomColour);
  EXPECT_EQ(state.colour, (LightingColour{255, 255, 255}));
  EXPECT_EQ(state.reportRate, 0);
  EXPECT_TRUE(state.lightingSwitch);
  EXPECT_EQ(SetBrightness(state, 4), (AreaWrites{{85, {4}}}));
}

TEST(LightingPanel, ControlsAndDirectionStyles) {
  // Effect 10 shows a colour yet its selection writes no random flag.
  EXPECT_TRUE(ControlsForEffect(10).colourGroupA);
  EXPECT_FALSE(ControlsForEffect(10).writesRandomColour);
  EXPECT_TRUE(ControlsForEffect(21).known);
  EXPECT_FALSE(ControlsForEffect(21).brightness);

  EXPECT_EQ(DirectionPlacementFor(2).firstArrow, "CONTROL_BLFXLStaPic2");
  EXPECT_EQ(DirectionPlacementFor(12),
            (DirectionPlacementKeys{"CONTROL_BLFXStatic3", "CONTROL_BLFXLStaPic3", "CONTROL_BLFXRStaPic3"}));
  EXPECT_EQ(DirectionPlacementFor(18).label, "CONTROL_BLFXStatic");
  EXPECT_EQ(DirectionPictures(12, 0xFF), (ArrowPictures{"updown.bmp", "downup.bmp"}));
  EXPECT_EQ(DirectionPictures(18, 0), (ArrowPictures{"kuosan.bmp", "julongdown.bmp"}));
  EXPECT_EQ(DirectionPictures(1, 0), (ArrowPictures{"leftup.bmp", "rightdown.bmp"}));
}

TEST(LightingPanel, SliderPicturesStayInsideTheSkinSet) {
  EXPECT_EQ(BrightnessSliderPosition(5), 4);
  EXPECT_EQ(BrightnessPicture(5), "5.bmp");
  EXPECT_EQ(BrightnessPicture(200), "5.bmp");
  EXPECT_EQ(BrightnessPicture(0), "0.bmp");
  EXPECT_EQ(SpeedSliderPosition(0), 3);
  EXPECT_EQ(SpeedPicture(SpeedSliderPosition(0)), "8.bmp");
  EXPECT_EQ(SpeedPicture(SpeedSliderPosition(9)), "5.bmp");
  EXPECT_EQ(ColourChoicePicture(1, true), "huangok.bmp");
  EXPECT_EQ(ColourChoicePicture(4, false), "");
}

TEST(LightingPanel, ColourFieldNormalisation) {
  struct Case {
    const char* text;
    const char* shown;
  };
  for (const Case& c : {Case{"12", "12"}, Case{"007", "7"}, Case{"256", "255"}, Case{"1a2", "12"},
                        Case{"", "0"}, Case{"99999999999999999999", "255"}}) {
    EXPECT_EQ(NormaliseColourField(c.text), c.shown) << c.text;
  }
}

}  // namespace
}  // namespace zarvel
