// The music module on the real winmm under Wine, with every call recorded on its way through:
// MCI error paths, the missing CD drive (open cdaudio fails here), an MP3 that cannot be
// opened and a short WAV through PlaySound. Needs the music library (winmm).
#include "common/last_api_result.h"
#include "host/music/music.h"
#include "host/settings/settings.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

namespace music {

namespace fs = std::filesystem;

namespace {

class Recorder : public MusicPort {
 public:
  std::vector<std::wstring> commands;
  std::vector<uint32_t> flags;

  uint32_t sendString(const std::wstring& command, std::wstring* reply, uint32_t capacity) override {
    commands.push_back(command);
    return winmm_.sendString(command, reply, capacity);
  }
  bool errorString(uint32_t code, std::wstring& text, uint32_t capacity) override {
    return winmm_.errorString(code, text, capacity);
  }
  int32_t playSound(const std::wstring* name, uint32_t soundFlags) override {
    flags.push_back(soundFlags);
    return winmm_.playSound(name, soundFlags);
  }
  int32_t waveOutDevices() override { return winmm_.waveOutDevices(); }

 private:
  WinmmMusic winmm_;
};

class Winmm : public testing::Test {
 protected:
  Recorder recorder;
  MusicPlayer music{recorder};
  void SetUp() override { LastApiResult = 0x5A5A; }
};

TEST_F(Winmm, AnEmptyCommandIsNotSent) {
  std::wstring reply;
  EXPECT_EQ(music.BGM_MciCommand(L"", reply), -1);
  EXPECT_EQ(reply, L"コマンド文字列が指定されていません");
  EXPECT_TRUE(recorder.commands.empty());
  EXPECT_EQ(LastApiResult, 0x5A5A);
}

TEST_F(Winmm, AFailingCommandAnswersWithTheSystemsErrorText) {
  std::wstring reply;
  const int32_t code = music.BGM_MciCommand(L"open pomarel_no_such_device", reply);
  EXPECT_GT(code, 0);
  EXPECT_EQ(LastApiResult, code);
  char text[256] = {};
  ASSERT_TRUE(mciGetErrorStringA(static_cast<MCIERROR>(code), text, sizeof text));
  EXPECT_EQ(reply, std::wstring(text, text + strlen(text)));
  EXPECT_FALSE(reply.empty());
}

TEST_F(Winmm, AFailingQueryGivesTheErrorMarker) {
  const std::wstring result = music.BGM_MciQuery(L"status pomarel_not_open mode");
  EXPECT_GT(LastApiResult, 256) << "an MCI error code";
  EXPECT_EQ(result, L"Error:" + std::to_wstring(LastApiResult));
}

TEST_F(Winmm, AnAnsweredQueryGivesTheReply) {
  const std::wstring count = music.BGM_MciQuery(L"sysinfo all quantity");
  EXPECT_EQ(LastApiResult, 0);
  ASSERT_FALSE(count.empty());
  EXPECT_EQ(count.find_first_not_of(L"0123456789"), std::wstring::npos) << testing::PrintToString(count);
}

TEST_F(Winmm, WithoutACdDriveTheFirstCheckStopsTheChecks) {
  settings::BGMRepeatTrack = 0;
  music.BGM_CDAlive = true;
  music.BGM_CDOpen();
  EXPECT_NE(LastApiResult, 0) << "the time format cannot be set on a device that did not open";
  music.BGM_CDCheck();
  EXPECT_FALSE(music.BGM_CDAlive);
  EXPECT_EQ(recorder.commands, (std::vector<std::wstring>{L"open cdaudio", L"set cdaudio time format tmsf",
                                                          L"status cdaudio current track"}));
}

TEST_F(Winmm, AnMp3ThatCannotBeOpenedIsNotPlayed) {
  settings::BGMFile = (fs::temp_directory_path() / L"pomarel missing.mp3").wstring();
  music.BGM_MP3Open();
  ASSERT_EQ(recorder.commands.size(), 1u);
  EXPECT_EQ(recorder.commands[0], L"open \"" + settings::BGMFile + L"\" type MPEGVideo Alias MP3Play");
  EXPECT_FALSE(music.BGM_MP3IsPlaying());
  music.BGM_MP3Check();
  music.BGM_MP3Close();
}

// 0.2 s of a quiet 16-bit mono square wave.
void writeWav(const fs::path& path) {
  const uint32_t rate = 8000, samples = 1600, dataBytes = samples * 2;
  std::ofstream out(path, std::ios::binary);
  auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  out.write("RIFF", 4);
  u32(36 + dataBytes);
  out.write("WAVEfmt ", 8);
  u32(16);
  u16(1);
  u16(1);
  u32(rate);
  u32(rate * 2);
  u16(2);
  u16(16);
  out.write("data", 4);
  u32(dataBytes);
  for (uint32_t i = 0; i < samples; ++i) u16(static_cast<uint16_t>((i / 20) % 2 ? 2000 : -2000));
}

TEST_F(Winmm, AWavPlaysLoopedAndStops) {
  const fs::path wav = fs::temp_directory_path() / L"pomarel loop test.wav";
  writeWav(wav);
  settings::BGMFile = wav.wstring();
  const bool device = waveOutGetNumDevs() > 0;
  music.BGM_WavPlay();
  if (device) {
    EXPECT_EQ(recorder.flags, std::vector<uint32_t>{SND_ASYNC | SND_NODEFAULT | SND_LOOP});
    EXPECT_EQ(LastApiResult, 1);
  } else {
    EXPECT_TRUE(recorder.flags.empty());
    EXPECT_EQ(LastApiResult, 0x5A5A);
  }
  music.BGM_WavStop();
  EXPECT_EQ(recorder.flags.back(), 0u);
  EXPECT_EQ(LastApiResult, 1);
  std::error_code ignored;
  fs::remove(wav, ignored);
}

}  // namespace

}  // namespace music
