// libFuzzer target for the Command control's property bag: a run of writes, removals and reads
// of typed values under keys that differ in case, and the conversions of whatever is stored.
// Links command_rules, which holds the bag; no system at all.
#include "host/controls/property_bag_rules.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using controls::PropValue;

void require(bool condition) {
  if (!condition) std::abort();
}

struct Input {
  const uint8_t* data;
  size_t size;
  uint8_t next() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
  int64_t next64() {
    uint64_t value = 0;
    for (int i = 0; i < 8; ++i) value = value << 8 | next();
    return static_cast<int64_t>(value);
  }
  std::wstring text() {
    // Mostly characters a stored number or key is made of, now and then any UTF-16 unit.
    static const wchar_t common[] = L" \t0123456789.+-eE&HhTrueFals\u00C4\u00E4\u0130\u0131";
    std::wstring result;
    for (size_t length = next() % 24; length > 0 && size > 0; --length) {
      const uint8_t c = next();
      result += c < 0xC0 ? common[c % (sizeof common / sizeof common[0] - 1)]
                         : static_cast<wchar_t>(next() | next() << 8);
    }
    return result;
  }
  PropValue value() {
    switch (next() % 5) {
      case 0: return PropValue();
      case 1: return PropValue(static_cast<bool>(next() & 1));
      case 2: return PropValue(next() & 1 ? next64() : static_cast<int64_t>(static_cast<int8_t>(next())));
      case 3: return PropValue(text());
      default: {
        controls::FontDesc font;
        font.name = text();
        font.points = static_cast<double>(next()) / 4.0;
        font.weight = next() & 1 ? 700 : 400;
        font.charset = next();
        return PropValue(font);
      }
    }
  }
};

const wchar_t* const Keys[] = {L"Caption", L"caption", L"CAPTION", L"Enabled", L"\u00C4rger", L"\u00E4rger", L""};

// Conversions agree with each other whatever the stored value.
void checkConversions(const PropValue& value) {
  const auto whole = controls::toInteger(value);
  const auto truth = controls::toBoolean(value);
  if (!value.asBool()) require(truth.has_value() == whole.has_value() && (!truth || *truth == (*whole != 0)));
  const auto narrow = controls::toSigned32(value);
  require(narrow.has_value() == (whole && *whole >= INT32_MIN && *whole <= INT32_MAX));
  if (narrow) require(*narrow == *whole);
  // A stored number reads back from its own text, as far as a double holds it exactly.
  if (const auto* number = value.asInteger(); number && *number >= -(int64_t{1} << 53) && *number <= int64_t{1} << 53) {
    require(controls::toInteger(PropValue(*controls::toText(value))) == *number);
  }
  require(controls::equalsDefault(value, value));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  controls::MemoryPropertyBag bag;
  for (int step = 0; step < 32 && in.size > 0; ++step) {
    const std::wstring key = Keys[in.next() % (sizeof Keys / sizeof Keys[0])];
    const uint8_t op = in.next() % 3;
    if (op == 0) {
      const PropValue value = in.value();
      const PropValue fallback = in.value();
      checkConversions(value);
      controls::writeProperty(bag, key, value, fallback);
      const PropValue back = controls::readProperty(bag, key, fallback);
      // Reading gives the value written, or the default when the two are equal.
      require(back == value || (controls::equalsDefault(value, fallback) && back == fallback));
    } else if (op == 1) {
      bag.remove(key);
      require(!bag.read(key));
    } else if (const auto stored = bag.read(key)) {
      checkConversions(*stored);
    }
    // One entry per key, whatever case it was written in.
    const auto& entries = bag.entries();
    for (size_t i = 0; i < entries.size(); ++i) {
      for (size_t j = i + 1; j < entries.size(); ++j) require(!controls::keysEqual(entries[i].first, entries[j].first));
    }
  }
  return 0;
}
