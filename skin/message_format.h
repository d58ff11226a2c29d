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
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace zarvel {

using FormatArg = std::variant<std::int64_t, std::uint64_t, std::string>;

std::string FormatMessage(std::string_view format, std::initializer_list<FormatArg> args);

}  // namespace zarvel
