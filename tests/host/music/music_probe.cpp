// music_probe: a console stand-in for the screensaver session so the end-to-end tests can hear
// the music module. Loads the settings (from --folder DIR when given), starts the music by kind
// and file ending, runs the CD and MP3 checks on their intervals, and stops on "stop" (stdin).
// "replace" runs only the settings save's last file step, for tests that fill the disk first.
//   music_probe [--folder DIR] load|play
//   music_probe replace COPY PATH
#include "host/music/music.h"
#include "host/settings/settings.h"
#include "host/ui/text.h"

#include <windows.h>
#include <shellapi.h>
#include <mmsystem.h>

#include <cstdio>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace music {

namespace {

struct ProbeState {
  std::wstring folder;
  std::mutex lock;
  std::vector<std::string> lines;
  bool inputEnded = false;
  HANDLE inputReady = nullptr;
};
ProbeState probe;

std::wstring injectedFolder() { return probe.folder; }

void say(const std::wstring& text) {
  std::printf("%s\n", ui::toCodePage(text, CP_UTF8).c_str());
  std::fflush(stdout);
}

std::wstring jsonText(const std::wstring& text) {
  std::wstring out = L"\"";
  for (wchar_t c : text) {
    if (c == L'"' || c == L'\\') out += L'\\';
    out += c;
  }
  return out + L"\"";
}

std::wstring upperEnding(const std::wstring& file) {
  std::wstring end = file.size() >= 3 ? file.substr(file.size() - 3) : file;
  for (wchar_t& c : end) c = static_cast<wchar_t>(towupper(c));
  return end;
}

void readInput() {
  std::string line;
  while (std::getline(std::cin, line)) {
    std::lock_guard<std::mutex> guard(probe.lock);
    probe.lines.push_back(line);
    SetEvent(probe.inputReady);
  }
  std::lock_guard<std::mutex> guard(probe.lock);
  probe.inputEnded = true;
  SetEvent(probe.inputReady);
}

// Waits up to `ms` for a line while pumping messages (the MPEGVideo device may need them).
// Returns the line, "" on time-out, or "<eof>".
std::string waitLine(DWORD ms) {
  const ULONGLONG until = GetTickCount64() + ms;
  for (;;) {
    {
      std::lock_guard<std::mutex> guard(probe.lock);
      if (!probe.lines.empty()) {
        std::string line = probe.lines.front();
        probe.lines.erase(probe.lines.begin());
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
      }
      if (probe.inputEnded) return "<eof>";
      ResetEvent(probe.inputReady);
    }
    const ULONGLONG now = GetTickCount64();
    if (now >= until) return "";
    MsgWaitForMultipleObjects(1, &probe.inputReady, FALSE, static_cast<DWORD>(until - now), QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
}

}  // namespace

int run() {
  WinmmMusic winmm;
  MusicPlayer music(winmm);
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring mode;
  std::vector<std::wstring> operands;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--folder" && i + 1 < argc) {
      probe.folder = argv[++i];
      settings::settingsCalls().programFolder = injectedFolder;
    } else if (mode.empty()) {
      mode = arg;
    } else {
      operands.push_back(arg);
    }
  }
  if (mode == L"replace" && operands.size() == 2) {
    settings::SettingsFile file;
    const bool replaced = file.replaceWith(operands[0], operands[1]);
    say(replaced ? L"replaced" : L"refused: " + file.reason(file.lastError()));
    return replaced ? 0 : 1;
  }
  settings::LoadSettings();
  say(L"{\"kind\": " + std::to_wstring(settings::BGMKind) + L", \"repeat\": " + std::to_wstring(settings::BGMRepeatTrack) +
      L", \"file\": " + jsonText(settings::BGMFile) + L", \"folder\": " + jsonText(settings::BGMFolder) + L"}");
  if (mode != L"play") return mode == L"load" ? 0 : 2;

  probe.inputReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread(readInput).detach();

  const std::wstring ending = upperEnding(settings::BGMFile);
  const bool cd = settings::BGMKind == 1;
  const bool wav = settings::BGMKind == 2 && ending == L"WAV";
  const bool mp3 = settings::BGMKind == 2 && ending == L"MP3";
  bool cdTimer = cd;
  if (cd) music.BGM_CDOpen();
  if (wav) music.BGM_WavPlay();
  if (mp3) music.BGM_MP3Open();
  say(std::wstring(L"started ") + (cd ? L"cd" : wav ? L"wav" : mp3 ? L"mp3" : L"none") + L" wave-out devices " +
      std::to_wstring(waveOutGetNumDevs()));

  // The session's two music timers, one 200 ms tick as the common base.
  int ticks = 0;
  for (;;) {
    const std::string line = waitLine(200);
    if (line == "stop" || line == "<eof>") break;
    if (!line.empty()) continue;
    ++ticks;
    if (cdTimer) {
      music.BGM_CDCheck();
      cdTimer = music.BGM_CDAlive;
      if (!cdTimer) say(L"cd checks off");
    }
    if (mp3 && ticks % 5 == 0) music.BGM_MP3Check();
  }

  if (cdTimer) music.BGM_CDClose();
  if (wav) music.BGM_WavStop();
  if (mp3) music.BGM_MP3Close();
  say(L"stopped");
  // Stays until told, so that a test hears the silence after the stop, not after an exit.
  for (;;) {
    const std::string line = waitLine(INFINITE);
    if (line == "quit" || line == "<eof>") break;
  }
  return 0;
}

}  // namespace music

int main() { return music::run(); }
