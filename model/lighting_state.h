#pragma once
// The lighting state of the current profile and every edit of the lighting
// panel, each expressed as the exact writes it makes into the keyboard's
// lighting parameter area.
//
// Nothing here talks to the keyboard. An edit returns `AreaWrites`: the
// writes of ONE transfer bracket, in order, each at an offset into the
// 168-byte area (profile × 42 + field offset). The caller sends them with
// WriteLighting between BeginTransfer and EndTransfer; an empty list means
// nothing is sent and no bracket is opened. Results of those writes are not
// checked: the state shows the new value until the next read, as the keyboard
// keeps no other copy the window could consult.
//
// Reading, as the caller performs it:
//   ReadLightingArea:  effects.Clear(); read device info (fail: stop, state
//                      unchanged); effects.Fill(info bytes 12..43); begin; for
//                      each of kLightingReadOffsets read kLightingReadLength
//                      bytes and StoreLightingReply(); end;
//                      SetStateFromRecords(); ApplyStoredSwitchOnRead().
//   LoadLighting:      as above, but after filling the effect list send
//                      TriggerWrites() in its own bracket, then (when the
//                      keyboard offers the user effect) load and send the user
//                      slot's colours, then read the records;
//                      SetStateFromRecords(); ApplyStoredSwitchOnLoad().
#include <cstdint>
#include <vector>

#include "model/lighting_record.h"

namespace zarvel {

struct AreaWrite {
  std::uint16_t offset = 0;  // into the 168-byte lighting parameter area
  std::vector<std::uint8_t> bytes;
  bool operator==(const AreaWrite&) const = default;
};
using AreaWrites = std::vector<AreaWrite>;

struct LightingState {
  EffectList effects;
  LightingArea records{};  // last read, with this program's own writes applied since
  int profile = 0;         // the profile the fields below describe
  int effect = 0;
  int brightness = 0;  // as stored; the slider position stops at 4
  int speed = 0;       // as stored; the slider shows 3 − speed
  int direction = 0;   // 0xFF or 0x00
  bool randomColour = false;
  LightingColour colour;
  int reportRate = 0;    // 0..3
  int colourChoice = 0;  // 0..3
  LightingColour secondColour;
  bool secondRandom = false;
  LightingColour thirdColour;
  bool thirdRandom = false;
  bool lightingSwitch = false;  // the panel is shown and key clicks paint colours
};

// The single byte 1 at area offset 19, sent by every full load whatever the
// current profile.
AreaWrites TriggerWrites();

// Sets the fields from `profile`'s record in `state.records`: a report rate
// above 3 becomes 3, any non-zero random flag is on, a colour choice above 3
// becomes 0 (red; nothing is written for it). Returns 1, or 0 with the state
// unchanged for a profile outside 0..3.
int SetStateFromRecords(LightingState& state, int profile);

// The stored lighting switch ("DengCheck"): a re-read only ever turns it on,
// a full load takes it as stored.
void ApplyStoredSwitchOnRead(LightingState& state, bool storedOn);
void ApplyStoredSwitchOnLoad(LightingState& state, bool storedOn);

// Selection of effect list position `position`. Sets the state's effect and
// returns the effect byte, followed by the random-colour flag (0/1) for the
// effects that use a colour. A position outside the list changes nothing; an
// effect without a row in the effect table is selected but writes nothing.
AreaWrites SelectEffect(LightingState& state, int position);

// Slider position 0..4. Nothing when out of range or equal to the brightness.
AreaWrites SetBrightness(LightingState& state, int position);
// Slider position 0..3 (speed = 3 − position). Nothing when out of range or
// when the speed does not change.
AreaWrites SetSpeedPosition(LightingState& state, int position);

enum class DirectionArrow { kFirst, kSecond };  // first writes 0xFF, second 0x00
// Written on every click, even when the direction does not change.
AreaWrites SetDirection(LightingState& state, DirectionArrow arrow);

// A picked colour: random colour off, then byte 0 at field 4 and the three
// colour bytes at field 5, in one bracket.
AreaWrites SetColour(LightingState& state, LightingColour colour);
AreaWrites ToggleRandomColour(LightingState& state);
// Colour choice 0..3 (effect 17); nothing for another value.
AreaWrites SetColourChoice(LightingState& state, int choice);
// Report rate 0..3 (button n gives n − 1); nothing for another value.
AreaWrites SetReportRate(LightingState& state, int rate);

// The default reset's write: the 35-byte default record at the profile's
// record offset; bytes 35..41 stay as they are. (The reset first selects
// effect 1 with SelectEffect, in a bracket of its own, and restores the user
// lighting file; those are the caller's steps.) The state takes the default
// record's values at once, so the panel and a following edit agree with what
// the keyboard now holds.
AreaWrites ResetLighting(LightingState& state);

// Inverts the switch and returns the new value. Turning it on asks the
// profile layer to select the keyboard's active profile; when that is refused
// the caller turns the switch back off with TurnLightingSwitchOff (nothing is
// shown then, and the switch must not claim otherwise).
bool ToggleLightingSwitch(LightingState& state);
// The switch off without inversion, as the profile buttons do before
// changing profile.
void TurnLightingSwitchOff(LightingState& state);

// Mirrors sent writes into `state.records` (the edits above already do).
void ApplyWrites(LightingArea& area, const AreaWrites& writes);

}  // namespace zarvel
