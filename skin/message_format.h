#pragma once
// Formatting of language texts that carry a number or a path.
//
// Language files are input the program does not control, so their texts are
// never handed to the C printf family. FormatMessage accepts only conversions
// that match the arguments actually supplied, in order: %d / %i (signed),
// %u (unsigned), %x / %X (unsigned, hexadecimal), %s (text), with the flags
// '-', '0', '+', ' ' and a decimal width; %% is a literal percent sign.
// Any other conversion, a conversion beyond the supplied arguments, or one whose
// kind does not match its argument is copied to the output literally.
//
// Details: %d and %i show either integer kind; %u, %x and %X show unsigned
// values and non-negative signed ones (a negative one is a mismatch). %s takes
// text, and '.precision' (characters, cut at a UTF-8 boundary) is accepted
// for it; for numbers '.precision' is the minimum count of digits. Widths and
// precisions above 255 make the conversion literal. A supported conversion
// whose kind does not match still uses up its argument, so later conversions
// keep their own.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace zarvel {

using FormatArg = std::variant<std::int64_t, std::uint64_t, std::string>;

std::string FormatMessage(std::string_view format, std::initializer_list<FormatArg> args);
// The same, for arguments gathered at run time.
std::string FormatMessageSpan(std::string_view format, std::span<const FormatArg> args);

}  // namespace zarvel
