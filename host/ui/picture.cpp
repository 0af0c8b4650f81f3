// OleLoadPicture over an HGLOBAL stream; the decoded bitmap is copied out as a DIB section so
// the IPicture can be released at once. Depends on ole32/oleaut32 (COM is set up per call).
#include "host/ui/picture.h"

#include <ole2.h>
#include <olectl.h>

#include <cstring>

namespace ui {

HBITMAP decodePicture(const void* data, size_t size, SIZE* pixels) {
  if (!data || size == 0) return nullptr;
  // Wine's loader reaches the JPEG codec through COM; on Windows this is harmless.
  const HRESULT comResult = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  HBITMAP copy = nullptr;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (memory) {
    void* target = GlobalLock(memory);
    if (target) {
      std::memcpy(target, data, size);
      GlobalUnlock(memory);
    }
    IStream* stream = nullptr;
    if (target && SUCCEEDED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
      memory = nullptr;  // the stream frees it now
      IPicture* picture = nullptr;
      if (SUCCEEDED(OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                   reinterpret_cast<void**>(&picture)))) {
        SHORT type = PICTYPE_NONE;
        OLE_HANDLE handle = 0;
        if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP &&
            SUCCEEDED(picture->get_Handle(&handle)) && handle) {
          HBITMAP source = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
          copy = static_cast<HBITMAP>(CopyImage(source, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
          BITMAP info = {};
          if (copy && pixels && GetObjectA(copy, sizeof info, &info)) {
            pixels->cx = info.bmWidth;
            pixels->cy = info.bmHeight;
          }
        }
        picture->Release();
      }
      stream->Release();
    }
    if (memory) GlobalFree(memory);
  }
  if (SUCCEEDED(comResult)) CoUninitialize();
  return copy;
}

HBITMAP loadPictureResource(const char* type, int id, SIZE* pixels) {
  const HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  if (!found) return nullptr;
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  return decodePicture(bytes, SizeofResource(module, found), pixels);
}

}  // namespace ui
