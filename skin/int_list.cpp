#include "skin/int_list.h"

#include <climits>

namespace zarvel {

namespace {

bool IsScanSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Reads one "%d" at `pos`; false (pos unchanged) when there is no number.
bool ScanInt(std::string_view text, std::size_t& pos, int& value) {
  std::size_t i = pos;
  while (i < text.size() && IsScanSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
  long long magnitude = 0;
  constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > kLimit) magnitude = kLimit;
  }
  long long signedValue = negative ? -magnitude : magnitude;
  value = signedValue > INT_MAX ? INT_MAX : static_cast<int>(signedValue);
  pos = i;
  return true;
}

}  // namespace

std::size_t ScanIntList(std::string_view text, std::span<int> out) {
  std::size_t pos = 0;
  for (std::size_t n = 0; n < out.size(); ++n) {
    if (n > 0) {
      if (pos >= text.size() || text[pos] != ',') return n;
      ++pos;
    }
    if (!ScanInt(text, pos, out[n])) return n;
  }
  return out.size();
}

std::string FormatIntList(std::span<const int> numbers) {
  std::string text;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) text.push_back(',');
    text += std::to_string(numbers[i]);
  }
  return text;
}

}  // namespace zarvel
