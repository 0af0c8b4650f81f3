// The shared text rules. The number is copied as ASCII and read by strtod, so that nothing
// the C library would read differently (hex, "inf", locale digits) ever reaches it.
#include "common/text_rules.h"

#include <cmath>
#include <cstdlib>

namespace text {
namespace {

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

wchar_t upperAscii(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

wchar_t lowerAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

std::wstring upperAscii(std::wstring_view text) {
  std::wstring upper(text);
  for (wchar_t& c : upper) c = upperAscii(c);
  return upper;
}

wchar_t modeLetter(std::wstring_view arguments) {
  return arguments.size() < 2 ? L'\0' : upperAscii(arguments[1]);
}

double roundHalfEven(double value) {
  if (!std::isfinite(value)) return value;
  const double below = std::floor(value);
  const double fraction = value - below;
  if (fraction > 0.5) return below + 1.0;
  if (fraction < 0.5) return below;
  return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

std::optional<double> scanDecimal(std::wstring_view text, NumberSpan span) {
  size_t i = 0;
  size_t end = text.size();
  while (i < end && isBlank(text[i])) ++i;
  if (span == NumberSpan::Whole) {
    while (end > i && isBlank(text[end - 1])) --end;
  }

  std::string ascii;
  if (i < end && (text[i] == L'+' || text[i] == L'-')) ascii += static_cast<char>(text[i++]);
  size_t digits = 0;
  while (i < end && isDigit(text[i])) ascii += static_cast<char>(text[i++]), ++digits;
  if (i < end && text[i] == L'.') {
    ascii += '.';
    ++i;
    while (i < end && isDigit(text[i])) ascii += static_cast<char>(text[i++]), ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < end && (text[i] == L'e' || text[i] == L'E')) {
    size_t j = i + 1;
    std::string exponent = "e";
    if (j < end && (text[j] == L'+' || text[j] == L'-')) exponent += static_cast<char>(text[j++]);
    const size_t first = j;
    while (j < end && isDigit(text[j])) exponent += static_cast<char>(text[j++]);
    if (j > first) {
      ascii += exponent;
      i = j;
    } else if (span == NumberSpan::Whole) {
      return std::nullopt;
    }
  }
  if (span == NumberSpan::Whole && i != end) return std::nullopt;
  return std::strtod(ascii.c_str(), nullptr);
}

}  // namespace text
