// libFuzzer target for the text rules of the settings file: the number rule and FolderOf on
// arbitrary UTF-16 text (two input bytes per character). Links settings_rules only.
#include "host/settings/settings_rules.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));

  const auto decimal = settings::parseDecimal(text);
  const auto number = settings::parseIniNumber(text);
  require(!number || decimal);
  if (number) {
    require(std::floor(*decimal) == *number);
    require(settings::parseIniNumber(settings::formatIniNumber(*number)) == number);
  } else if (decimal && std::isfinite(*decimal)) {
    const double whole = std::floor(*decimal);
    require(whole < -32768.0 || whole > 32767.0);
  }

  const std::wstring folder = settings::FolderOf(text);
  require(text.compare(0, folder.size(), folder) == 0);
  // Nothing after the cut holds a separator, apart from the one backslash that was dropped.
  std::wstring rest = text.substr(folder.size());
  if (!rest.empty() && rest[0] == L'\\') rest.erase(0, 1);
  require(rest.find_first_of(L":\\") == std::wstring::npos);
  return 0;
}
