// The property bag a container keeps for each Command instance: named entries holding a typed
// value, keys matched without regard to case, and the conversions applied when a stored value
// is read back. Platform-free (standard library only).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace controls {

// A font object as the caption element holds it, independent of any device.
struct FontDesc {
  std::wstring name;    // face name, e.g. L"ＭＳ Ｐゴシック"
  double points = 0.0;  // size in points, e.g. 9.75
  int weight = 400;     // 400 regular, 700 bold
  bool italic = false;
  bool underline = false;
  bool strikeout = false;
  int charset = 1;      // 1 default, 0 ANSI, 128 Shift-JIS

  bool operator==(const FontDesc& other) const;
  bool operator!=(const FontDesc& other) const { return !(*this == other); }
};

// One stored value. Integers are kept 64 bits wide so that an out-of-range stored number can
// be told apart from a valid one when it is narrowed.
class PropValue {
 public:
  PropValue() = default;
  PropValue(bool value) : value_(value) {}
  PropValue(int value) : value_(static_cast<std::int64_t>(value)) {}
  PropValue(std::int64_t value) : value_(value) {}
  PropValue(std::wstring value) : value_(std::move(value)) {}
  PropValue(const wchar_t* value) : value_(std::wstring(value ? value : L"")) {}
  PropValue(FontDesc value) : value_(std::move(value)) {}

  bool empty() const { return std::holds_alternative<std::monostate>(value_); }
  const bool* asBool() const { return std::get_if<bool>(&value_); }
  const std::int64_t* asInteger() const { return std::get_if<std::int64_t>(&value_); }
  const std::wstring* asText() const { return std::get_if<std::wstring>(&value_); }
  const FontDesc* asFont() const { return std::get_if<FontDesc>(&value_); }

  bool operator==(const PropValue& other) const { return value_ == other.value_; }
  bool operator!=(const PropValue& other) const { return !(*this == other); }

 private:
  std::variant<std::monostate, bool, std::int64_t, std::wstring, FontDesc> value_;
};

// Conversions of a stored value to the type an entry is read as. nullopt means the value
// cannot be converted (the reading step is then skipped).
// Text is read as a number when it is one, with blanks around it allowed: decimal (a fraction
// is rounded to the nearest integer, halves to even), "&H" hexadecimal, or "True"/"False".
// A boolean reads as -1 (true) or 0 as a number.
std::optional<bool> toBoolean(const PropValue& value);
std::optional<std::int64_t> toInteger(const PropValue& value);
std::optional<std::uint8_t> toUnsigned8(const PropValue& value);
std::optional<std::int16_t> toSigned16(const PropValue& value);
std::optional<std::int32_t> toSigned32(const PropValue& value);
std::optional<std::wstring> toText(const PropValue& value);
std::optional<FontDesc> toFont(const PropValue& value);

// True when `value` equals `defaultValue` once the default is converted to the value's type
// (so the text "1" equals the number 1).
bool equalsDefault(const PropValue& value, const PropValue& defaultValue);

// Keys compare without regard to case ("Caption", "caption").
bool keysEqual(std::wstring_view a, std::wstring_view b);

// What a container offers: read a named entry, write one, remove one.
class PropertyBag {
 public:
  virtual ~PropertyBag() = default;
  // The stored value, or nullopt when there is no entry of that name.
  virtual std::optional<PropValue> read(std::wstring_view key) const = 0;
  virtual void write(std::wstring_view key, const PropValue& value) = 0;
  virtual void remove(std::wstring_view key) = 0;
};

// A bag in memory that keeps its entries in the order they were first written; the key's
// spelling of that first write is kept.
class MemoryPropertyBag : public PropertyBag {
 public:
  std::optional<PropValue> read(std::wstring_view key) const override;
  void write(std::wstring_view key, const PropValue& value) override;
  void remove(std::wstring_view key) override;

  const std::vector<std::pair<std::wstring, PropValue>>& entries() const { return entries_; }
  std::size_t size() const { return entries_.size(); }

 private:
  std::vector<std::pair<std::wstring, PropValue>> entries_;
};

// Reading an entry: the stored value, or the default when there is none.
PropValue readProperty(const PropertyBag& bag, std::wstring_view key, const PropValue& defaultValue);
// Writing an entry: nothing is stored when the value equals its default, and a value stored
// by an earlier save is removed then, so that reading gives the default back.
void writeProperty(PropertyBag& bag, std::wstring_view key, const PropValue& value,
                   const PropValue& defaultValue);

}  // namespace controls
