#include "skin/message_format.h"


namespace zarvel {

namespace {

// Widths and precisions beyond this are no message a language file needs;
// such conversions are copied literally instead of padding megabytes.
constexpr unsigned kMaxFieldWidth = 255;

struct Conversion {
  bool leftAlign = false;
  bool zeroPad = false;
  bool plusSign = false;
  bool spaceSign = false;
  unsigned width = 0;
  bool hasPrecision = false;
  unsigned precision = 0;
  char kind = 0;
  std::size_t length = 0;  // characters of the format the conversion spans
};

// Parses the conversion starting at format[0] == '%'. False when it is not
// one of the supported forms.
bool ParseConversion(std::string_view format, Conversion& out) {
  std::size_t i = 1;
  for (; i < format.size(); ++i) {
    char c = format[i];
    if (c == '-') {
      out.leftAlign = true;
    } else if (c == '0') {
      out.zeroPad = true;
    } else if (c == '+') {
      out.plusSign = true;
    } else if (c == ' ') {
      out.spaceSign = true;
    } else {
      break;
    }
  }
  auto readNumber = [&](unsigned& value) {
    std::size_t digits = 0;
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
      if (value <= kMaxFieldWidth) value = value * 10 + static_cast<unsigned>(format[i] - '0');
      ++i;
      ++digits;
    }
    return digits;
  };
  readNumber(out.width);
  if (out.width > kMaxFieldWidth) return false;
  if (i < format.size() && format[i] == '.') {
    ++i;
    out.hasPrecision = true;
    readNumber(out.precision);
    if (out.precision > kMaxFieldWidth) return false;
  }
  if (i >= format.size()) return false;
  char kind = format[i];
  if (kind != 'd' && kind != 'i' && kind != 'u' && kind != 'x' && kind != 'X' && kind != 's') return false;
  out.kind = kind;
  out.length = i + 1;
  return true;
}

std::string Digits(std::uint64_t value, unsigned base, bool upper) {
  const char* digitChars = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string digits;
  do {
    digits.insert(digits.begin(), digitChars[value % base]);
    value /= base;
  } while (value != 0);
  return digits;
}

// Formats a number as printf would for the same conversion. False when the
// argument cannot be shown by it (a negative number for %u, %x, %X).
bool FormatNumber(const Conversion& c, const FormatArg& arg, std::string& out) {
  bool negative = false;
  std::uint64_t magnitude = 0;
  if (const auto* s = std::get_if<std::int64_t>(&arg)) {
    negative = *s < 0;
    magnitude = negative ? 0 - static_cast<std::uint64_t>(*s) : static_cast<std::uint64_t>(*s);
  } else if (const auto* u = std::get_if<std::uint64_t>(&arg)) {
    magnitude = *u;
  } else {
    return false;
  }
  bool isSigned = c.kind == 'd' || c.kind == 'i';
  if (negative && !isSigned) return false;
  unsigned base = (c.kind == 'x' || c.kind == 'X') ? 16 : 10;
  std::string digits = Digits(magnitude, base, c.kind == 'X');
  if (c.hasPrecision) {
    if (c.precision == 0 && magnitude == 0) digits.clear();
    if (digits.size() < c.precision) digits.insert(0, c.precision - digits.size(), '0');
  }
  std::string sign;
  if (negative) {
    sign = "-";
  } else if (isSigned && c.plusSign) {
    sign = "+";
  } else if (isSigned && c.spaceSign) {
    sign = " ";
  }
  std::size_t used = sign.size() + digits.size();
  std::size_t pad = c.width > used ? c.width - used : 0;
  if (c.leftAlign) {
    out += sign + digits + std::string(pad, ' ');
  } else if (c.zeroPad && !c.hasPrecision) {
    out += sign + std::string(pad, '0') + digits;
  } else {
    out += std::string(pad, ' ') + sign + digits;
  }
  return true;
}

bool FormatText(const Conversion& c, const FormatArg& arg, std::string& out) {
  const auto* text = std::get_if<std::string>(&arg);
  if (text == nullptr) return false;
  std::string shown = *text;
  if (c.hasPrecision && shown.size() > c.precision) {
    // Cut at a character boundary, never inside a UTF-8 sequence.
    std::size_t cut = c.precision;
    while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0u) == 0x80u) --cut;
    shown.resize(cut);
  }
  std::size_t pad = c.width > shown.size() ? c.width - shown.size() : 0;
  if (c.leftAlign) {
    out += shown + std::string(pad, ' ');
  } else {
    out += std::string(pad, ' ') + shown;
  }
  return true;
}

}  // namespace

std::string FormatMessage(std::string_view format, std::initializer_list<FormatArg> args) {
  return FormatMessageSpan(format, std::span<const FormatArg>(args.begin(), args.size()));
}

std::string FormatMessageSpan(std::string_view format, std::span<const FormatArg> pending) {
  std::size_t next = 0;

  std::string out;
  out.reserve(format.size());
  std::size_t i = 0;
  while (i < format.size()) {
    if (format[i] != '%') {
      out.push_back(format[i++]);
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      out.push_back('%');
      i += 2;
      continue;
    }
    Conversion conversion;
    if (!ParseConversion(format.substr(i), conversion)) {
      out.push_back(format[i++]);
      continue;
    }
    std::string_view spelled = format.substr(i, conversion.length);
    i += conversion.length;
    if (next >= pending.size()) {
      out += spelled;
      continue;
    }
    // A supported conversion takes its argument even when the kinds differ, so
    // the conversions after it still meet the arguments meant for them.
    const FormatArg& arg = pending[next++];
    bool shown = conversion.kind == 's' ? FormatText(conversion, arg, out) : FormatNumber(conversion, arg, out);
    if (!shown) out += spelled;
  }
  return out;
}

}  // namespace zarvel
