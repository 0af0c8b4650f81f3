// Swirlbloom_BGM against the simulated drive: the command strings and their order, reply
// capacities, LastApiResult, the CD check's decisions and BGM_CDAlive, the MP3 replay check
// and the WAV calls. Needs the music module (music_rules natively, with winmm under Wine).
#include "common/last_api_result.h"
#include "host/music/music_rules.h"
#include "host/settings/settings_rules.h"
#include "tests/host/music/sim_system.h"

#include <gtest/gtest.h>

#include <vector>

namespace music {

namespace {

using Commands = std::vector<std::wstring>;

const std::wstring CurrentTrack = L"status cdaudio current track";
const std::wstring NumberOfTracks = L"status cdaudio number of tracks";
const std::wstring Mode = L"status cdaudio mode";
const std::wstring PositionOf5 = L"status cdaudio position track 5";
const std::wstring PlayFrom5 = L"play cdaudio from 05:00:00:00";
constexpr int32_t Untouched = 0x5A5A;

class Bgm : public testing::Test {
 protected:
  SimSystem sim;
  MusicPlayer music{sim};

  void SetUp() override {
    settings::BGMRepeatTrack = 0;
    settings::BGMFile.clear();
    music.BGM_CDAlive = false;
    LastApiResult = Untouched;
  }

  // Opens the drive and forgets what that sent, as the session does before its first check.
  void openDrive() {
    music.BGM_CDOpen();
    sim.sent.clear();
  }
  Commands checkOnce() {
    sim.sent.clear();
    music.BGM_CDCheck();
    return sim.commands();
  }
};

enum class Event { None, TrackEnds, DiscEnds };

struct CdStep {
  Event before;
  Commands sent;
  int trackAfter;
  bool playingAfter;
};

struct CdScenario {
  const char* name;
  int tracks;
  int16_t repeat;
  std::vector<CdStep> steps;
};

TEST_F(Bgm, CdCheckKeepsTheDiscOrTheChosenTrackPlaying) {
  const Commands idle{CurrentTrack, NumberOfTracks, Mode};
  const Commands jumpTo5{CurrentTrack, NumberOfTracks, Mode, PositionOf5, PlayFrom5};
  const Commands playOn{CurrentTrack, NumberOfTracks, Mode, L"play cdaudio"};
  const Commands outOfRange{CurrentTrack, NumberOfTracks, Mode, L"status cdaudio position track 12",
                            L"play cdaudio from Error:282"};
  const CdScenario scenarios[] = {
      {"no repeat: starts the disc, then plays on whenever it has stopped",
       10,
       0,
       {{Event::None, playOn, 1, true},
        {Event::None, idle, 1, true},
        {Event::TrackEnds, idle, 2, true},
        {Event::DiscEnds, playOn, 10, true}}},
      {"repeat 5 of 10: starts at 5 and jumps back when 6 begins",
       10,
       5,
       {{Event::None, jumpTo5, 5, true},
        {Event::None, idle, 5, true},
        {Event::TrackEnds, jumpTo5, 5, true},
        {Event::None, idle, 5, true},
        {Event::TrackEnds, jumpTo5, 5, true}}},
      {"repeat 5 of 5: restarts 5 when the disc stops after it",
       5,
       5,
       {{Event::None, jumpTo5, 5, true}, {Event::TrackEnds, jumpTo5, 5, true}, {Event::None, idle, 5, true}}},
      {"repeat 12 of 10: the play from an error marker fails every time",
       10,
       12,
       {{Event::None, outOfRange, 1, false}, {Event::None, outOfRange, 1, false}}},
  };
  for (const auto& scenario : scenarios) {
    SCOPED_TRACE(scenario.name);
    sim = SimSystem();
    sim.tracks = scenario.tracks;
    settings::BGMRepeatTrack = scenario.repeat;
    openDrive();
    int stepNumber = 0;
    for (const auto& step : scenario.steps) {
      SCOPED_TRACE("check " + std::to_string(++stepNumber));
      if (step.before == Event::TrackEnds) sim.trackEnds();
      if (step.before == Event::DiscEnds) {
        sim.track = sim.tracks;
        sim.trackEnds();
      }
      EXPECT_EQ(checkOnce(), step.sent);
      EXPECT_TRUE(music.BGM_CDAlive);
      EXPECT_EQ(sim.track, step.trackAfter);
      EXPECT_EQ(sim.playing, step.playingAfter);
    }
  }
}

struct FailureCase {
  const char* name;
  int16_t repeat;
  bool disc;
  std::optional<std::wstring> trackReply;
  std::map<std::wstring, uint32_t> failing;
  Commands sent;
  bool alive;
};

TEST_F(Bgm, CdCheckReportsAFailedQueryThroughCdAlive) {
  const FailureCase cases[] = {
      {"no disc: the current-track query fails", 0, false, {}, {}, {CurrentTrack}, false},
      {"the track count fails", 0, true, {}, {{NumberOfTracks, 262}}, {CurrentTrack, NumberOfTracks}, false},
      {"unreadable track number with a chosen track", 5, true, L"abc", {}, {CurrentTrack, NumberOfTracks, Mode},
       false},
      {"unreadable track number is not read without one", 0, true, L"abc", {},
       {CurrentTrack, NumberOfTracks, Mode, L"play cdaudio"}, true},
      {"a reply holding err in any case counts as failed", 0, true, L"interrupted", {}, {CurrentTrack}, false},
      {"track as a decimal number is read as one", 5, true, L" 5.0 ", {}, {CurrentTrack, NumberOfTracks, Mode,
       PositionOf5, PlayFrom5}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sim = SimSystem();
    sim.discPresent = c.disc;
    sim.currentTrackReply = c.trackReply;
    sim.failing = c.failing;
    settings::BGMRepeatTrack = c.repeat;
    openDrive();
    music.BGM_CDAlive = !c.alive;
    EXPECT_EQ(checkOnce(), c.sent);
    EXPECT_EQ(music.BGM_CDAlive, c.alive);
  }
}

TEST_F(Bgm, CdCheckSetsCdAliveAgainOnEveryCheck) {
  openDrive();
  sim.failing = {{NumberOfTracks, 262}};
  music.BGM_CDCheck();
  EXPECT_FALSE(music.BGM_CDAlive);
  sim.failing.clear();
  music.BGM_CDCheck();
  EXPECT_TRUE(music.BGM_CDAlive);
}

TEST_F(Bgm, CdCheckSeesThePreviousModeWhenTheModeQueryFails) {
  openDrive();
  music.BGM_CDCheck();  // stopped: starts the disc
  music.BGM_CDCheck();  // the area now holds "playing"
  sim.playing = false;
  sim.failing = {{Mode, 290}};
  EXPECT_EQ(checkOnce(), (Commands{CurrentTrack, NumberOfTracks, Mode}));
  sim.failing.clear();
  EXPECT_EQ(checkOnce(), (Commands{CurrentTrack, NumberOfTracks, Mode, L"play cdaudio"}));
}

TEST_F(Bgm, CdOpenAndCloseSendTheirCommandsWithoutReplyAreas) {
  const std::pair<bool, int32_t> cases[] = {{true, 0}, {false, static_cast<int32_t>(SimSystem::InvalidDeviceName)}};
  for (const auto& [disc, lastResult] : cases) {
    sim = SimSystem();
    sim.discPresent = disc;
    music.BGM_CDOpen();
    EXPECT_EQ(LastApiResult, lastResult) << "open records the set command last";
    music.BGM_CDClose();
    EXPECT_EQ(sim.commands(),
              (Commands{L"open cdaudio", L"set cdaudio time format tmsf", L"stop cdaudio", L"close cdaudio"}));
    for (const auto& c : sim.sent) EXPECT_EQ(c.capacity, 0u) << testing::PrintToString(c.text);
    EXPECT_EQ(LastApiResult, lastResult);
  }
}

struct CommandCase {
  const char* name;
  std::wstring command;
  bool errorTexts;
  int32_t code;
  std::wstring reply;
  size_t sent;
};

TEST_F(Bgm, MciCommandAnswersWithTheReplyOrTheErrorText) {
  const CommandCase cases[] = {
      {"empty", L"", true, -1, L"コマンド文字列が指定されていません", 0},
      {"answered", NumberOfTracks, true, 0, L"10", 1},
      {"failing", L"bogus", true, 263, L"error text 263", 1},
      {"failing without a text", L"bogus", false, 263, L"Error (文字列が取れません)", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sim = SimSystem();
    sim.opened = true;
    sim.errorTexts = c.errorTexts;
    LastApiResult = Untouched;
    std::wstring reply = L"before";
    EXPECT_EQ(music.BGM_MciCommand(c.command, reply), c.code);
    EXPECT_EQ(reply, c.reply);
    ASSERT_EQ(sim.sent.size(), c.sent);
    EXPECT_EQ(LastApiResult, c.sent ? c.code : Untouched);
    if (c.sent) {
      EXPECT_EQ(sim.sent[0].capacity, 512u);
    }
    if (c.code > 0) {
      EXPECT_EQ(sim.errorCapacities, std::vector<uint32_t>{256});
    }
  }
}

TEST_F(Bgm, MciQueryGivesTheReplyOrAnErrorMarker) {
  const std::tuple<std::wstring, std::wstring, int32_t> cases[] = {
      {NumberOfTracks, L"10", 0},
      {L"bogus", L"Error:263", 263},
      {L"", L"Error:-1", -1},
      {L"status cdaudio position track 40", L"Error:282", 282},
  };
  sim.opened = true;
  for (const auto& [command, result, code] : cases) {
    EXPECT_EQ(music.BGM_MciQuery(command), result) << testing::PrintToString(command);
    EXPECT_EQ(LastApiResult, code);
  }
}

TEST_F(Bgm, MciPlayBuildsItsFourForms) {
  const std::tuple<const wchar_t*, const wchar_t*, std::wstring> cases[] = {
      {L"", L"", L"play cdaudio"},
      {L"03:00:00:00", L"", L"play cdaudio from 03:00:00:00"},
      {L"", L"04:00:00:00", L"play cdaudio to 04:00:00:00"},
      {L"03:00:00:00", L"04:00:00:00", L"play cdaudio from 03:00:00:00 to 04:00:00:00"},
  };
  sim.opened = true;
  for (const auto& [from, to, command] : cases) {
    sim.sent.clear();
    EXPECT_EQ(music.BGM_MciPlay(L"cdaudio", from, to), 0);
    EXPECT_EQ(sim.commands(), Commands{command});
  }
  sim.sent.clear();
  EXPECT_EQ(music.BGM_MciPlay(L"cdaudio", L"Error:282", L""), static_cast<int32_t>(SimSystem::BadTimeFormat));
}

TEST_F(Bgm, Mp3OpenQuotesThePathAndPlaysOnlyWhenOpened) {
  settings::BGMFile = L"C:\\My Music\\a b.mp3";
  const std::wstring open = L"open \"C:\\My Music\\a b.mp3\" type MPEGVideo Alias MP3Play";
  music.BGM_MP3Open();
  EXPECT_EQ(sim.commands(), (Commands{open, L"play MP3Play"}));
  for (const auto& c : sim.sent) EXPECT_EQ(c.capacity, 0u);
  EXPECT_EQ(LastApiResult, Untouched);

  sim = SimSystem();
  sim.mp3OpenFails = true;
  music.BGM_MP3Open();
  EXPECT_EQ(sim.commands(), Commands{open});
}

TEST_F(Bgm, Mp3CheckRestartsWheneverTheFileIsNotPlaying) {
  const Commands idle{L"status MP3Play mode"};
  const Commands restart{L"status MP3Play mode", L"stop MP3Play", L"play MP3Play from 0"};
  const std::pair<const wchar_t*, Commands> cases[] = {
      {L"playing", idle}, {L"playing back", idle}, {L"stopped", restart},
      {L"paused", restart}, {L"not ready", restart}, {L"", restart}, {L"play", restart},
  };
  for (const auto& [mode, commands] : cases) {
    sim = SimSystem();
    sim.mp3Mode = mode;
    music.BGM_MP3Check();
    EXPECT_EQ(sim.commands(), commands) << testing::PrintToString(std::wstring(mode));
    EXPECT_EQ(sim.sent[0].capacity, 30u);
  }
}

TEST_F(Bgm, Mp3CheckSeesThePreviousModeWhenTheQueryFails) {
  sim.mp3Mode = L"playing";
  EXPECT_TRUE(music.BGM_MP3IsPlaying());
  sim.failing = {{L"status MP3Play mode", 263}};
  sim.mp3Mode = L"stopped";
  EXPECT_TRUE(music.BGM_MP3IsPlaying());
  sim.failing.clear();
  EXPECT_FALSE(music.BGM_MP3IsPlaying());
  sim.failing = {{L"status MP3Play mode", 263}};
  EXPECT_FALSE(music.BGM_MP3IsPlaying());
}

TEST_F(Bgm, Mp3CloseStopsAndCloses) {
  music.BGM_MP3Close();
  EXPECT_EQ(sim.commands(), (Commands{L"stop MP3Play", L"close MP3Play"}));
}

TEST_F(Bgm, WavPlaysLoopedOnlyWithAnOutputDevice) {
  settings::BGMFile = L"C:\\Sounds\\loop.wav";
  const std::pair<int32_t, size_t> cases[] = {{2, 1}, {1, 1}, {0, 0}, {-1, 0}};
  for (const auto& [devices, calls] : cases) {
    sim = SimSystem();
    sim.waveDevices = devices;
    sim.playSoundResult = 1;
    LastApiResult = Untouched;
    music.BGM_WavPlay();
    ASSERT_EQ(sim.sounds.size(), calls) << devices << " devices";
    if (calls) {
      EXPECT_EQ(sim.sounds[0].name, settings::BGMFile);
      EXPECT_EQ(sim.sounds[0].flags, 0x0Bu);  // async, no default sound, looped
      EXPECT_EQ(LastApiResult, 1);
    } else {
      EXPECT_EQ(LastApiResult, Untouched);
    }
  }
}

TEST_F(Bgm, WavStopPlaysNothingAndRecordsTheResult) {
  sim.playSoundResult = 0;
  music.BGM_WavStop();
  ASSERT_EQ(sim.sounds.size(), 1u);
  EXPECT_FALSE(sim.sounds[0].name.has_value());
  EXPECT_EQ(sim.sounds[0].flags, 0u);
  EXPECT_EQ(LastApiResult, 0);
}

}  // namespace

}  // namespace music
