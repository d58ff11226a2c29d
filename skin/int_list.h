#pragma once
// Comma-separated decimal numbers, the value syntax of skin placements
// ("10,20,30,40") and of the user lighting files' colours ("255,0,0,1").
//
// Reading follows the scanf pattern "%d,%d,...": each number may be preceded
// by white space and carry a sign; the comma after a number must follow it
// directly. Reading stops at the first thing that does not fit; everything
// after the last wanted number is ignored. Numbers beyond the range of int
// saturate at its limits.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace zarvel {

// Fills out[0..n) with the numbers read and returns n, the count read
// (0..out.size()). out[n..] is left untouched.
std::size_t ScanIntList(std::string_view text, std::span<int> out);

// "1,2,3": the numbers in decimal, joined with commas and no spaces.
std::string FormatIntList(std::span<const int> numbers);

}  // namespace zarvel
