// Starting another program by its path, with a show mode, whatever the file's extension (the
// renderer is an executable named .dll, which the shell would not run). Win32 (kernel32).
#pragma once

#include <windows.h>

#include <string>

namespace ui {

class Process {
 public:
  Process() = default;
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // CreateProcess of `path` without arguments; `showMode` is the SW_ value the program's
  // first ShowWindow receives. False when the system refuses (missing file, not a program) or
  // when no form of the path fits the ANSI call (see ansiPath), the last error saying why.
  bool start(const std::wstring& path, int showMode);
  // True while the started process has not ended; false when none was started.
  bool running() const;
  DWORD id() const { return id_; }

 private:
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
};

}  // namespace ui
