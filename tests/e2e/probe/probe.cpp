// Command-line helper for the end-to-end tests: finds windows by title (hidden ones too),
// reports their class, styles and geometry as JSON (also every top-level window of a process),
// posts and sends messages, reads the display mode, the monitors and the pointer, prints
// manifests, keeps a test "preview pane" alive while serving stdin commands, answers a file
// chooser, tells which window has the keyboard focus and sets the text of another program's control.
// Console program; depends on user32, gdi32 and shell32.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

long long parseNumber(const char* text) { return std::strtoll(text, nullptr, 0); }

HWND resolve(const char* target) {
  if (target[0] == '#') return reinterpret_cast<HWND>(static_cast<intptr_t>(parseNumber(target + 1)));
  return FindWindowA(nullptr, target);
}

long long handleValue(HWND hwnd) { return static_cast<long long>(reinterpret_cast<intptr_t>(hwnd)); }

std::string jsonString(const char* text) {
  std::string out = "\"";
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    if (*p == '"' || *p == '\\') {
      out += '\\';
      out += static_cast<char>(*p);
    } else if (*p < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", *p);
      out += buffer;
    } else {
      out += static_cast<char>(*p);
    }
  }
  return out + "\"";
}

std::string describe(HWND hwnd) {
  char cls[256] = {0};
  char title[512] = {0};
  GetClassNameA(hwnd, cls, sizeof cls);
  GetWindowTextA(hwnd, title, sizeof title);
  RECT rect = {0, 0, 0, 0};
  RECT client = {0, 0, 0, 0};
  GetWindowRect(hwnd, &rect);
  GetClientRect(hwnd, &client);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  HWND parent = GetAncestor(hwnd, GA_PARENT);
  if (parent == GetDesktopWindow()) parent = nullptr;
  char buffer[1024];
  std::snprintf(buffer, sizeof buffer,
                "{\"hwnd\": %lld, \"cls\": %s, \"title\": %s, \"style\": %lu, \"exstyle\": %lu, "
                "\"visible\": %s, \"iconic\": %s, \"rect\": [%ld, %ld, %ld, %ld], "
                "\"client\": [%ld, %ld], \"parent\": %lld, \"owner\": %lld, \"pid\": %lu}",
                handleValue(hwnd), jsonString(cls).c_str(), jsonString(title).c_str(),
                static_cast<unsigned long>(GetWindowLongA(hwnd, GWL_STYLE)),
                static_cast<unsigned long>(GetWindowLongA(hwnd, GWL_EXSTYLE)),
                IsWindowVisible(hwnd) ? "true" : "false", IsIconic(hwnd) ? "true" : "false",
                rect.left, rect.top, rect.right, rect.bottom, client.right - client.left,
                client.bottom - client.top, handleValue(parent),
                handleValue(GetWindow(hwnd, GW_OWNER)), static_cast<unsigned long>(pid));
  return buffer;
}

BOOL CALLBACK collectChild(HWND hwnd, LPARAM data) {
  auto* out = reinterpret_cast<std::string*>(data);
  if (out->size() > 1) *out += ", ";
  *out += describe(hwnd);
  return TRUE;
}

std::string describeChildren(HWND parent) {
  std::string out = "[";
  EnumChildWindows(parent, collectChild, reinterpret_cast<LPARAM>(&out));
  return out + "]";
}

struct ProcessWindows {
  DWORD pid;
  std::string json;
};

BOOL CALLBACK collectOfProcess(HWND hwnd, LPARAM data) {
  auto* out = reinterpret_cast<ProcessWindows*>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != out->pid) return TRUE;
  if (out->json.size() > 1) out->json += ", ";
  out->json += describe(hwnd);
  return TRUE;
}

BOOL CALLBACK collectManifest(HMODULE module, LPCSTR, LPSTR name, LPARAM data) {
  auto* out = reinterpret_cast<std::string*>(data);
  HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(24));  // RT_MANIFEST
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (!bytes) return TRUE;
  if (out->size() > 1) *out += ", ";
  *out += jsonString(std::string(bytes, SizeofResource(module, found)).c_str());
  return TRUE;
}

BOOL CALLBACK collectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  auto* out = reinterpret_cast<std::string*>(data);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  const RECT& r = info.rcMonitor;
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "{\"rect\": [%ld, %ld, %ld, %ld], \"primary\": %s}", r.left, r.top,
                r.right, r.bottom, (info.dwFlags & MONITORINFOF_PRIMARY) ? "true" : "false");
  if (out->size() > 1) *out += ", ";
  *out += buffer;
  return TRUE;
}

bool waitFor(const char* title, int millis, bool present) {
  const DWORD start = GetTickCount();
  for (;;) {
    if ((FindWindowA(nullptr, title) != nullptr) == present) return true;
    if (static_cast<int>(GetTickCount() - start) >= millis) return false;
    Sleep(50);
  }
}

// The pane runs a message loop on the main thread while a second thread reads commands
// from stdin, so a reparented child's messages keep flowing during the test.
HWND paneWindow;
DWORD paneThread;
constexpr UINT PaneCommand = WM_APP + 1;

DWORD WINAPI readCommands(void*) {
  char line[256];
  while (std::fgets(line, sizeof line, stdin)) {
    line[std::strcspn(line, "\r\n")] = '\0';
    if (std::strcmp(line, "children") == 0) {
      SendMessageA(paneWindow, PaneCommand, 1, 0);
    } else if (std::strcmp(line, "destroy") == 0) {
      SendMessageA(paneWindow, PaneCommand, 2, 0);
    } else if (std::strcmp(line, "quit") == 0) {
      break;
    }
  }
  // To the thread, not the window: after "destroy" there is no window to receive it.
  PostThreadMessageA(paneThread, WM_QUIT, 0, 0);
  return 0;
}

LRESULT CALLBACK paneProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == PaneCommand) {
    if (wParam == 1) {
      std::printf("%s\n", describeChildren(hwnd).c_str());
      std::fflush(stdout);
    } else if (wParam == 2) {
      DestroyWindow(hwnd);
      std::printf("destroyed\n");
      std::fflush(stdout);
    }
    return 0;
  }
  if (msg == WM_DESTROY) return 0;  // the loop keeps running until "quit" or end of input
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

int runPane(int width, int height) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = paneProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = "PomarelTestPane";
  RegisterClassA(&wc);
  RECT rect = {0, 0, width, height};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
  AdjustWindowRect(&rect, style, FALSE);
  paneWindow = CreateWindowA("PomarelTestPane", "Pomarel test pane", style, 100, 100,
                             rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                             wc.hInstance, nullptr);
  if (!paneWindow) return 1;
  ShowWindow(paneWindow, SW_SHOWNOACTIVATE);
  std::printf("%lld\n", handleValue(paneWindow));
  std::fflush(stdout);
  paneThread = GetCurrentThreadId();
  HANDLE reader = CreateThread(nullptr, 0, readCommands, nullptr, 0, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (reader) CloseHandle(reader);
  return 0;
}

// The open-file chooser a window owns: its file name set as wide text, then Open. Keyboard
// input of letters outside the keyboard's layout (xdotool type) is unreliable under load, and
// the tests need names no code page holds.
struct ChooserSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK findChooser(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<ChooserSearch*>(lParam);
  char cls[16] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (std::strcmp(cls, "#32770") == 0 && GetWindow(hwnd, GW_OWNER) == search->owner && IsWindowVisible(hwnd)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

int choose(HWND owner, const wchar_t* path) {
  ChooserSearch search = {owner, nullptr};
  EnumWindows(findChooser, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return 1;
  // The file name box: a combo box (cmb13) in the Explorer-style chooser, an edit (edt1) in
  // the old one.
  HWND name = GetDlgItem(search.found, 0x47c);
  if (!name) name = GetDlgItem(search.found, 0x480);
  if (!name || !SetWindowTextW(name, path)) return 1;
  return PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0) ? 0 : 1;
}

int usage() {
  std::fprintf(stderr,
               "usage: pomarel_probe find TITLE | wait TITLE MS | gone TITLE MS | info TARGET |\n"
               "       children TARGET | post TARGET MSG WPARAM LPARAM | send TARGET MSG WPARAM LPARAM |\n"
               "       mode | monitors | top PID | manifests FILE | pane W H | choose TARGET PATH |\n"
               "       focus TARGET | settext TARGET TEXT\n"
               "       (TARGET: a title or #hwnd)\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string command = argv[1];
  if (command == "find" && argc == 3) {
    std::printf("%lld\n", handleValue(FindWindowA(nullptr, argv[2])));
    return 0;
  }
  if ((command == "wait" || command == "gone") && argc == 4) {
    const bool ok = waitFor(argv[2], static_cast<int>(parseNumber(argv[3])), command == "wait");
    std::printf("%lld\n", handleValue(FindWindowA(nullptr, argv[2])));
    return ok ? 0 : 1;
  }
  if ((command == "info" || command == "children") && argc == 3) {
    HWND hwnd = resolve(argv[2]);
    if (!hwnd || !IsWindow(hwnd)) return 1;
    std::printf("%s\n", command == "info" ? describe(hwnd).c_str() : describeChildren(hwnd).c_str());
    return 0;
  }
  if ((command == "post" || command == "send") && argc == 6) {
    HWND hwnd = resolve(argv[2]);
    if (!hwnd) return 1;
    const UINT msg = static_cast<UINT>(parseNumber(argv[3]));
    const WPARAM wParam = static_cast<WPARAM>(parseNumber(argv[4]));
    const LPARAM lParam = static_cast<LPARAM>(parseNumber(argv[5]));
    if (command == "post") return PostMessageA(hwnd, msg, wParam, lParam) ? 0 : 1;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(hwnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result)) return 1;
    std::printf("%lld\n", static_cast<long long>(result));
    return 0;
  }
  // Where Wine has the pointer and when Wine last took input from the X server as a hardware
  // message: a click has reached Wine once the time has moved on and the pointer moved after it.
  if (command == "input" && argc == 2) {
    POINT at = {0, 0};
    LASTINPUTINFO last = {sizeof last, 0};
    if (!GetCursorPos(&at) || !GetLastInputInfo(&last)) return 1;
    std::printf("%ld %ld %lu\n", at.x, at.y, static_cast<unsigned long>(last.dwTime));
    return 0;
  }
  if (command == "mode" && argc == 2) {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 1;
    std::printf("%lu %lu %lu\n", static_cast<unsigned long>(mode.dmPelsWidth),
                static_cast<unsigned long>(mode.dmPelsHeight), static_cast<unsigned long>(mode.dmBitsPerPel));
    return 0;
  }
  if (command == "monitors" && argc == 2) {  // what EnumDisplayMonitors reports
    std::string out = "[";
    EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&out));
    std::printf("%s]\n", out.c_str());
    return 0;
  }
  if (command == "top" && argc == 3) {  // every top-level window of process PID
    ProcessWindows found{static_cast<DWORD>(parseNumber(argv[2])), "["};
    EnumWindows(collectOfProcess, reinterpret_cast<LPARAM>(&found));
    std::printf("%s]\n", found.json.c_str());
    return 0;
  }
  if (command == "manifests" && argc == 3) {  // the file's RT_MANIFEST resources, read as data
    HMODULE file = LoadLibraryExA(argv[2], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!file) return 1;
    std::string out = "[";
    EnumResourceNamesA(file, MAKEINTRESOURCEA(24), collectManifest, reinterpret_cast<LPARAM>(&out));
    FreeLibrary(file);
    std::printf("%s]\n", out.c_str());
    return 0;
  }
  if (command == "choose" && argc == 4) {  // PATH as wide text, whatever the code page holds
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    const HWND owner = resolve(argv[2]);
    return wide && count == 4 && owner ? choose(owner, wide[3]) : 1;
  }
  if (command == "pane" && argc == 4) {
    return runPane(static_cast<int>(parseNumber(argv[2])), static_cast<int>(parseNumber(argv[3])));
  }
  if (command == "focus" && argc == 3) {  // the window with the keyboard focus in TARGET's thread
    HWND hwnd = resolve(argv[2]);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!hwnd || !GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info) || !info.hwndFocus) return 1;
    std::printf("%s\n", describe(info.hwndFocus).c_str());
    return 0;
  }
  if (command == "settext" && argc == 4) {  // TEXT as wide text into a control of another program
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    const HWND control = resolve(argv[2]);
    return wide && count == 4 && control && SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide[3])) ? 0 : 1;
  }
  return usage();
}
