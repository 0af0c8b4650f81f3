// The session's handlers against a recording port: what the load starts for each kind of
// music, the timer ticks, when the renderer watch lets the session end, and the unload.
#include "host/session/session_rules.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace session {

namespace {


const char* name(MusicCall call) {
  switch (call) {
    case MusicCall::CDOpen: return "CDOpen";
    case MusicCall::CDCheck: return "CDCheck";
    case MusicCall::CDClose: return "CDClose";
    case MusicCall::MP3Open: return "MP3Open";
    case MusicCall::MP3Check: return "MP3Check";
    case MusicCall::MP3Close: return "MP3Close";
    case MusicCall::WavPlay: return "WavPlay";
    case MusicCall::WavStop: return "WavStop";
  }
  return "?";
}

const char* name(SessionTimer timer) {
  return timer == SessionTimer::Timer1 ? "Timer1" : timer == SessionTimer::Timer2 ? "Timer2" : "Timer3";
}

class RecordingSession : public SessionPort {
 public:
  explicit RecordingSession(int16_t kind = 0, std::wstring file = L"") : kind(kind), file(std::move(file)) {
    timers[SessionTimer::Timer3] = true;  // on from the window's creation
  }

  int16_t kind;
  std::wstring file;
  std::wstring arguments = L"/s";
  std::wstring folder = L"C:\\Saver";
  RendererStart start = RendererStart::Started;
  std::wstring message;
  bool window = false;
  bool running = false;
  bool alive = true;
  std::map<SessionTimer, bool> timers;
  std::vector<std::string> log;
  std::wstring startedPath;
  Session* session = nullptr;

  std::wstring programFolder() override { return folder; }
  RendererStart startRenderer(const std::wstring& path, std::wstring& reason) override {
    startedPath = path;
    log.push_back("start renderer");
    running = start == RendererStart::Started;
    if (!running) reason = L"The filename or extension is too long.";
    return start;
  }
  bool rendererWindowExists() override { return window; }
  bool rendererRunning() override { return running; }
  void setTimer(SessionTimer timer, bool on) override {
    timers[timer] = on;
    log.push_back(std::string(name(timer)) + (on ? " on" : " off"));
  }
  bool timerOn(SessionTimer timer) override { return timers[timer]; }
  void music(MusicCall call) override { log.push_back(name(call)); }
  bool cdAlive() override { return alive; }
  int16_t musicKind() override { return kind; }
  std::wstring musicFile() override { return file; }
  std::wstring commandArguments() override { return arguments; }
  void showCursor() override { log.push_back("show cursor"); }
  void unloadWindow() override {
    log.push_back("unload window");
    if (session) session->unload();  // as the window's destruction does
  }
  void endProgram(int exitCode) override { log.push_back(exitCode ? "end with " + std::to_string(exitCode) : "end"); }
  void showMessage(const std::wstring& text) override {
    log.push_back("message");
    message = text;
  }

  // Kept apart from `log`: the covers come and go around the steps listed there.
  std::vector<Monitor> layout;
  std::vector<std::vector<ScreenRect>> placed;  // every placeCovers, in order
  std::vector<Monitor> monitors() override { return layout; }
  void placeCovers(const std::vector<ScreenRect>& covers) override { placed.push_back(covers); }
};

using Log = std::vector<std::string>;

TEST(MusicFileEnding, LastThreeCharactersInAnyCase) {
  const struct {
    const wchar_t* file;
    bool wav, mp3;
  } cases[] = {
      {L"C:\\m\\song.wav", true, false}, {L"C:\\m\\song.WAV", true, false}, {L"song.wAv", true, false},
      {L"C:\\m\\song.Mp3", false, true}, {L"songMP3", false, true},         {L"mp3", false, true},
      {L"song.mp4", false, false},       {L"song.wave", false, false},      {L"p3", false, false},
      {L"", false, false},               {L"song.ｗａｖ", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(musicFileEndsWith(c.file, L"WAV"), c.wav) << c.file;
    EXPECT_EQ(musicFileEndsWith(c.file, L"MP3"), c.mp3) << c.file;
  }
}

TEST(SessionLoad, StartsTheRendererThenTheMusicOfTheKind) {
  const struct {
    int16_t kind;
    const wchar_t* file;
    Log steps;
  } cases[] = {
      {0, L"", {"start renderer"}},
      {0, L"C:\\a.wav", {"start renderer"}},
      {1, L"", {"start renderer", "CDOpen", "Timer2 on"}},
      {2, L"C:\\My Music\\a.wav", {"start renderer", "WavPlay"}},
      {2, L"C:\\a.Mp3", {"start renderer", "MP3Open", "Timer1 on"}},
      {2, L"C:\\a.ogg", {"start renderer"}},
      {2, L"", {"start renderer"}},
      {3, L"C:\\a.mp3", {"start renderer"}},
      {-1, L"C:\\a.wav", {"start renderer"}},
  };
  for (const auto& c : cases) {
    RecordingSession port(c.kind, c.file);
    Session session(port);
    session.load();
    EXPECT_EQ(port.log, c.steps) << c.kind << " " << c.file;
    EXPECT_EQ(session.rendererPath(), L"C:\\Saver\\Pomarel.dll");
    EXPECT_EQ(port.startedPath, L"C:\\Saver\\Pomarel.dll");
  }
}

TEST(SessionLoad, RendererPathUsesTheFolderAsReported) {
  RecordingSession port;
  port.folder = L"C:\\";  // a drive root keeps its backslash
  Session session(port);
  session.load();
  EXPECT_EQ(session.rendererPath(), L"C:\\\\Pomarel.dll");
}

// A renderer that no form of its path lets the system start (a folder too long, or named in
// characters the code page lacks, without 8.3 names) ends the session at once, without music,
// and says so once the screen is the user's again; the program ends with 1. A renderer that is
// merely missing stays the quiet end the watch brings.
TEST(SessionLoad, AnUnreachableRendererEndsAtOnceAndSaysWhy) {
  for (const wchar_t* arguments : {L"/s", L""}) {
    RecordingSession port(2, L"C:\\a.wav");
    port.arguments = arguments;
    port.layout = {{{0, 0, 1024, 768}, true}, {{1024, 0, 1824, 600}, false}};
    port.start = RendererStart::Unreachable;
    Session session(port);
    port.session = &session;
    session.load();
    Log want = {"start renderer", "Timer3 off", "WavStop"};
    if (*arguments) want.push_back("show cursor");
    want.insert(want.end(), {"message", "end with 1", "unload window"});
    EXPECT_EQ(port.log, want) << arguments;
    EXPECT_TRUE(port.placed.empty() || port.placed.back().empty()) << "no cover stays";
    EXPECT_NE(port.message.find(L"C:\\Saver\\Pomarel.dll\n\nThe filename or extension is too long."), std::wstring::npos);
  }
}

TEST(SessionTimers, CdCheckFollowsAliveAndMp3CheckRuns) {
  RecordingSession port(1);
  Session session(port);
  port.window = true;
  session.load();
  port.log.clear();
  session.tick(SessionTimer::Timer2);
  port.alive = false;
  session.tick(SessionTimer::Timer2);
  session.tick(SessionTimer::Timer1);
  EXPECT_EQ(port.log, (Log{"CDCheck", "Timer2 on", "CDCheck", "Timer2 off", "MP3Check"}));
}

// Each scenario: what the watch sees at each tick (window present, process running), and
// the tick at which the session must end (-1: never within the scenario).
TEST(RendererWatch, EndsOnlyWhenTheRendererHasGone) {
  constexpr RendererStart Started = RendererStart::Started, Failed = RendererStart::Failed;
  struct Tick {
    bool window, running;
  };
  const struct {
    const char* what;
    RendererStart start;
    std::vector<Tick> ticks;
    int endsAt;
  } cases[] = {
      {"window up at once, then closed", Started, {{true, true}, {true, true}, {false, false}}, 2},
      {"slow to open its window", Started, {{false, true}, {false, true}, {false, true}, {true, true}, {false, true}}, 4},
      {"window gone while the process still tidies up", Started, {{true, true}, {false, true}}, 1},
      {"ended without ever showing a window", Started, {{false, true}, {false, false}}, 1},
      {"could not be started", Failed, {{false, false}}, 0},
      {"running with its window", Started, {{true, true}, {true, true}, {true, true}}, -1},
  };
  for (const auto& c : cases) {
    RecordingSession port;
    port.start = c.start;
    Session session(port);
    port.session = &session;
    session.load();
    int ended = -1;
    for (size_t i = 0; i < c.ticks.size() && ended < 0; ++i) {
      port.window = c.ticks[i].window;
      port.running = c.ticks[i].running;
      session.tick(SessionTimer::Timer3);
      if (!port.log.empty() && port.log.back() == "end") ended = static_cast<int>(i);
    }
    EXPECT_EQ(ended, c.endsAt) << c.what;
    if (ended >= 0) {
      EXPECT_FALSE(port.timers[SessionTimer::Timer3]) << c.what;
    }
  }
}

TEST(SessionUnload, StopsWhatWasStartedAndShowsTheCursorForS) {
  const struct {
    int16_t kind;
    const wchar_t* file;
    const wchar_t* arguments;
    bool cdAliveAtFirstCheck;
    Log steps;
  } cases[] = {
      {0, L"", L"/s", true, {"show cursor", "end"}},
      {0, L"", L"-S", true, {"show cursor", "end"}},
      {0, L"", L"", true, {"end"}},
      {0, L"", L"/S:123", true, {"show cursor", "end"}},
      {1, L"", L"/s", true, {"Timer2 off", "CDClose", "show cursor", "end"}},
      // The CD check stopped itself: the device is left alone.
      {1, L"", L"/s", false, {"show cursor", "end"}},
      {2, L"C:\\a.WAV", L"/s", true, {"WavStop", "show cursor", "end"}},
      {2, L"C:\\a.mp3", L"", true, {"Timer1 off", "MP3Close", "end"}},
      {2, L"C:\\a.txt", L"/s", true, {"show cursor", "end"}},
  };
  for (const auto& c : cases) {
    RecordingSession port(c.kind, c.file);
    port.arguments = c.arguments;
    Session session(port);
    port.window = true;
    session.load();
    if (c.kind == 1) {
      port.alive = c.cdAliveAtFirstCheck;
      session.tick(SessionTimer::Timer2);
    }
    port.log.clear();
    session.unload();
    session.unload();  // a second destroy message changes nothing
    EXPECT_EQ(port.log, c.steps) << c.kind << " " << c.file << " " << c.arguments;
  }
}

TEST(SessionUnload, WatchEndingRunsTheUnloadOnce) {
  RecordingSession port(2, L"C:\\a.wav");
  Session session(port);
  port.session = &session;
  session.load();
  port.window = true;
  session.tick(SessionTimer::Timer3);
  port.window = false;
  port.running = false;
  port.log.clear();
  session.tick(SessionTimer::Timer3);
  EXPECT_EQ(port.log, (Log{"Timer3 off", "unload window", "WavStop", "show cursor", "end"}));
}

TEST(SessionUnload, AReloadedSessionStartsAfresh) {
  RecordingSession port;
  Session session(port);
  port.session = &session;
  session.load();
  session.unload();
  port.log.clear();
  port.window = false;
  port.running = true;
  session.load();
  session.tick(SessionTimer::Timer3);  // not seen yet, still starting: keeps waiting
  EXPECT_EQ(port.log, (Log{"start renderer"}));
  session.unload();
  EXPECT_EQ(port.log.back(), "end");
}

using Placed = std::vector<std::vector<ScreenRect>>;

// Only /s covers; the covers follow a display change and go with the unload however it came.
TEST(SessionCovers, PlacedOnLoadFollowChangesAndGoAtTheEnd) {
  const ScreenRect main{0, 0, 1024, 768}, right{1024, 0, 2304, 1024}, left{-1280, 0, 0, 1024};
  for (const wchar_t* arguments : {L"/s", L"-S:1", L""}) {
    for (bool byWatch : {true, false}) {
      RecordingSession port;
      port.arguments = arguments;
      port.layout = {{main, true}, {right, false}};
      Session session(port);
      port.session = &session;
      session.load();
      port.layout = {{left, false}, {main, true}};
      session.displayChanged();
      port.running = false;  // the renderer has ended: the watch ends the session
      byWatch ? session.tick(SessionTimer::Timer3) : session.unload();
      session.displayChanged();  // a late broadcast brings no cover back
      EXPECT_EQ(port.placed, *arguments ? Placed({{right}, {left}, {}}) : Placed()) << arguments << byWatch;
    }
  }
}

}  // namespace

}  // namespace session
