#include <gtest/gtest.h>

#include "fakes/Harness.h"
#include "platform/Text.h"
#include "platform/VersionInfo.h"

namespace tyx {
namespace {

TEST(Version, EditionTestsFollowTheReportedVersion) {
  test::FakeSystem system;
  struct Case {
    uint32_t platform, major;
    bool nt5, nt6;
  } cases[] = {{1, 4, false, false}, {2, 4, false, false}, {2, 5, true, false},
               {2, 6, false, true},  {2, 10, false, true}, {2, 11, false, true}};
  for (const Case& c : cases) {
    system.platformId = c.platform;
    system.major = c.major;
    EXPECT_EQ(IsWinNT5(system), c.nt5) << c.platform << "." << c.major;
    EXPECT_EQ(IsWinNT6(system), c.nt6) << c.platform << "." << c.major;
  }
  system.versionCallWorks = false;
  EXPECT_FALSE(IsWinNT5(system));
  EXPECT_FALSE(IsWinNT6(system));
}

TEST(LongPath, ShortLongAndTooLongForms) {
  test::Harness h;
  h.system.longForms["C:\\PROGRA~1"] = "C:\\Program Files";
  EXPECT_EQ(GetLongPath(h.system, "C:\\PROGRA~1"), "C:\\Program Files");
  EXPECT_EQ(GetLongPath(h.system, h.dir.Path("temp")), h.dir.Path("temp"));
  EXPECT_EQ(GetLongPath(h.system, h.dir.Path("missing")), "");
  std::string deep = "C:\\" + std::string(300, 'd');
  h.system.longForms["C:\\DEEP~1"] = deep;
  h.system.longPathBuffers.clear();
  EXPECT_EQ(GetLongPath(h.system, "C:\\DEEP~1"), deep);
  EXPECT_EQ(h.system.longPathBuffers, (std::vector<uint32_t>{260, 304}));
}

TEST(Log, LinesCarryTheGeneralDateAndCrLf) {
  test::Harness h;
  h.log.WriteLog("První řádek");
  h.system.now = {2026, 1, 2, 0, 0, 0};
  h.log.WriteLog("");
  EXPECT_EQ(h.dir.Read("own/Update.log"), "[7.12.2026 14:05:09]První řádek\r\n[2.1.2026]\r\n");
}

TEST(Log, UnwritableLogIsSwallowedAndPumpStillRuns) {
  test::Harness h;
  int pumps = 0;
  h.log.SetPump([&] { ++pumps; });
  h.files.locked.push_back(h.log.Path());
  h.log.WriteLog("lost");
  EXPECT_FALSE(h.dir.Exists("own/Update.log"));
  EXPECT_EQ(pumps, 1);
}

TEST(Text, LowerCaseCoversCzechAndLeavesBrokenBytes) {
  EXPECT_EQ(LowerCase("ÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ"), "áčďéěíňóřšťúůýž");
  EXPECT_EQ(LowerCase("ĹĽŁŃŹŻ"), "ĺľłńźż");
  EXPECT_EQ(LowerCase(std::string("A\xC3(\xFF")), std::string("a\xC3(\xFF"));
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("\ta\t"), "\ta\t");
}

}  // namespace
}  // namespace tyx
