// UTF-16 <-> multi-byte conversion at the system-call boundary (WideCharToMultiByte and
// MultiByteToWideChar). Characters the code page lacks become the system default character.
#include "host/ui/text.h"

#include <windows.h>

#include <cstring>

namespace ui {

std::string toCodePage(const std::wstring& text, unsigned codePage) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int bytes = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), size, out.data(), bytes, nullptr, nullptr);
  return out;
}

std::wstring fromCodePage(const std::string& bytes, unsigned codePage) {
  const size_t length = std::strlen(bytes.c_str());  // replies are cut at their first NUL
  if (length == 0) return {};
  const int size = static_cast<int>(length);
  const int chars = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  if (chars <= 0) return {};
  std::wstring out(static_cast<size_t>(chars), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), size, out.data(), chars);
  return out;
}

std::string toAnsi(const std::wstring& text) { return toCodePage(text, CP_ACP); }

std::wstring fromAnsi(const char* text) { return text ? fromCodePage(text, CP_ACP) : std::wstring(); }

std::wstring fromAnsi(const std::string& bytes) { return fromCodePage(bytes, CP_ACP); }

}  // namespace ui
