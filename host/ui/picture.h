// Pictures stored in the program (JPEG, GIF, BMP), decoded by the system's OLE picture loader
// rather than a codec of our own. Win32 (ole32, oleaut32, gdi32).
#pragma once

#include <windows.h>

#include <cstddef>

namespace ui {

// A DIB section the caller owns (DeleteObject), or null when the bytes are no picture the
// system can read. `pixels` receives the picture's size when given.
HBITMAP decodePicture(const void* data, size_t size, SIZE* pixels = nullptr);

// The same for a resource of the running program, e.g. type "JPEG".
HBITMAP loadPictureResource(const char* type, int id, SIZE* pixels = nullptr);

}  // namespace ui
