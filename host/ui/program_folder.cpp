// The running program's folder from the module file name (GetModuleFileNameW), trimmed the way
// the host's runtime has always reported it. Depends on kernel32 only.
#include "host/ui/program_folder.h"

#include <windows.h>

namespace ui {

std::wstring programFolder() {
  // The name may be longer than MAX_PATH; the call truncates silently, so grow until it fits.
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return std::wstring();
    if (length < name.size()) {
      name.resize(length);
      break;
    }
    name.resize(name.size() * 2);
  }
  return folderOfModulePath(name);
}

}  // namespace ui
