// The settings file through the real profile calls under Wine: what the program hands to the
// calls (recorded on the way through), what lands in the file, what the loader makes of
// hand-written files, program folders the calls cannot name as they are, the existence test
// and the program folder. Needs the settings library.
#include "common/last_api_result.h"
#include "common/scoped_seam.h"
#include "host/settings/settings.h"
#include "host/settings/settings_rules.h"
#include "host/ui/program_folder.h"
#include "host/ui/text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace settings {

namespace fs = std::filesystem;

namespace {

const std::string KindBytes = "BGM\x8B\xE6\x95\xAA";
const std::string RepeatBytes = "BGM\xD8\xCB\xDF\xB0\xC4";
const std::string FileBytes = "BGM\xCC\xA7\xB2\xD9";

struct RecordedCall {
  std::string section, key, value, path;
  bool emptyFallback = false;
  uint32_t size = 0;
};

// The calls as the program has them, noted before any test swaps them.
const SettingsSystem real = settingsCalls();

std::vector<RecordedCall> reads;
std::vector<RecordedCall> writes;
std::wstring injectedFolder;

DWORD WINAPI recordingGet(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR buffer, DWORD size, LPCSTR path) {
  reads.push_back({section, key, "", path, fallback != nullptr && *fallback == '\0', size});
  return real.getPrivateProfileString(section, key, fallback, buffer, size, path);
}

BOOL WINAPI recordingWrite(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR path) {
  writes.push_back({section, key, value ? value : "<null>", path});
  return real.writePrivateProfileString(section, key, value, path);
}

std::wstring injected() { return injectedFolder; }

// A volume that keeps no 8.3 names: the long path comes back.
DWORD WINAPI noShortNames(LPCWSTR path, LPWSTR out, DWORD size) {
  const DWORD length = static_cast<DWORD>(wcslen(path));
  if (length >= size) return length + 1;
  wcscpy(out, path);
  return length;
}

std::string fileBytes(const std::wstring& path) {
  std::ifstream in(fs::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(fs::path(path), std::ios::binary);
  out << bytes;
}

class SettingsFile : public testing::Test {
 protected:
  ScopedSeam<SettingsSystem> seam{settingsCalls(), SettingsSystem{recordingGet, recordingWrite, injected}};
  std::wstring folder;
  std::wstring ini;

  void SetUp() override {
    static int run = 0;
    folder = (fs::temp_directory_path() /
              (L"pomarel settings " + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++run)))
                 .wstring();
    fs::create_directories(fs::path(folder));
    injectedFolder = folder;
    ini = folder + L"\\Swirlbloom.ini";
    reads.clear();
    writes.clear();
    BGMKind = BGMRepeatTrack = 0;
    BGMFile.clear();
    BGMFolder.clear();
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(fs::path(folder), ignored);
  }

  std::wstring makeFile(const std::wstring& relative) {
    const std::wstring path = folder + L"\\" + relative;
    fs::create_directories(fs::path(path).parent_path());
    writeBytes(path, "music");
    return path;
  }
};

TEST_F(SettingsFile, NoFileGivesTheDefaultsAndCreatesNothing) {
  BGMKind = 2;
  BGMRepeatTrack = 3;
  LoadSettings();
  EXPECT_EQ(BGMKind, 0);
  EXPECT_EQ(BGMRepeatTrack, 0);
  EXPECT_EQ(BGMFile, L"");
  EXPECT_EQ(BGMFolder, folder);
  EXPECT_FALSE(fs::exists(fs::path(ini)));
  EXPECT_TRUE(writes.empty());

  ASSERT_EQ(reads.size(), 3u);
  const std::string keys[] = {KindBytes, RepeatBytes, FileBytes};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(reads[i].section, "Section");
    EXPECT_EQ(reads[i].key, keys[i]);
    EXPECT_TRUE(reads[i].emptyFallback);
    EXPECT_EQ(reads[i].size, 256u);
    EXPECT_EQ(reads[i].path, ui::toAnsi(ini));
  }
}

TEST_F(SettingsFile, SavedSettingsReadBackAndKeepTheirKeyBytes) {
  const std::wstring song = makeFile(L"My Music\\song.mp3");
  EXPECT_EQ(WriteIniValue(SettingsSection, KeyKind, formatIniNumber(2), SettingsPath()), L"");
  EXPECT_NE(LastApiResult, 0);
  WriteIniValue(SettingsSection, KeyRepeat, formatIniNumber(0), SettingsPath());
  WriteIniValue(SettingsSection, KeyFile, song, SettingsPath());

  // What the program hands over, whatever the system then does with a leading blank.
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[0].key, KindBytes);
  EXPECT_EQ(writes[0].value, " 2");
  EXPECT_EQ(writes[1].key, RepeatBytes);
  EXPECT_EQ(writes[1].value, " 0");
  EXPECT_EQ(writes[2].key, FileBytes);
  EXPECT_EQ(writes[2].value, ui::toAnsi(song));
  for (const auto& w : writes) {
    EXPECT_EQ(w.section, "Section");
    EXPECT_EQ(w.path, ui::toAnsi(ini));
  }

  const std::string bytes = fileBytes(ini);
  const size_t section = bytes.find("[Section]");
  const size_t kind = bytes.find(KindBytes + "=");
  const size_t repeat = bytes.find(RepeatBytes + "=");
  const size_t file = bytes.find(FileBytes + "=" + ui::toAnsi(song));
  ASSERT_NE(section, std::string::npos) << bytes;
  ASSERT_NE(kind, std::string::npos) << bytes;
  ASSERT_NE(repeat, std::string::npos) << bytes;
  ASSERT_NE(file, std::string::npos) << bytes;
  EXPECT_LT(section, kind);
  EXPECT_LT(kind, repeat);
  EXPECT_LT(repeat, file);

  LoadSettings();
  EXPECT_EQ(BGMKind, 2);
  EXPECT_EQ(BGMRepeatTrack, 0);
  EXPECT_EQ(BGMFile, song);
  EXPECT_EQ(BGMFolder, folder + L"\\My Music");
}

TEST_F(SettingsFile, AnEmptyValueIsWrittenNotRemoved) {
  WriteIniValue(SettingsSection, KeyFile, L"C:\\old.mp3", SettingsPath());
  WriteIniValue(SettingsSection, KeyFile, L"", SettingsPath());
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[1].value, "");
  EXPECT_NE(fileBytes(ini).find(FileBytes + "="), std::string::npos) << fileBytes(ini);
  EXPECT_EQ(ReadIniValue(SettingsSection, KeyFile, SettingsPath()), L"");
}

TEST_F(SettingsFile, AFailedWriteOnlyShowsInLastApiResult) {
  LastApiResult = 1;
  EXPECT_EQ(WriteIniValue(SettingsSection, KeyKind, L" 1", folder + L"\\missing\\folder\\Swirlbloom.ini"), L"");
  EXPECT_EQ(LastApiResult, 0);
}

TEST_F(SettingsFile, ALongStoredValueComesBackCutAfter255Bytes) {
  std::wstring path = folder + L"\\";
  while (path.size() < 300) path += L"long folder name\\";
  path += L"song.mp3";
  WriteIniValue(SettingsSection, KeyFile, path, SettingsPath());
  EXPECT_EQ(ReadIniValue(SettingsSection, KeyFile, SettingsPath()), path.substr(0, 255));

  WriteIniValue(SettingsSection, KeyKind, L" 2", SettingsPath());
  LoadSettings();
  EXPECT_EQ(BGMKind, 0);
  EXPECT_EQ(BGMFile, L"");
}

struct HandWritten {
  const char* name;
  std::string kind, repeat;
  const wchar_t* file;  // relative to the test folder; "<folder>" for the folder itself
  bool fileExists;
  int16_t expectKind, expectRepeat;
  bool expectFileKept;
};

TEST_F(SettingsFile, HandWrittenFilesLoadByTheRules) {
  const HandWritten cases[] = {
      {"kind with blank", " 2", " 0", L"a.mp3", true, 2, 0, true},
      {"kind without blank", "2", "0", L"a b.wav", true, 2, 0, true},
      {"rounded down", "2.9", "-0.5", L"a.mp3", true, 2, -1, true},
      {"a word", "two", " 4", L"a.mp3", true, 0, 4, true},
      {"out of range", "40000", "70000", L"", false, 0, 0, false},
      {"missing file drops kind 2", " 2", " 0", L"gone.mp3", false, 0, 0, false},
      {"a folder drops kind 2", " 2", " 0", L"<folder>", false, 0, 0, false},
      {"kind 1 keeps an existing file", " 1", " 5", L"c.wav", true, 1, 5, true},
      {"kind 0 keeps an existing file", " 0", " 0", L"c.wav", true, 0, 0, true},
      {"no file with kind 2", " 2", " 0", L"", false, 0, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::wstring file;
    if (std::wstring(c.file) == L"<folder>") {
      file = folder + L"\\sub";
      fs::create_directories(fs::path(file));
    } else if (*c.file) {
      file = c.fileExists ? makeFile(c.file) : folder + L"\\" + c.file;
    }
    writeBytes(ini, "[Section]\r\n" + KindBytes + "=" + c.kind + "\r\n" + RepeatBytes + "=" + c.repeat + "\r\n" +
                        FileBytes + "=" + ui::toAnsi(file) + "\r\n");
    BGMKind = BGMRepeatTrack = 0;
    LoadSettings();
    EXPECT_EQ(BGMKind, c.expectKind);
    EXPECT_EQ(BGMRepeatTrack, c.expectRepeat);
    EXPECT_EQ(BGMFile, c.expectFileKept ? file : L"");
    EXPECT_EQ(BGMFolder, c.expectFileKept ? FolderOf(file) : folder);
  }
}

// A program folder too long for the profile calls, or named in characters the code page
// lacks, is reached through its 8.3 form: the file lands beside the program and reads back,
// and nothing is ever written into the current folder (Wine's profile calls, handed a path of
// MAX_PATH characters or more, once wrote a file with a garbage name there). Where the volume
// keeps no 8.3 names the write fails with the reason, and writes nothing anywhere.
TEST_F(SettingsFile, AFolderTheCallsCannotNameIsReachedByItsShortFormOrNotAtAll) {
  std::wstring deep = folder;
  while (deep.size() < 250) {
    deep += L"\\a folder name that is far longer than eight and three";
    fs::create_directories(fs::path(deep));
  }
  const std::wstring foreign = folder + L"\\\u05de\u05d5\u05d6\u05d9\u05e7\u05d4";  // held by neither 1252 nor 932
  fs::create_directories(fs::path(foreign));
  const std::wstring current = fs::current_path().wstring();
  auto listing = [&] {
    std::vector<fs::path> names;
    for (const auto& entry : fs::directory_iterator(fs::path(current))) names.push_back(entry.path());
    return names;
  };
  const auto before = listing();
  for (const std::wstring& program : {deep, foreign}) {
    injectedFolder = program;
    writes.clear();
    WriteIniValue(SettingsSection, KeyKind, L" 1", SettingsPath());
    EXPECT_NE(LastApiResult, 0);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_LT(writes[0].path.size(), static_cast<size_t>(MAX_PATH));
    EXPECT_TRUE(fs::exists(fs::path(program + L"\\Swirlbloom.ini")));
    EXPECT_EQ(ReadIniValue(SettingsSection, KeyKind, SettingsPath()), L"1");

    ScopedSeam<ui::TextSystem> seam(ui::textCalls(), ui::TextSystem{noShortNames});
    fs::remove(fs::path(program + L"\\Swirlbloom.ini"));
    writes.clear();
    WriteIniValue(SettingsSection, KeyKind, L" 1", SettingsPath());
    EXPECT_EQ(LastApiResult, 0);
    EXPECT_EQ(GetLastError(), program == deep ? ERROR_FILENAME_EXCED_RANGE : ERROR_INVALID_NAME);
    EXPECT_TRUE(writes.empty());
    EXPECT_FALSE(fs::exists(fs::path(program + L"\\Swirlbloom.ini")));
    EXPECT_EQ(ReadIniValue(SettingsSection, KeyKind, SettingsPath()), L"");
  }
  EXPECT_EQ(listing(), before);
}

TEST_F(SettingsFile, AProgramInADriveRootUsesTwoBackslashes) {
  injectedFolder = L"C:\\";
  EXPECT_EQ(SettingsPath(), L"C:\\\\Swirlbloom.ini");
  LoadSettings();
  ASSERT_FALSE(reads.empty());
  EXPECT_EQ(reads[0].path, "C:\\\\Swirlbloom.ini");
  EXPECT_EQ(BGMFolder, L"C:\\");
}

TEST_F(SettingsFile, FileExistsOpensFilesOnly) {
  const std::wstring song = makeFile(L"song.mp3");
  const std::pair<std::wstring, bool> cases[] = {
      {song, true},
      {song + L"\\", true},  // one trailing backslash is dropped first
      {folder, false},
      {folder + L"\\", false},
      {folder + L"\\nothing.mp3", false},
      {L"", false},
      {L"\\", false},
      {folder + L"\\*.mp3", false},
      // Devices open like files but are none.
      {L"NUL", false},
      {L"CON", false},
      {L"COM1.wav", false},
      {folder + L"\\nul.mp3", false},
  };
  for (const auto& [path, exists] : cases) EXPECT_EQ(FileExists(path), exists) << testing::PrintToString(path);
}

TEST(ProgramFolder, IsThisProgramsOwnFolderWithoutTrailingBackslash) {
  const std::wstring own = ui::programFolder();
  ASSERT_FALSE(own.empty());
  EXPECT_NE(own.back(), L'\\');
  EXPECT_TRUE(FileExists(own + L"\\settings_tests.exe")) << testing::PrintToString(own);
  EXPECT_EQ(real.programFolder(), own);
}

}  // namespace

}  // namespace settings
