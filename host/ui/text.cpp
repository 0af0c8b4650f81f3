// UTF-16 <-> multi-byte conversion at the system-call boundary (WideCharToMultiByte and
// MultiByteToWideChar), paths the ANSI calls can take (GetShortPathNameW) and the system's
// error texts (FormatMessageW). Characters the code page lacks become the system default
// character.
#include "host/ui/text.h"

#include <cstring>

namespace ui {

TextSystem& textCalls() {
  static TextSystem calls;
  return calls;
}

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

namespace {

// The A calls widen a path into buffers of MAX_PATH characters, its NUL included; Wine's
// profile calls then work on whatever such a buffer held before (a longer path once wrote a
// file with a garbage name into the current folder). A path the code page cannot hold would
// come back with "?" or look-alike letters and name nothing, or something else.
bool ansiCallsTake(const std::wstring& path, std::string& ansi) {
  ansi = toAnsi(path);
  if (path.empty() || fromAnsi(ansi) != path) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  if (path.size() >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  return true;
}

// The 8.3 form of an existing path; empty, with the last error set, when there is none. A
// volume that keeps no 8.3 names answers with the long path.
std::wstring shortForm(const std::wstring& path) {
  const DWORD size = textCalls().getShortPathName(path.c_str(), nullptr, 0);
  if (size == 0) return {};
  std::wstring out(size, L'\0');
  const DWORD length = textCalls().getShortPathName(path.c_str(), out.data(), size);
  if (length == 0 || length >= size) return {};
  out.resize(length);
  return out;
}

}  // namespace

std::string ansiPath(const std::wstring& path) {
  std::string ansi;
  if (ansiCallsTake(path, ansi)) return ansi;
  const DWORD longReason = GetLastError();
  std::wstring shortPath = shortForm(path);
  if (shortPath.empty()) {
    const size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos && slash > 0) {
      const std::wstring folder = shortForm(path.substr(0, slash));
      if (!folder.empty()) shortPath = folder + path.substr(slash);
    }
  }
  if (shortPath.empty()) {
    SetLastError(longReason);  // no 8.3 form to be had: the long form's fault is the reason
    return {};
  }
  if (ansiCallsTake(shortPath, ansi)) return ansi;
  return {};
}

std::wstring widePath(const std::wstring& path) {
  if (path.size() < MAX_PATH || path.rfind(L"\\\\?\\", 0) == 0) return path;
  if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);  // \\server\share\...
  return L"\\\\?\\" + path;
}

std::wstring systemErrorText(uint32_t error) {
  if (error == 0) return std::wstring();
  wchar_t* text = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring result = length && text ? std::wstring(text, length) : std::wstring();
  if (text) LocalFree(text);
  while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r' || result.back() == L' ')) {
    result.pop_back();
  }
  return result;
}

}  // namespace ui
