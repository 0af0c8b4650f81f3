// The platform-free rules of the settings file: the number form read and written, the path
// helpers and the loader's corrections, against an in-memory store. Needs settings_rules only.
#include "host/settings/settings_rules.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace settings {

namespace {

struct NumberCase {
  const wchar_t* text;
  std::optional<int16_t> expected;
};

TEST(SettingsNumber, ReadsDecimalTextRoundedDownWithinSixteenBits) {
  const NumberCase cases[] = {
      {L" 2", 2},          {L"2", 2},          {L"2.9", 2},          {L"-0.5", -1},
      {L"-2.1", -3},       {L"  7  ", 7},      {L"\t3", 3},          {L"+4", 4},
      {L".5", 0},          {L"5.", 5},         {L"1e2", 100},        {L"25E-1", 2},
      {L"32767", 32767},   {L"32767.9", 32767}, {L"-32768", -32768}, {L"-32768.1", std::nullopt},
      {L"32768", std::nullopt}, {L"40000", std::nullopt}, {L"-40000", std::nullopt},
      {L"1e99999", std::nullopt}, {L"word", std::nullopt}, {L"2 3", std::nullopt},
      {L"0x10", std::nullopt}, {L"inf", std::nullopt},   {L"nan", std::nullopt},
      {L"-", std::nullopt},    {L".", std::nullopt},     {L"1e", std::nullopt},
      {L"2a", std::nullopt},   {L"   ", std::nullopt},   {L"", std::nullopt},
      {L"\uFF12", std::nullopt},  // a full-width digit is not a decimal digit here
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parseIniNumber(c.text), c.expected) << "text \"" << testing::PrintToString(std::wstring(c.text)) << "\"";
  }
}

TEST(SettingsNumber, WrittenFormHasABlankBeforeNonNegativeNumbers) {
  const std::pair<int, const wchar_t*> cases[] = {
      {2, L" 2"}, {0, L" 0"}, {30, L" 30"}, {-1, L"-1"}, {-32768, L"-32768"}, {32767, L" 32767"}};
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(formatIniNumber(value), text);
    EXPECT_EQ(parseIniNumber(formatIniNumber(value)), value) << "written form must read back";
  }
}

TEST(SettingsPaths, FolderOfCutsAtTheLastColonOrBackslash) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"C:\\Music\\a.mp3", L"C:\\Music"},
      {L"C:\\a.mp3", L"C:"},
      {L"C:a.mp3", L"C:"},
      {L"a.mp3", L""},
      {L"", L""},
      {L"C:\\", L"C:"},
      {L"C:\\Music\\", L"C:\\Music"},
      {L"C:\\My Music\\Live\\b.wav", L"C:\\My Music\\Live"},
      {L"\\\\server\\share\\c.mp3", L"\\\\server\\share"},
      {L"\\a.mp3", L""},
      {L"C:\\x\\\\d.mp3", L"C:\\x\\"},  // only one backslash goes
      {L"D:/music/e.mp3", L"D:"},       // a forward slash is not a separator here
      {L"C:\\音楽\\曲.mp3", L"C:\\音楽"},
  };
  for (const auto& [path, folder] : cases) {
    EXPECT_EQ(FolderOf(path), folder) << testing::PrintToString(std::wstring(path));
  }
}

TEST(SettingsPaths, SettingsFileSitsInTheFolderAsReported) {
  EXPECT_EQ(settingsPathIn(L"C:\\Program Files\\Pomarel"), L"C:\\Program Files\\Pomarel\\Swirlbloom.ini");
  EXPECT_EQ(settingsPathIn(L"C:\\"), L"C:\\\\Swirlbloom.ini");
}


// A settings file and a file system as the loader sees them.
class TableStore : public SettingsLoadPort {
 public:
  std::map<std::wstring, std::wstring> values;
  std::set<std::wstring> files;
  std::wstring folder = L"C:\\Saver";
  std::set<std::wstring> failingKeys;
  std::vector<std::wstring> reads;
  std::vector<std::wstring> existenceTests;

  std::wstring read(const std::wstring& key) override {
    reads.push_back(key);
    if (failingKeys.count(key)) throw std::runtime_error("unreadable");
    const auto it = values.find(key);
    return it == values.end() ? std::wstring() : it->second;
  }
  bool fileExists(const std::wstring& path) override {
    existenceTests.push_back(path);
    return files.count(path) > 0;
  }
  std::wstring programFolder() override { return folder; }
};

struct Variables {
  int16_t kind;
  int16_t repeat;
  std::wstring file;
  std::wstring folder;
};

void setVariables(const Variables& v) {
  BGMKind = v.kind;
  BGMRepeatTrack = v.repeat;
  BGMFile = v.file;
  BGMFolder = v.folder;
}

struct LoadCase {
  const char* name;
  Variables before;
  std::map<std::wstring, std::wstring> values;
  std::set<std::wstring> files;
  Variables after;
};

// The profile calls keep a file's encoding, UTF-16 ones included (with their byte order mark):
// a whole file ends with a line end of its own encoding, a cut one does not.
TEST(ProfileText, IsWholeWhenItEndsWithALineEndOfItsEncoding) {
  using namespace std::string_literals;
  const struct {
    std::string start, end;
    bool whole;
  } cases[] = {
      {"[S", "\r\n", true},           {"[S", "=1", false},         {"\n", "\n", true},
      {"", "", false},                {"\xEF\xBB", "\r\n", true},    {"\xFF\xFE", "\n\0"s, true},
      {"\xFF\xFE", "1\0"s, false},     {"\xFF\xFE", "\0\n"s, false}, {"\xFF\xFE", "\r\0"s, false},
      {"\xFE\xFF", "\0\n"s, true},    {"\xFE\xFF", "\n\0"s, false}, {"\xFF\xFE", "\xFF\xFE", false},
  };
  for (const auto& c : cases) EXPECT_EQ(profileTextWhole(c.start, c.end), c.whole) << testing::PrintToString(c.end);
}

TEST(SettingsLoader, FillsAndCorrectsTheVariables) {
  const std::wstring song = L"C:\\My Music\\song.mp3";
  const std::wstring wav = L"D:\\loop.wav";
  const Variables fresh{0, 0, L"", L""};
  const LoadCase cases[] = {
      {"no file", fresh, {}, {}, {0, 0, L"", L"C:\\Saver"}},
      {"empty values turn set numbers to 0", {5, 9, L"old", L"old"}, {}, {}, {0, 0, L"", L"C:\\Saver"}},
      {"kind 2 with blank and existing file",
       fresh,
       {{KeyKind, L" 2"}, {KeyRepeat, L" 0"}, {KeyFile, song}},
       {song},
       {2, 0, song, L"C:\\My Music"}},
      {"kind 2 without blank", fresh, {{KeyKind, L"2"}, {KeyFile, wav}}, {wav}, {2, 0, wav, L"D:"}},
      {"kind 2 with a missing file", fresh, {{KeyKind, L" 2"}, {KeyFile, song}}, {}, {0, 0, L"", L"C:\\Saver"}},
      {"kind 2 with no file", fresh, {{KeyKind, L" 2"}, {KeyFile, L""}}, {}, {0, 0, L"", L"C:\\Saver"}},
      {"kind 1 keeps an existing file", fresh, {{KeyKind, L" 1"}, {KeyRepeat, L" 5"}, {KeyFile, song}}, {song},
       {1, 5, song, L"C:\\My Music"}},
      {"kind 0 keeps an existing file", fresh, {{KeyKind, L" 0"}, {KeyFile, wav}}, {wav}, {0, 0, wav, L"D:"}},
      {"kind 1 drops a missing file", fresh, {{KeyKind, L" 1"}, {KeyFile, song}}, {}, {1, 0, L"", L"C:\\Saver"}},
      {"rounded down", fresh, {{KeyKind, L"2.9"}, {KeyRepeat, L"-0.5"}, {KeyFile, song}}, {song},
       {2, -1, song, L"C:\\My Music"}},
      {"a word leaves the numbers", {1, 4, L"", L""}, {{KeyKind, L"word"}, {KeyRepeat, L"three"}}, {},
       {1, 4, L"", L"C:\\Saver"}},
      {"out of range leaves the numbers", {1, 4, L"", L""}, {{KeyKind, L"40000"}, {KeyRepeat, L"-40000"}}, {},
       {1, 4, L"", L"C:\\Saver"}},
      {"unread kind 2 still falls back", {2, 0, L"", L""}, {{KeyKind, L"two"}, {KeyFile, song}}, {},
       {0, 0, L"", L"C:\\Saver"}},
      {"kinds beyond 2 stay as read", fresh, {{KeyKind, L" 7"}, {KeyRepeat, L" 31"}}, {}, {7, 31, L"", L"C:\\Saver"}},
      {"file in a drive root", fresh, {{KeyKind, L" 2"}, {KeyFile, L"C:\\a.wav"}}, {L"C:\\a.wav"},
       {2, 0, L"C:\\a.wav", L"C:"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TableStore store;
    store.values = c.values;
    store.files = c.files;
    setVariables(c.before);
    loadSettingsFrom(store);
    EXPECT_EQ(BGMKind, c.after.kind);
    EXPECT_EQ(BGMRepeatTrack, c.after.repeat);
    EXPECT_EQ(BGMFile, c.after.file);
    EXPECT_EQ(BGMFolder, c.after.folder);
    EXPECT_EQ(store.reads, (std::vector<std::wstring>{KeyKind, KeyRepeat, KeyFile}));
  }
}

// Files on users' machines name the keys in Japanese, the repeat and file keys in half-width
// katakana: the same words in full-width letters are other keys, and read as missing.
TEST(SettingsLoader, ReadsTheKeysAsSavedFilesSpellThem) {
  const std::wstring song = L"C:\\Music\\song.mp3";
  const struct {
    const char* name;
    std::map<std::wstring, std::wstring> lines;  // key=value
    Variables after;
  } cases[] = {
      {"as saved", {{L"BGM区分", L" 2"}, {L"BGMﾘﾋﾟｰﾄ", L" 5"}, {L"BGMﾌｧｲﾙ", song}}, {2, 5, song, L"C:\\Music"}},
      {"full-width katakana", {{L"BGM区分", L" 1"}, {L"BGMリピート", L" 5"}, {L"BGMファイル", song}},
       {1, 0, L"", L"C:\\Saver"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TableStore store;
    store.values = c.lines;
    store.files = {song};
    setVariables({0, 9, L"", L""});
    loadSettingsFrom(store);
    EXPECT_EQ(BGMKind, c.after.kind);
    EXPECT_EQ(BGMRepeatTrack, c.after.repeat);
    EXPECT_EQ(BGMFile, c.after.file);
    EXPECT_EQ(BGMFolder, c.after.folder);
  }
}

TEST(SettingsLoader, TestsTheStoredPathAsRead) {
  TableStore store;
  store.values = {{KeyKind, L" 2"}, {KeyFile, L"C:\\Music\\"}};
  store.files = {L"C:\\Music\\"};
  setVariables({0, 0, L"", L""});
  loadSettingsFrom(store);
  EXPECT_EQ(store.existenceTests, std::vector<std::wstring>{L"C:\\Music\\"});
  EXPECT_EQ(BGMFolder, L"C:\\Music");
}

TEST(SettingsLoader, AFailingStepIsSkippedAndTheRestRuns) {
  TableStore store;
  store.values = {{KeyKind, L" 2"}, {KeyRepeat, L" 3"}, {KeyFile, L"C:\\a.mp3"}};
  store.files = {L"C:\\a.mp3"};
  store.failingKeys = {KeyKind};
  setVariables({1, 0, L"", L""});
  loadSettingsFrom(store);
  EXPECT_EQ(BGMKind, 1);
  EXPECT_EQ(BGMRepeatTrack, 3);
  EXPECT_EQ(BGMFile, L"C:\\a.mp3");
  EXPECT_EQ(BGMFolder, L"C:");

  store.failingKeys = {KeyFile};
  setVariables({2, 0, L"kept", L""});
  loadSettingsFrom(store);
  EXPECT_EQ(BGMKind, 2);
  EXPECT_EQ(BGMFile, L"kept");
  EXPECT_EQ(BGMFolder, L"C:\\Saver");
}

}  // namespace

}  // namespace settings
