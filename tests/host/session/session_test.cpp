// The session for real under Wine: started by the start routine with a settings file seen
// through the profile seam and the music through its port, ended by its renderer watch; the
// thread's cursor display counter read back through ShowCursor's own result.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "common/scoped_seam.h"
#include "host/music/music_rules.h"
#include "host/session/session.h"
#include "host/settings/settings.h"
#include "host/start/start.h"
#include "host/ui/text.h"

#include "tests/host/support/support.h"

namespace {

// The music module with a stand-in for winmm: records the PlaySound calls.
class RecordingSound : public BgmSystem {
 public:
  std::vector<std::string> calls;
  uint32_t sendString(const std::wstring& command, std::wstring* reply, uint32_t) override {
    calls.push_back("mci " + ui::toAnsi(command));
    if (reply) reply->clear();
    return 0;
  }
  bool errorString(uint32_t, std::wstring& text, uint32_t) override {
    text.clear();
    return false;
  }
  int32_t playSound(const std::wstring* name, uint32_t flags) override {
    calls.push_back(name ? "play " + ui::toAnsi(*name) + " " + std::to_string(flags) : "stop");
    return 1;
  }
  int32_t waveOutDevices() override { return 1; }
};

// A settings file seen through the profile seam: kind 2 with a WAV file that exists.
std::wstring settingsFile;
uint32_t fakeProfile(const char*, const char* key, const char*, char* buffer, uint32_t size, const char*) {
  std::string value;
  if (key == ui::toCodePage(KeyKind, SettingsKeyCodePage)) value = " 2";
  if (key == ui::toCodePage(KeyFile, SettingsKeyCodePage)) value = ui::toAnsi(settingsFile);
  std::snprintf(buffer, size, "%s", value.c_str());
  return static_cast<uint32_t>(value.size());
}

std::wstring sessionArguments;
std::wstring givenArguments() { return sessionArguments; }

class SessionRun : public ::testing::Test {
 protected:
  void SetUp() override {
    settingsFile = support::tempFolder() + L"pomarel test tone.wav";
    std::ofstream(ui::toAnsi(settingsFile), std::ios::binary) << "RIFF";
    saved_ = SettingsCalls();
    SettingsCalls().getProfileString = fakeProfile;
    startModule().Swirlbloom_S->readArguments = givenArguments;
  }
  void TearDown() override {
    SettingsCalls() = saved_;
    DeleteFileW(settingsFile.c_str());
  }

  // Runs the start routine for `arguments` with a renderer window up, closes the renderer
  // after a few watch ticks and lets the program's own loop run to its end.
  void runSession(const std::wstring& arguments) {
    sessionArguments = arguments;
    renderer_ = support::makeWindow("Swirlbloom_VC", WS_OVERLAPPEDWINDOW, 200, 100);
    ASSERT_NE(renderer_, nullptr);
    before = support::cursorCount();
    ASSERT_EQ(startProgram(arguments), host::AfterStart::RunSession);
    during = support::cursorCount();
    const HWND main = FindWindowA(nullptr, "Swirlbloom_Main");
    ASSERT_NE(main, nullptr);
    sessionVisible = IsWindowVisible(main) != FALSE;
    support::pumpUntil([] { return false; }, 1.2);  // two watch ticks with the renderer up
    soundDuring = sound_.calls;
    SessionWindow& session = *startModule().Swirlbloom_S;
    EXPECT_TRUE(session.loaded());
    EXPECT_EQ(session.RendererPath().substr(session.RendererPath().size() - 12), L"\\Pomarel.dll");
    DestroyWindow(renderer_);
    EXPECT_EQ(runMessageLoop(), 0);  // the watch ends the session and the loop with it
    EXPECT_FALSE(session.loaded());
    EXPECT_EQ(FindWindowA(nullptr, "Swirlbloom_Main"), nullptr);
    after = support::cursorCount();
  }

  RecordingSound sound_;
  ScopedSeam<BgmSystem*> port_{BGM_Port(), &sound_};
  int before = 0, during = 0, after = 0;
  bool sessionVisible = true;
  std::vector<std::string> soundDuring;

 private:
  SettingsSystem saved_{};
  HWND renderer_ = nullptr;
};

TEST_F(SessionRun, SaverHidesTheCursorOnceAndShowsItAtTheEnd) {
  runSession(L"/s");
  EXPECT_FALSE(sessionVisible);
  EXPECT_EQ(during, before - 1);
  EXPECT_EQ(after, before);
  const std::string play = "play " + ui::toAnsi(settingsFile) + " 11";  // async, no default sound, looped
  EXPECT_EQ(soundDuring, (std::vector<std::string>{play}));
  EXPECT_EQ(sound_.calls, (std::vector<std::string>{play, "stop"}));
}

TEST_F(SessionRun, WithoutSwitchTheCursorIsNeverTouched) {
  runSession(L"");
  EXPECT_EQ(during, before);
  EXPECT_EQ(after, before);
  EXPECT_EQ(sound_.calls.back(), "stop");
}

}  // namespace
