// Text rules that several modules share, so that the start routine, the session, the settings
// file, the settings dialog, the music module and the button's property bag agree on what a
// number is, how it rounds, which letters compare equal and which switch the command line
// gives. Plain C++, no locale, no platform header.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace text {

// ASCII letters only: the outcome never depends on the system's locale or code page.
wchar_t upperAscii(wchar_t c);
wchar_t lowerAscii(wchar_t c);
std::wstring upperAscii(std::wstring_view text);

// The switch of the host's argument text: its second character, upper-cased (the first, a
// slash or a hyphen, is not looked at); 0 when the text is shorter than two characters. The
// start routine chooses its mode by it and the session reads it again at load and unload.
wchar_t modeLetter(std::wstring_view arguments);

// Round half to even, the way a conversion of a number to a whole one rounds. Infinities and
// NaN come back unchanged, for the caller's range check to turn away.
double roundHalfEven(double value);

// How much of the text a decimal number must take.
enum class NumberSpan {
  // As far as a number goes after leading blanks; the rest is ignored. An exponent counts only
  // when digits follow it ("12e" reads as 12).
  Leading,
  // The whole text, blanks allowed around it; an exponent needs its digits.
  Whole,
};

// Plain decimal text: sign, digits with at most one point, then an exponent. Blanks are
// spaces and tabs. Hex, separators, "inf", "nan" and non-ASCII digits are no number. Nothing
// when the text has no number where `span` wants one.
std::optional<double> scanDecimal(std::wstring_view text, NumberSpan span);

}  // namespace text
