#include <gtest/gtest.h>

#include "fakes/Fakes.h"
#include "session/ProgressBar.h"
#include "window/UpdateForm.h"

namespace tyx::test {

// The text a picture shows, and whether the bar covers the box's left and right ends.
TEST(ShowProgress, PercentTextAndBar) {
  const struct {
    float fraction;
    bool atEnd;
    const char* text;
    bool left, right;
  } cases[] = {{0, false, "1%", false, false}, {0.004f, false, "1%", true, false}, {0.995f, false, "99%", true, false},
               {1, false, "99%", true, true},  {1, true, "100%", true, true},     {0, true, "0%", false, false},
               {1.5f, false, "150%", true, true}};
  for (const auto& c : cases) {
    test::FakeWindow box;
    ShowProgress(box, c.fraction, c.atEnd);
    EXPECT_EQ(box.texts.back(), c.text) << c.fraction;
    EXPECT_EQ(std::tuple(box.Covered(0), box.Covered(box.Width() - 1), box.Covered(box.Width())),
              std::tuple(c.left, c.right, false)) << c.fraction;
  }
}

TEST(ShowProgressBytes, FirstPictureShowsNoBlockThenBlocksEnterAndWrap) {
  test::FakeWindow box;
  int32_t position = 0;
  ShowProgressBytes(box, 0, position);
  EXPECT_TRUE(box.navy.empty());
  EXPECT_EQ(position, 100);
  for (int call = 1; call < 70; ++call) ShowProgressBytes(box, 8192, position);
  EXPECT_EQ(box.texts.back(), "8192");
  EXPECT_EQ(position, -1300);  // 0 to 6900 in steps of 100, then back before the box's left end
}

static Session* shown = nullptr;
static bool mainTimerOnDuringStep = true;

TEST(UpdateForm, HeadingOnActivationTimerOffBeforeTheStepAndNoWindowLogged) {
  test::Harness h("TalvikPro");
  auto step = [](Session& s) {
    shown = &s;
    mainTimerOnDuringStep = static_cast<test::FakeWindow&>(s.window).timers[0];
  };
  UpdateForm(h.session, step).ShowMainForm();
  EXPECT_EQ(h.window.appCaption, "Aktualizace aplikace TalvikPro");
  EXPECT_EQ(shown, &h.session);
  EXPECT_FALSE(mainTimerOnDuringStep);
  h.window.opens = false;
  UpdateForm(h.session, step).ShowMainForm();
  EXPECT_EQ(h.LogMessages(), std::vector<std::string>{"Okno aktualizace nelze otevřít. Aktualizace nebude provedena."});
}

}  // namespace tyx::test
