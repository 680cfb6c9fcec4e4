#include <gtest/gtest.h>

#include "fakes/SessionHarness.h"
#include "platform/Text.h"
#include "platform/VersionInfo.h"
#include "session/ProgressBar.h"
#include "window/UpdateForm.h"

namespace tyx {
namespace {

TEST(Version, EditionTestsFollowTheReportedVersion) {
  test::FakeSystem system;
  struct Case {
    uint32_t platform, major;
    bool works, nt5, nt6;
  } cases[] = {{1, 4, true, false, false}, {2, 4, true, false, false}, {2, 5, true, true, false},
               {2, 6, true, false, true},  {2, 11, true, false, true}, {2, 6, false, false, false}};
  for (const Case& c : cases) {
    system.platformId = c.platform;
    system.major = c.major;
    system.versionCallWorks = c.works;
    EXPECT_EQ(IsWinNT5(system), c.nt5) << c.platform << "." << c.major;
    EXPECT_EQ(IsWinNT6(system), c.nt6) << c.platform << "." << c.major;
  }
}

TEST(LongPath, ShortLongAndTooLongForms) {
  test::Harness h;
  const std::string deep = "C:\\" + std::string(300, 'd');
  h.system.longForms = {{"C:\\PROGRA~1", "C:\\Program Files"}, {"C:\\DEEP~1", deep}};
  EXPECT_EQ(GetLongPath(h.system, "C:\\PROGRA~1"), "C:\\Program Files");
  EXPECT_EQ(GetLongPath(h.system, h.dir.Path("temp")), h.dir.Path("temp"));
  EXPECT_EQ(GetLongPath(h.system, h.dir.Path("missing")), "");
  EXPECT_EQ(GetLongPath(h.system, "C:\\DEEP~1"), deep);
}

TEST(Log, GeneralDateCrLfAndAnUnwritableLogIsSwallowed) {
  test::Harness h;
  int pumps = 0;
  h.log.SetPump([&] { ++pumps; });
  h.log.WriteLog("První řádek");
  h.system.now = {2026, 1, 2, 0, 0, 0};
  h.log.WriteLog("");
  EXPECT_EQ(h.dir.Read("own/Update.log"), "[7.12.2026 14:05:09]První řádek\r\n[2.1.2026]\r\n");
  h.files.locked.push_back(h.log.Path());
  h.log.WriteLog("lost");
  EXPECT_EQ(pumps, 3);
}

TEST(Text, LowerCaseCoversCzechAndLeavesBrokenBytes) {
  EXPECT_EQ(LowerCase("ÁČĎÉĚÍŇÓŘŠŤÚŮÝŽĹĽŁŃŹŻ"), "áčďéěíňóřšťúůýžĺľłńźż");
  EXPECT_EQ(LowerCase(std::string("A\xC3(\xFF")), std::string("a\xC3(\xFF"));
  EXPECT_EQ(Trim("  a b  ") + Trim("\ta\t"), "a b\ta\t");
}

// The text a picture shows, and whether the bar covers the box's left and right ends.
TEST(ShowProgress, PercentTextAndBar) {
  struct Case {
    float fraction;
    bool atEnd;
    const char* text;
    bool left, right;
  } cases[] = {{0, false, "1%", false, false},      {0.004f, false, "1%", true, false},
               {0.42f, false, "42%", true, false},  {0.995f, false, "99%", true, false},
               {1, false, "99%", true, true},       {1, true, "100%", true, true},
               {0, true, "0%", false, false},       {1.5f, false, "150%", true, true}};
  for (const Case& c : cases) {
    test::RecordingSurface box;
    ShowProgress(box, c.fraction, c.atEnd);
    EXPECT_EQ(box.texts.back(), c.text) << c.fraction;
    EXPECT_EQ(box.Covered(0), c.left) << c.fraction;
    EXPECT_EQ(box.Covered(box.Width() - 1), c.right) << c.fraction;
    EXPECT_FALSE(box.Covered(box.Width())) << c.fraction;
  }
}

TEST(ShowProgressBytes, FirstPictureShowsNoBlockThenBlocksEnterAndWrap) {
  test::RecordingSurface box;
  int32_t position = 0;
  ShowProgressBytes(box, 0, position);
  EXPECT_TRUE(box.navy.empty());
  EXPECT_EQ(position, 100);
  int calls = 1;
  for (; position != -1300; ++calls) ShowProgressBytes(box, 8192, position);
  EXPECT_EQ(box.texts.back(), "8192");
  EXPECT_EQ(calls, 70);  // 0 to 6900 in steps of 100, then the wrap
  ShowProgressBytes(box, 1, position);
  EXPECT_EQ(position, -1200);
}

Session* shown = nullptr;
bool mainTimerOnDuringStep = true;
void Step(Session& s) {
  shown = &s;
  mainTimerOnDuringStep = static_cast<test::FakeWindow&>(s.window).timers[0];
}

TEST(UpdateForm, HeadingOnActivationTimerOffBeforeTheStepAndNoWindowLogged) {
  test::SessionHarness h("TalvikPro");
  UpdateForm(h.session, Step).ShowMainForm();
  EXPECT_EQ(h.window.appCaption, "Aktualizace aplikace TalvikPro");
  EXPECT_EQ(shown, &h.session);
  EXPECT_FALSE(mainTimerOnDuringStep);
  h.window.opens = false;
  UpdateForm(h.session, Step).ShowMainForm();
  EXPECT_EQ(h.LogMessages(), std::vector<std::string>{"Okno aktualizace nelze otevřít. Aktualizace nebude provedena."});
}

}  // namespace
}  // namespace tyx
