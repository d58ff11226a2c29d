#include "skin/widgets/skin_fonts.h"

#include <algorithm>

namespace zarvel {

namespace {

// Debian always ships DejaVu Sans (fonts-dejavu-core); without a last resort
// that surely exists, text renders as empty boxes.
constexpr const char* kLastResort = "DejaVu Sans";

QString FromView(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

QStringList FontFallbacks(std::string_view face) {
  QStringList families;
  if (!face.empty()) families << FromView(face);
  if (face == kArialUnicode) {
    // Metric-compatible look-alikes first, so captions keep the width the
    // skin was drawn for.
    families << "Arial" << "Liberation Sans" << "Arimo" << "Noto Sans";
  } else if (face == kVerdanaUnicode) {
    // DejaVu Sans grew out of Bitstream Vera, Verdana's closest free cousin.
    families << "Verdana" << "Bitstream Vera Sans";
  }
  families << kLastResort;
  families.removeDuplicates();
  return families;
}

QFont SkinFont(std::string_view face, int points, int weight) {
  QFont font;
  QStringList families = FontFallbacks(face);
  font.setFamily(families.front());
  font.setFamilies(families);
  font.setPointSize(std::max(1, points));
  font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 1, 1000)));
  return font;
}

}  // namespace zarvel
