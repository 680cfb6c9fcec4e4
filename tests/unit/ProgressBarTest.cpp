#include "session/ProgressBar.h"

#include <gtest/gtest.h>

#include "fakes/FakeServices.h"

namespace tyx {
namespace {

using test::RecordingSurface;

std::vector<std::string> Drawn(float fraction, bool atEnd) {
  RecordingSurface box;
  ShowProgress(box, fraction, atEnd);
  return box.calls;
}

TEST(ShowProgress, DrawsTextThenBarInTheirModes) {
  // "42%": 300 wide, centred at 2796 - 150 and 192 - 97.5 (rounded).
  EXPECT_EQ(Drawn(0.42f, false),
            (std::vector<std::string>{"fore 8388608", "back 16777215", "mode copy", "fill 2646 95 2946 290 white",
                                      "print 2646 95 42%", "mode notxor", "fill 0 0 2348.64 384 navy",
                                      "refresh"}));
}

TEST(ShowProgress, PercentageRules) {
  auto text = [](float f, bool atEnd) { return Drawn(f, atEnd)[4]; };
  EXPECT_EQ(text(0, false).substr(text(0, false).rfind(' ') + 1), "1%");
  EXPECT_EQ(Drawn(0, false)[6], "fill 0 0 5592 384 white");  // no bar at 0
  EXPECT_NE(text(0.004f, false).find(" 1%"), std::string::npos);
  EXPECT_NE(Drawn(0.004f, false)[6].find("navy"), std::string::npos);  // but a sliver of bar
  EXPECT_NE(text(0.995f, false).find(" 99%"), std::string::npos);
  EXPECT_NE(text(1, false).find(" 99%"), std::string::npos);
  EXPECT_EQ(Drawn(1, false)[6], "fill 0 0 5592 384 navy");
  EXPECT_NE(text(1, true).find(" 100%"), std::string::npos);
  EXPECT_NE(text(0, true).find(" 0%"), std::string::npos);
  EXPECT_NE(text(1.5f, false).find(" 150%"), std::string::npos);
  EXPECT_EQ(Drawn(1.5f, false)[6], "fill 0 0 5592 384 navy");
}

TEST(ShowProgressBytes, BlocksEnterFromTheLeftAndWrap) {
  RecordingSurface box;
  int32_t position = 0;
  ShowProgressBytes(box, 0, position);  // nothing drawn, position still advances
  EXPECT_EQ(position, 100);
  EXPECT_EQ(box.calls[6], "fill 0 0 5592 384 white");
  box.calls.clear();
  ShowProgressBytes(box, 8192, position);
  EXPECT_EQ(box.calls[4].substr(box.calls[4].rfind(' ') + 1), "8192");
  EXPECT_EQ(box.calls[6], "fill -1200 30 -900 284 navy");
  EXPECT_EQ(box.calls[8], "fill -200 30 100 284 navy");  // the third block enters
  int calls = 2;
  while (position != -1300) {
    ShowProgressBytes(box, 1, position);
    ++calls;
  }
  EXPECT_EQ(calls, 70);  // 0 to 6900 in steps of 100, then the wrap
  ShowProgressBytes(box, 1, position);
  EXPECT_EQ(position, -1200);
}

TEST(ClearProgress, ErasesAndShows) {
  RecordingSurface box;
  ClearProgress(box);
  EXPECT_EQ(box.calls, (std::vector<std::string>{"clear", "refresh"}));
}

}  // namespace
}  // namespace tyx
