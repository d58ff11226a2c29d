#pragma once
// The skin's fonts, with fallbacks Linux has.
//
// The windows name "Arial Unicode MS" (most texts) and "Verdana Unicode MS"
// (the key-function dialog's titles), which few Linux systems have; each gets
// a fallback chain of look-alikes that ends in DejaVu Sans, which Debian
// always has (package fonts-dejavu-core).
#include <QFont>
#include <QStringList>
#include <string_view>

namespace zarvel {

inline constexpr std::string_view kArialUnicode = "Arial Unicode MS";
inline constexpr std::string_view kVerdanaUnicode = "Verdana Unicode MS";

// The families tried for `face`, first the face itself, last "DejaVu Sans".
QStringList FontFallbacks(std::string_view face);
// A font of `face` (with its fallbacks) at `points` and `weight` (the
// design's 100..1000 scale: 400 normal, 700 bold).
QFont SkinFont(std::string_view face, int points, int weight = 400);

}  // namespace zarvel
