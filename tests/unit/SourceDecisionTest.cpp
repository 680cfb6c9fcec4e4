#include "download/SourceDecision.h"

#include <gtest/gtest.h>

#include "fakes/SessionHarness.h"
#include "product/Catalogue.h"
#include "update/UpdateFlow.h"

namespace tyx {
namespace {

using test::SessionHarness;

const std::string kMissing = "Aktualizační soubor 'update.cab' nebyl nalezen v adresáři s daty.";

TEST(SourceDecision, LocalTypeWithoutPackageSaysSoAndEnds) {
  SessionHarness h;
  h.registry.SetText(h.run.gRegKey + h.run.gRegSubKey, "NEWVERTYPE", "0");
  h.dir.Write("temp/update.cab", "stale");
  UpdateProduct(h.session);
  EXPECT_EQ(h.LogMessages(), (std::vector<std::string>{"Typ aktualizace: 0", kMissing}));
  EXPECT_EQ(h.window.statusCaption, kMissing);
  EXPECT_TRUE(h.window.timers[1]);
  EXPECT_FALSE(h.dir.Exists("temp/update.cab"));  // a stale package never survives
}

TEST(SourceDecision, LocalPackageThatCannotBeCopiedSaysSoAndEnds) {
  SessionHarness h;
  h.registry.SetText(h.run.gRegKey + h.run.gRegSubKey, "NEWVERTYPE", "0");
  h.dir.Write("data/update.cab", "MSCF");
  h.files.locked.push_back(h.run.gTempPath + "\\update.cab");
  UpdateProduct(h.session);
  EXPECT_EQ(h.window.statusCaption, "Aktualizační soubor 'update.cab' nelze připravit k rozbalení (Permission denied)");
  EXPECT_EQ(h.LogMessages().back(), h.window.statusCaption);
  EXPECT_TRUE(h.window.timers[1]);  // the window closes, the application is restarted
  EXPECT_EQ(h.cabinet.iterations, 0);
}

TEST(SourceDecision, OnlyExactlyZeroIsLocal) {
  for (const char* type : {"0 ", "00", "01", ""}) {
    SessionHarness h;
    h.registry.SetText(h.run.gRegKey + h.run.gRegSubKey, "NEWVERTYPE", type);
    DecideSource(h.session);
    EXPECT_EQ(h.LogMessages()[0], std::string("Typ aktualizace: ") + type);
    EXPECT_FALSE(h.form().mHost.empty()) << type;  // a web update
  }
}

TEST(SourceDecision, NorvaFamilyWithoutCommandLineIgnoresTheRegistry) {
  SessionHarness h("NorvaLite");
  h.run.gCmdLine = "  ";
  h.registry.SetText(h.run.gRegKey + h.run.gRegSubKey, "NEWVERTYPE", "0");
  DecideSource(h.session);
  EXPECT_EQ(h.LogMessages()[0], "Typ aktualizace: 1");
  SessionHarness t("Talvik");
  t.run.gCmdLine = "";
  t.registry.SetText(t.run.gRegKey + t.run.gRegSubKey, "NEWVERTYPE", "0");
  DecideSource(t.session);
  EXPECT_EQ(t.LogMessages()[0], "Typ aktualizace: 0");
}

TEST(SourceDecision, ProxyOnlyForExactlyOne) {
  for (auto [value, expected] : {std::pair{"1", true}, {"yes", false}, {"01", false}, {"true", false}}) {
    SessionHarness h;
    h.registry.SetText(h.run.gRegKey + h.run.gRegSubKey, "Proxy", value);
    DecideSource(h.session);
    EXPECT_EQ(h.run.gProxy, expected) << value;
    EXPECT_EQ(h.run.gProxyAdr, "");
  }
}

TEST(SourceDecision, ChannelPicksTheFolder) {
  SessionHarness beta("TalvikPro");
  beta.run.gChannel = "beta";
  DecideSource(beta.session);
  EXPECT_EQ(beta.form().mPath, "/tyx/talvikpro/beta/");
  SessionHarness other("Norva");
  other.run.gChannel = "betas";
  DecideSource(other.session);
  EXPECT_EQ(other.form().mPath, "/tyx/norva/newverall/");
}

TEST(SourceTable, FamiliesShareHosts) {
  WebSource a, b, c, d;
  ASSERT_TRUE(FindWebSource("Talvik", false, a));
  ASSERT_TRUE(FindWebSource("TalvikPro", true, b));
  ASSERT_TRUE(FindWebSource("Bremo", false, c));
  ASSERT_TRUE(FindWebSource("NorvaPro", true, d));
  EXPECT_EQ(a.host, b.host);
  EXPECT_NE(a.host, c.host);
  EXPECT_NE(a.host, d.host);
  EXPECT_EQ(d.path, "/tyx/norvapro/betaall/");
  EXPECT_EQ(a.host.find('/'), std::string::npos);
  EXPECT_FALSE(FindWebSource("norva", false, a));
}

}  // namespace
}  // namespace tyx
