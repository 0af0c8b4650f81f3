// Property bag entries and the conversions of stored values when they are read back.
// Platform-free; depends on the standard library only.
#include "host/controls/property_bag_rules.h"

#include <cmath>
#include <cwctype>
#include <limits>

#include "common/text_rules.h"

namespace controls {
namespace {

wchar_t foldCase(wchar_t c) {
  if (c < 0x80) return text::lowerAscii(c);
  return static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
}

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view trim(std::wstring_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Round half to even, as the numeric conversions of stored text do; nothing beyond 64 bits.
std::optional<std::int64_t> toWhole(double value) {
  const double rounded = text::roundHalfEven(value);
  if (!(std::fabs(rounded) <= 4.0e18)) return std::nullopt;  // also turns away inf and NaN
  return static_cast<std::int64_t>(rounded);
}

std::optional<std::int64_t> parseHex(std::wstring_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  for (wchar_t c : digits) {
    int d;
    if (c >= L'0' && c <= L'9') d = c - L'0';
    else if (c >= L'a' && c <= L'f') d = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F') d = c - L'A' + 10;
    else return std::nullopt;
    value = value * 16u + static_cast<std::uint32_t>(d);
  }
  // Eight hex digits are a signed 32-bit pattern: "&HFFFFFFFF" is -1.
  if (digits.size() == 8) return static_cast<std::int64_t>(static_cast<std::int32_t>(value));
  return static_cast<std::int64_t>(value);
}

// Decimal with optional sign, fraction and exponent; no other characters.
std::optional<std::int64_t> parseDecimal(std::wstring_view text) {
  const auto number = text::scanDecimal(text, text::NumberSpan::Whole);
  if (!number) return std::nullopt;
  return toWhole(*number);
}

bool textEqualsNoCase(std::wstring_view a, std::wstring_view b) { return keysEqual(a, b); }

template <typename T>
std::optional<T> narrow(const PropValue& value) {
  const auto wide = toInteger(value);
  if (!wide || *wide < std::numeric_limits<T>::min() || *wide > std::numeric_limits<T>::max()) {
    return std::nullopt;
  }
  return static_cast<T>(*wide);
}

}  // namespace

bool FontDesc::operator==(const FontDesc& other) const {
  return keysEqual(name, other.name) && points == other.points && weight == other.weight &&
         italic == other.italic && underline == other.underline && strikeout == other.strikeout &&
         charset == other.charset;
}

bool keysEqual(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (foldCase(a[i]) != foldCase(b[i])) return false;
  }
  return true;
}

std::optional<std::int64_t> toInteger(const PropValue& value) {
  if (const auto* n = value.asInteger()) return *n;
  if (const auto* b = value.asBool()) return *b ? -1 : 0;
  if (value.empty()) return 0;
  if (const auto* t = value.asText()) {
    const std::wstring_view text = trim(*t);
    if (textEqualsNoCase(text, L"True")) return -1;
    if (textEqualsNoCase(text, L"False")) return 0;
    if (text.size() > 2 && text[0] == L'&' && (text[1] == L'H' || text[1] == L'h')) {
      return parseHex(text.substr(2));
    }
    return parseDecimal(text);
  }
  return std::nullopt;
}

std::optional<bool> toBoolean(const PropValue& value) {
  if (const auto* b = value.asBool()) return *b;
  const auto n = toInteger(value);
  if (!n) return std::nullopt;
  return *n != 0;
}

std::optional<std::uint8_t> toUnsigned8(const PropValue& value) { return narrow<std::uint8_t>(value); }
std::optional<std::int16_t> toSigned16(const PropValue& value) { return narrow<std::int16_t>(value); }
std::optional<std::int32_t> toSigned32(const PropValue& value) { return narrow<std::int32_t>(value); }

std::optional<std::wstring> toText(const PropValue& value) {
  if (const auto* t = value.asText()) return *t;
  if (const auto* n = value.asInteger()) return std::to_wstring(*n);
  if (const auto* b = value.asBool()) return std::wstring(*b ? L"True" : L"False");
  if (value.empty()) return std::wstring();
  return std::nullopt;
}

std::optional<FontDesc> toFont(const PropValue& value) {
  if (const auto* f = value.asFont()) return *f;
  return std::nullopt;
}

bool equalsDefault(const PropValue& value, const PropValue& defaultValue) {
  if (value.asBool()) {
    const auto d = toBoolean(defaultValue);
    return d && *d == *value.asBool();
  }
  if (value.asInteger()) {
    const auto d = toInteger(defaultValue);
    return d && *d == *value.asInteger();
  }
  if (value.asText()) {
    const auto d = toText(defaultValue);
    return d && *d == *value.asText();
  }
  if (value.asFont()) {
    const auto d = toFont(defaultValue);
    return d && *d == *value.asFont();
  }
  return defaultValue.empty();
}

std::optional<PropValue> MemoryPropertyBag::read(std::wstring_view key) const {
  for (const auto& entry : entries_) {
    if (keysEqual(entry.first, key)) return entry.second;
  }
  return std::nullopt;
}

void MemoryPropertyBag::write(std::wstring_view key, const PropValue& value) {
  for (auto& entry : entries_) {
    if (keysEqual(entry.first, key)) {
      entry.second = value;
      return;
    }
  }
  entries_.emplace_back(std::wstring(key), value);
}

void MemoryPropertyBag::remove(std::wstring_view key) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (keysEqual(it->first, key)) {
      entries_.erase(it);
      return;
    }
  }
}

PropValue readProperty(const PropertyBag& bag, std::wstring_view key, const PropValue& defaultValue) {
  auto stored = bag.read(key);
  return stored ? *stored : defaultValue;
}

void writeProperty(PropertyBag& bag, std::wstring_view key, const PropValue& value,
                   const PropValue& defaultValue) {
  if (equalsDefault(value, defaultValue)) {
    bag.remove(key);
  } else {
    bag.write(key, value);
  }
}

}  // namespace controls
