// The user-interface layer's platform-free rules: the program folder cut from a module path
// (a drive root keeps its backslash, unlike the settings' FolderOf) and the argument text cut
// from a command line.
#include "host/ui/ui_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace ui {

namespace {

TEST(ProgramFolder, IsTheModuleFolderWithoutTrailingBackslashExceptAtARoot) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"C:\\Windows\\System32\\Pomarel.scr", L"C:\\Windows\\System32"},
      {L"C:\\Pomarel.scr", L"C:\\"},
      {L"Z:\\tmp\\a b\\Pomarel.scr", L"Z:\\tmp\\a b"},
      {L"\\\\server\\share\\Pomarel.scr", L"\\\\server\\share"},
      {L"Pomarel.scr", L""},
  };
  for (const auto& [module, folder] : cases) EXPECT_EQ(folderOfModulePath(module), folder);
}

TEST(ArgumentText, DropsTheProgramNameAndTheBlanksAfterIt) {
  const struct {
    const wchar_t* line;
    const wchar_t* arguments;
  } cases[] = {
      {L"Pomarel.scr /s", L"/s"},
      {L"\"C:\\Program Files\\Pomarel\\Pomarel.scr\"   /p 1234", L"/p 1234"},
      {L"\"C:\\a b\\Pomarel.scr\"/c:99", L"/c:99"},
      {L"C:\\Pomarel.scr\t-S", L"-S"},
      {L"Pomarel.scr", L""},
      {L"Pomarel.scr   ", L""},
      {L"\"unterminated /s", L""},
      {L"Pomarel.scr /p  12 ", L"/p  12 "},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(argumentText(c.line), c.arguments) << c.line;
}

}  // namespace

}  // namespace ui
