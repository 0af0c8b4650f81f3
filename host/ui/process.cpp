// CreateProcessA with STARTUPINFO.wShowWindow: the show mode reaches the new program no matter
// what its file is called. Depends on kernel32 and text.h for a path the ANSI call can take.
#include "host/ui/process.h"

#include <vector>

#include "host/ui/text.h"

namespace ui {

Process::~Process() {
  if (handle_) CloseHandle(handle_);
}

bool Process::start(const std::wstring& path, int showMode) {
  if (handle_) {
    CloseHandle(handle_);
    handle_ = nullptr;
    id_ = 0;
  }
  // The program's own folder may be too long for the call, or hold characters the code page
  // cannot: its 8.3 form stands in then.
  const std::string file = ansiPath(path);
  if (file.empty()) return false;
  // The program sees its own quoted path as argv[0] and no arguments.
  std::string line = "\"" + file + "\"";
  std::vector<char> commandLine(line.begin(), line.end());
  commandLine.push_back('\0');

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showMode);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(file.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  handle_ = info.hProcess;
  id_ = info.dwProcessId;
  return true;
}

bool Process::running() const {
  return handle_ != nullptr && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
}

}  // namespace ui
