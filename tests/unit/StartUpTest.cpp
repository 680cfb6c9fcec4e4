#include "startup/StartUp.h"

#include <gtest/gtest.h>

#include "fakes/Harness.h"
#include "product/Catalogue.h"
#include "startup/StagingFolder.h"
#include "update/UpdateFlow.h"

namespace tyx {
namespace {

using test::Harness;

class StartUpTest : public ::testing::Test {
 protected:
  std::optional<tyx::Run> Start(const std::string& appRelative) {
    h.process.commandLine = h.dir.Path("data") + "," + h.dir.Path(appRelative) + ",whatever.exe";
    return StartUp(h.platform, h.log);
  }
  std::string ValueBase(const std::string& appRelative) {
    std::string base = h.dir.Path(appRelative);
    for (char& c : base)
      if (c == '\\') c = '/';
    return base;
  }
  // The executable and the product type the registry gives for <tmp>\app.
  void Register(const std::string& exe, const std::string& type) {
    h.registry.SetText("Software\\Tyx\\", ValueBase("app") + "/exe", exe);
    h.registry.SetText("Software\\Tyx\\", ValueBase("app") + "/typ", type);
  }
  Harness h;
};

TEST_F(StartUpTest, ProbeTakesCatalogueOrderNotTheNamedExecutable) {
  h.dir.Write("app/Norva.exe", "");
  h.dir.Write("app/NorvaPro.exe", "");
  auto run = Start("app");
  ASSERT_TRUE(run);
  EXPECT_EQ(run->gProduct, "Norva");
  EXPECT_EQ(run->cApp, "Norva.exe");
  EXPECT_EQ(run->gRegKey, "Software\\Tyx\\Norva");
  EXPECT_EQ(run->gRegSubKey, "\\" + ValueBase("app"));
  EXPECT_EQ(run->gNewVerPath, h.dir.Path("temp") + "\\TyxNewVer");
}

TEST_F(StartUpTest, OneEditionBuildIsEnough) {
  h.dir.Write("app/TalvikProV.exe", "");
  auto run = Start("app");
  ASSERT_TRUE(run);
  EXPECT_EQ(run->gProduct, "TalvikPro");
  EXPECT_EQ(run->cApp, "TalvikPro.exe");
}

TEST_F(StartUpTest, EmptyCommandLineUsesTheUpdatersOwnFolder) {
  h.dir.Write("own/Bremo.exe", "");
  h.process.commandLine = "";
  auto run = StartUp(h.platform, h.log);
  ASSERT_TRUE(run);
  EXPECT_EQ(run->gAppPath, h.dir.Path("own"));
  EXPECT_EQ(run->gDataPath, h.dir.Path("own"));
  EXPECT_EQ(run->gProduct, "Bremo");
  EXPECT_EQ(run->gCmdLine, "");
}

TEST_F(StartUpTest, RegistryNamesTheExecutableAndTheType) {
  h.dir.Write("app/kasa.exe", "");
  Register(" kasa ", "Norva ");
  auto run = Start("app");
  ASSERT_TRUE(run);
  EXPECT_EQ(run->cApp, "kasa.exe");
  EXPECT_EQ(run->gProduct, "Norva");
  EXPECT_EQ(h.registry.open, 0);
}

// A second update of an installation renamed to kasa.exe: the edition builds
// the first one left make the probe succeed, but kasa.exe is what is started.
TEST_F(StartUpTest, RenamedInstallationKeepsItsRegisteredName) {
  h.dir.Write("app/kasa.exe", "");
  h.dir.Write("app/NorvaV.exe", "");
  Register("kasa", "Norva");
  auto run = Start("app");
  ASSERT_TRUE(run);
  EXPECT_EQ(run->gProduct, "Norva");
  EXPECT_EQ(run->cApp, "kasa.exe");
}

TEST_F(StartUpTest, RegisteredNameOfAnotherProductOrAMissingFileIsIgnored) {
  h.dir.Write("app/NorvaV.exe", "");
  h.dir.Write("app/kasa.exe", "");
  Register("kasa", "Bremo");
  EXPECT_EQ(Start("app")->cApp, "Norva.exe");
  Register("pokladna", "Norva");
  EXPECT_EQ(Start("app")->cApp, "Norva.exe");
}

TEST_F(StartUpTest, AnotherRunningUpdateIsWaitedForThenLeftAlone) {
  h.dir.Write("app/Bremo.exe", "");
  h.dir.Write("temp/TyxNewVer/update.cab", "the other run's package");
  h.process.commandLine = h.dir.Path("data") + "," + h.dir.Path("app") + ",Bremo.exe";
  h.process.lockFree = false;
  test::FakeWindow window;
  EXPECT_EQ(Main(h.platform, window), 0);
  EXPECT_EQ(h.LogMessages(),
            (std::vector<std::string>{"Jiná aktualizace právě probíhá. Aktualizace nebude provedena."}));
  EXPECT_EQ(h.dir.Read("temp/TyxNewVer/update.cab"), "the other run's package");
  ASSERT_EQ(h.shell.started.size(), 1u);
  EXPECT_EQ(h.shell.started[0].file, h.dir.Path("app") + "\\Bremo.exe");
}

TEST_F(StartUpTest, FailedIdentificationLogsWhyAndEnds) {
  h.dir.Write("app/readme.txt", "");
  EXPECT_FALSE(Start("app"));
  EXPECT_EQ(h.LogMessages(),
            (std::vector<std::string>{"Zdroj: Software\\Tyx\\" + ValueBase("app") + "/exe",
                                      "Jméno aplikace nebylo nastaveno. Aplikace nebyla nalezena. Aktualizace "
                                      "nebude provedena."}));
}

TEST_F(StartUpTest, EachRegistryFailureHasItsOwnLine) {
  const std::string exeName = ValueBase("app") + "/exe", typName = ValueBase("app") + "/typ";
  h.registry.SetText("Software\\Tyx\\", exeName, "kasa");
  EXPECT_FALSE(Start("app"));  // kasa.exe is not there
  h.dir.Write("app/kasa.exe", "");
  EXPECT_FALSE(Start("app"));  // no type value
  h.registry.SetText("Software\\Tyx\\", typName, "norva");
  EXPECT_FALSE(Start("app"));  // the type is compared case-sensitively
  h.registry.SetText("Software\\Tyx\\", typName, "");
  EXPECT_FALSE(Start("app"));  // an empty type
  EXPECT_EQ(h.LogMessages(),
            (std::vector<std::string>{
                "Aplikace " + h.dir.Path("app") + "\\kasa.exe nebyla nalezena. Aktualizace nebude provedena.",
                "Typ aplikace nebyl nastaven. Aktualizace nebude provedena.",
                "Typ aplikace norva není definován. Aktualizace nebude provedena.",
                "Typ aplikace nebyl nastaven. Aktualizace nebude provedena."}));
}

TEST_F(StartUpTest, LongExeValueIsReadWhole) {
  std::string name(248, 'k');  // with the blanks, longer than the first buffer
  h.dir.Write("app/" + name + ".exe", "");
  Register(std::string(10, ' ') + name, "Bremo");
  auto run = Start("app");
  ASSERT_TRUE(run);
  EXPECT_EQ(run->cApp, name + ".exe");
}

TEST_F(StartUpTest, MissingApplicationFolder) {
  EXPECT_FALSE(Start("nowhere"));
  EXPECT_EQ(h.LogMessages().size(), 2u);
}

TEST_F(StartUpTest, TemporaryFolderWithoutLongFormStillGivesAStagingFolderBelowIt) {
  h.dir.Write("app/Bremo.exe", "");
  h.files = test::StdFileSystem(h.dir.Path("gone"));
  auto run = Start("app");
  ASSERT_TRUE(run);
  EXPECT_EQ(run->gNewVerPath, h.dir.Path("gone") + "\\TyxNewVer");
}

TEST(Catalogue, LookUpIsExact) {
  ASSERT_NE(FindProduct("NorvaPro"), nullptr);
  EXPECT_STREQ(FindProduct("NorvaPro")->regKey, "Software\\Tyx\\NorvaPro");
  EXPECT_EQ(FindProduct("norva"), nullptr);
  EXPECT_EQ(FindProduct("Norva "), nullptr);
  int norva = 0;
  for (const Product& p : kCatalogue) norva += p.norvaFamily;
  EXPECT_EQ(norva, 3);
}

class StagingTest : public ::testing::Test {
 protected:
  Harness h;
  tyx::Run run;
  void SetUp() override { run.gNewVerPath = h.dir.Path("temp") + "\\TyxNewVer"; }
};

TEST_F(StagingTest, EmptiesFilesButLeavesSubfolders) {
  h.dir.Write("temp/TyxNewVer/old.exe", "x");
  h.dir.Write("temp/TyxNewVer/sub/keep.txt", "x");
  std::filesystem::permissions(h.dir.Native("temp/TyxNewVer/old.exe"), std::filesystem::perms::owner_read);
  EXPECT_TRUE(PrepareStagingFolder(h.files, h.log, run));
  EXPECT_FALSE(h.dir.Exists("temp/TyxNewVer/old.exe"));
  EXPECT_TRUE(h.dir.Exists("temp/TyxNewVer/sub/keep.txt"));
}

TEST_F(StagingTest, CreatesAMissingFolderAndAcceptsAnEmptyOne) {
  EXPECT_TRUE(PrepareStagingFolder(h.files, h.log, run));
  EXPECT_TRUE(h.dir.Exists("temp/TyxNewVer"));
  EXPECT_TRUE(PrepareStagingFolder(h.files, h.log, run));
  EXPECT_FALSE(h.dir.Exists("own/Update.log"));
}

TEST_F(StagingTest, AFileInUseIsLoggedAndStopsTheRun) {
  h.dir.Write("temp/TyxNewVer/busy.dll", "x");
  h.files.locked.push_back(run.gNewVerPath + "\\busy.dll");
  EXPECT_FALSE(PrepareStagingFolder(h.files, h.log, run));
  EXPECT_EQ(h.LogMessages(), (std::vector<std::string>{"Adresář " + run.gNewVerPath +
                                                       " nelze připravit pro aktualizaci (Permission denied). "
                                                       "Aktualizace nebude provedena."}));
}

}  // namespace
}  // namespace tyx
