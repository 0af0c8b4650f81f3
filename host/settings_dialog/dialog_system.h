// The system calls of the settings dialog that tests need to see or answer: the cursor
// position read at load, the caption zoom, the file chooser and the short names, the shell's
// "open" and the message box. Replaceable
// function pointers; the real ones call user32, comdlg32 and shell32. Windows builds only.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <cstddef>
#include <cstdint>

namespace dialog {

struct DialogSystem {
  int32_t (*getCursorPos)(POINT* point);
  int32_t (*drawAnimatedRects)(HWND window, int animation, const RECT* from, const RECT* to);
  int32_t (*getOpenFileName)(OPENFILENAMEW* request);
  // ShellExecuteA; the result the shell gives as an instance handle, as a number.
  intptr_t (*shellExecute)(HWND owner, const char* operation, const char* file, const char* parameters,
                           const char* folder, int showMode);
  int32_t (*messageBox)(HWND owner, const wchar_t* text, const wchar_t* caption, unsigned type);
  // GetShortPathNameW: the length written, or the size needed, or 0 on failure.
  uint32_t (*getShortPathName)(const wchar_t* path, wchar_t* shortPath, uint32_t size);
};

// The calls in use. Tests swap them with ScopedSeam; one that wraps a real call keeps a copy
// of the struct from before the swap.
DialogSystem& DialogCalls();

// The size the file chooser is told its request has: the structure as it was before the
// places bar was added (76 bytes in the 32-bit program). The 64-bit program passes the same
// layout's size for its own pointer width (136 bytes), the only old size its system accepts.
// (OPENFILENAME_SIZE_VERSION_400W, spelt out: the header's macro is no constant expression.)
constexpr DWORD OpenFileNameSize = offsetof(OPENFILENAMEW, lpTemplateName) + sizeof(LPCWSTR);
static_assert(sizeof(void*) != 4 || OpenFileNameSize == 76, "the 32-bit request must be 76 bytes");

}  // namespace dialog
