#include "model/lighting_state.h"

#include <algorithm>

#include "model/lighting_panel.h"

namespace zarvel {

namespace {

constexpr int kMaxReportRate = 3;
constexpr int kMaxColourChoice = 3;
constexpr int kMaxBrightnessPosition = 4;
constexpr int kMaxSpeed = 3;

// The edits address the state's profile; one set from outside 0..3 would
// land in another profile's record, so such a state edits nothing.

// One field write of the current profile's record, mirrored into the kept
// copy of the area so the copy always matches what was sent.
AreaWrite FieldWrite(LightingState& state, std::size_t fieldOffset, std::vector<std::uint8_t> bytes) {
  AreaWrite write{static_cast<std::uint16_t>(LightingRecordOffset(state.profile) + fieldOffset), std::move(bytes)};
  ApplyAreaBytes(state.records, write.offset, write.bytes);
  return write;
}

std::uint8_t Flag(bool on) { return on ? 1 : 0; }

}  // namespace

AreaWrites TriggerWrites() { return {AreaWrite{kTriggerAreaOffset, {1}}}; }

int SetStateFromRecords(LightingState& state, int profile) {
  LightingRecord record;
  if (!ReadLightingRecord(state.records, profile, record)) return 0;
  state.profile = profile;
  state.effect = record.effect;
  state.brightness = record.brightness;
  state.speed = record.speed;
  state.direction = record.direction;
  state.randomColour = record.randomColour != 0;
  state.colour = record.colour;
  state.reportRate = std::min<int>(record.reportRate, kMaxReportRate);
  state.colourChoice = record.colourChoice > kMaxColourChoice ? 0 : record.colourChoice;
  state.secondColour = record.secondColour;
  state.secondRandom = record.secondRandom != 0;
  state.thirdColour = record.thirdColour;
  state.thirdRandom = record.thirdRandom != 0;
  return 1;
}

void ApplyStoredSwitchOnRead(LightingState& state, bool storedOn) {
  if (storedOn) state.lightingSwitch = true;
}

void ApplyStoredSwitchOnLoad(LightingState& state, bool storedOn) { state.lightingSwitch = storedOn; }

AreaWrites SelectEffect(LightingState& state, int position) {
  if (!ValidLightingProfile(state.profile)) return {};
  int effect = state.effects.EffectAt(position);
  if (effect < 0) return {};
  state.effect = effect;
  EffectControls controls = ControlsForEffect(effect);
  if (!controls.known) return {};
  AreaWrites writes;
  writes.push_back(FieldWrite(state, lighting_offset::kEffect, {static_cast<std::uint8_t>(effect)}));
  if (controls.writesRandomColour) {
    writes.push_back(FieldWrite(state, lighting_offset::kRandomColour, {Flag(state.randomColour)}));
  }
  return writes;
}

AreaWrites SetBrightness(LightingState& state, int position) {
  if (!ValidLightingProfile(state.profile)) return {};
  if (position < 0 || position > kMaxBrightnessPosition || position == state.brightness) return {};
  state.brightness = position;
  return {FieldWrite(state, lighting_offset::kBrightness, {static_cast<std::uint8_t>(position)})};
}

AreaWrites SetSpeedPosition(LightingState& state, int position) {
  if (!ValidLightingProfile(state.profile)) return {};
  if (position < 0 || position > kMaxSpeed) return {};
  int speed = kMaxSpeed - position;
  if (speed == state.speed) return {};
  state.speed = speed;
  return {FieldWrite(state, lighting_offset::kSpeed, {static_cast<std::uint8_t>(speed)})};
}

AreaWrites SetDirection(LightingState& state, DirectionArrow arrow) {
  if (!ValidLightingProfile(state.profile)) return {};
  std::uint8_t direction = arrow == DirectionArrow::kFirst ? kDirectionFirst : kDirectionSecond;
  state.direction = direction;
  return {FieldWrite(state, lighting_offset::kDirection, {direction})};
}

AreaWrites SetColour(LightingState& state, LightingColour colour) {
  if (!ValidLightingProfile(state.profile)) return {};
  state.randomColour = false;
  state.colour = colour;
  AreaWrites writes;
  writes.push_back(FieldWrite(state, lighting_offset::kRandomColour, {0}));
  writes.push_back(FieldWrite(state, lighting_offset::kColour, {colour.red, colour.green, colour.blue}));
  return writes;
}

AreaWrites ToggleRandomColour(LightingState& state) {
  if (!ValidLightingProfile(state.profile)) return {};
  state.randomColour = !state.randomColour;
  return {FieldWrite(state, lighting_offset::kRandomColour, {Flag(state.randomColour)})};
}

AreaWrites SetColourChoice(LightingState& state, int choice) {
  if (!ValidLightingProfile(state.profile)) return {};
  if (choice < 0 || choice > kMaxColourChoice) return {};
  state.colourChoice = choice;
  return {FieldWrite(state, lighting_offset::kColourChoice, {static_cast<std::uint8_t>(choice)})};
}

AreaWrites SetReportRate(LightingState& state, int rate) {
  if (!ValidLightingProfile(state.profile)) return {};
  if (rate < 0 || rate > kMaxReportRate) return {};
  state.reportRate = rate;
  return {FieldWrite(state, lighting_offset::kReportRate, {static_cast<std::uint8_t>(rate)})};
}

AreaWrites ResetLighting(LightingState& state) {
  if (!ValidLightingProfile(state.profile)) return {};
  auto defaults = DefaultLightingRecordBytes();
  AreaWrite write = FieldWrite(state, 0, std::vector<std::uint8_t>(defaults.begin(), defaults.end()));
  // The lighting switch and the effect list are not part of the record.
  SetStateFromRecords(state, state.profile);
  return {write};
}

bool ToggleLightingSwitch(LightingState& state) {
  state.lightingSwitch = !state.lightingSwitch;
  return state.lightingSwitch;
}

void TurnLightingSwitchOff(LightingState& state) { state.lightingSwitch = false; }

void ApplyWrites(LightingArea& area, const AreaWrites& writes) {
  for (const AreaWrite& write : writes) ApplyAreaBytes(area, write.offset, write.bytes);
}

}  // namespace zarvel
