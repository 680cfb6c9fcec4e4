#include <gtest/gtest.h>

#include "platform/VersionInfo.h"
#include "platform/win32/Wide.h"
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/WinApi.h"

namespace tyx::win32 {
namespace {

// The test run tells which Windows version Wine plays (TYX_EXPECT_MAJOR).
TEST(Win32System, VersionTestsMatchTheConfiguredWindows) {
  Win32CodePage codePage;
  Win32System system(codePage);
  char expected[8] = {};
  GetEnvironmentVariableA("TYX_EXPECT_MAJOR", expected, sizeof expected);
  uint32_t platformId = 0, major = 0;
  ASSERT_TRUE(system.GetVersionEx(platformId, major));
  EXPECT_EQ(platformId, 2u);
  if (expected[0]) {
    EXPECT_EQ(major, static_cast<uint32_t>(atoi(expected)));
  }
  EXPECT_EQ(IsWinNT5(system), major == 5);
  EXPECT_EQ(IsWinNT6(system), major >= 6);
}

TEST(Win32System, LongPathOfAShortForm) {
  Win32CodePage codePage;
  Win32System system(codePage);
  Win32FileSystem files;
  std::string folder = files.TemporaryFolder() + "\\Dlouhý název složky";
  CreateDirectoryW(Wide(folder).c_str(), nullptr);
  wchar_t shortForm[MAX_PATH];
  ASSERT_GT(GetShortPathNameW(Wide(folder).c_str(), shortForm, MAX_PATH), 0u);
  EXPECT_NE(Utf8(shortForm), folder);
  EXPECT_EQ(GetLongPath(system, Utf8(shortForm)), folder);
  EXPECT_EQ(GetLongPath(system, folder), folder);
  EXPECT_EQ(GetLongPath(system, folder + "\\není"), "");
  RemoveDirectoryW(Wide(folder).c_str());
}

TEST(Win32System, DatesInTheUsersFormat) {
  Win32CodePage codePage;
  Win32System system(codePage);
  LocalTime t{2026, 3, 4, 5, 6, 7};
  EXPECT_NE(system.ShortDate(t).find("2026"), std::string::npos);
  EXPECT_NE(system.LongTime(t).find("06"), std::string::npos);
}

}  // namespace
}  // namespace tyx::win32
