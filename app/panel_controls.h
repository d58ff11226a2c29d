#pragma once
// Small helpers shared by the lighting panel's parts: colours between the
// keyboard's byte triples and Qt, and the placed, named controls every part
// makes. Each control is named after its skin key, so tests and the
// placement code find it by the same name.
#include <QColor>
#include <QWidget>
#include <string_view>

#include "model/lighting_record.h"
#include "model/user_lighting_file.h"
#include "skin/ini_file.h"
#include "skin/widgets/skin_placement.h"

namespace zarvel {

inline QColor ToQColor(const LightingColour& c) { return QColor(c.red, c.green, c.blue); }
inline QColor ToQColor(const SlotColour& c) { return QColor(c.red, c.green, c.blue); }

inline std::uint8_t ColourByte(int value) { return static_cast<std::uint8_t>(value & 0xFF); }
inline LightingColour ToLightingColour(const QColor& c) {
  return {ColourByte(c.red()), ColourByte(c.green()), ColourByte(c.blue())};
}
inline SlotColour ToSlotColour(const QColor& c) { return {ColourByte(c.red()), ColourByte(c.green()), ColourByte(c.blue())}; }

// Makes a `Control` child of `window`, named `key` and placed by `key`.
template <typename Control, typename... Args>
Control* MakePlaced(QWidget& window, const CIniFile& skin, std::string_view key, Args&&... args) {
  auto* control = new Control(std::forward<Args>(args)..., &window);
  control->setObjectName(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())));
  PlaceControl(skin, key, *control);
  return control;
}

}  // namespace zarvel
