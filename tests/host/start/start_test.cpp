// The start routine with real windows inside the test process under Wine: the program's
// resources (name, icon, still), other switches and second instances, and preview handles
// that name no window.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "host/preview/preview.h"
#include "host/session/session.h"
#include "host/start/start.h"
#include "host/ui/picture.h"

#include "tests/host/support/support.h"

namespace start {

namespace {

TEST(Resources, NameIconAndStillAreInTheProgram) {
  char name[64] = {};
  ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), 1, name, sizeof name), 0);
  EXPECT_STREQ(name, "Pomarel");
  HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON, 0, 0, 0));
  ASSERT_NE(icon, nullptr);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP colour = {};
  GetObjectA(info.hbmColor, sizeof colour, &colour);
  EXPECT_EQ(colour.bmWidth, 32);
  EXPECT_EQ(colour.bmHeight, 32);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyIcon(icon);
  SIZE size = {};
  HBITMAP still = ui::loadPictureResource("JPEG", 1, &size);
  ASSERT_NE(still, nullptr);
  EXPECT_EQ(size.cx, 152);
  EXPECT_EQ(size.cy, 112);
  DeleteObject(still);
}

TEST(StartProgram, OtherSwitchesAndSecondInstancesEndAtOnce) {
  const int before = support::cursorCount();
  EXPECT_EQ(startProgram(L"/a"), AfterStart::End);
  EXPECT_EQ(startProgram(L"/x"), AfterStart::End);
  const HWND running = support::makeWindow("Swirlbloom_Main", WS_POPUP, 10, 10);  // hidden, still counts
  for (const wchar_t* arguments : {L"/s", L"/p 1", L"/c", L""}) {
    EXPECT_EQ(startProgram(arguments), AfterStart::End) << arguments;
  }
  DestroyWindow(running);
  EXPECT_EQ(support::cursorCount(), before);
  EXPECT_FALSE(startModule().Swirlbloom_S->loaded());
  EXPECT_FALSE(startModule().Swirlbloom_R->loaded());
}

TEST(StartProgram, PreviewHandleThatIsNoWindowShowsNothing) {
  for (const wchar_t* arguments : {L"/p 0", L"/p", L"/p 12345677", L"/p 99999999999"}) {
    EXPECT_EQ(startProgram(arguments), AfterStart::End) << arguments;
    EXPECT_FALSE(startModule().Swirlbloom_R->loaded()) << arguments;
  }
}

}  // namespace

}  // namespace start
