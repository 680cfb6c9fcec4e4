#include "startup/StartUp.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/Harness.h"
#include "install/RecoverInstallation.h"
#include "product/Catalogue.h"
#include "startup/StagingFolder.h"
#include "update/UpdateFlow.h"

namespace tyx {
namespace {

using test::Harness;

struct Start : Harness {
  std::optional<tyx::Run> Run(const std::string& app = "app") {
    process.commandLine = dir.Path("data") + "," + dir.Path(app) + ",whatever.exe";
    return StartUp(platform, log);
  }
  // The registry's value names for <tmp>\app: its path with "/" for "\".
  std::string ValueBase() {
    std::string base = dir.Path("app");
    std::replace(base.begin(), base.end(), '\\', '/');
    return base;
  }
};

TEST(StartUp, IdentifiesTheProductByProbeOrRegistry) {
  const std::string kNone = "Typ aplikace nebyl nastaven. Aktualizace nebude provedena.";
  const std::string longName(248, 'k');  // with the blanks, longer than the first buffer
  struct Case {
    std::vector<std::string> files;
    std::string exe;  // registry values; "" or nullptr: absent
    const char* typ;
    std::string product, app;  // app "": identification fails
    std::vector<std::string> log;  // "" stands for the application folder
  } cases[] = {
      {{"Norva.exe", "NorvaPro.exe"}, "", nullptr, "Norva", "Norva.exe", {}},  // catalogue order
      {{"TalvikProV.exe"}, "", nullptr, "TalvikPro", "TalvikPro.exe", {}},     // one build is enough
      {{"kasa.exe"}, " kasa ", "Norva ", "Norva", "kasa.exe", {}},
      {{"kasa.exe", "NorvaV.exe"}, "kasa", "Norva", "Norva", "kasa.exe", {}},  // renamed installation
      {{"kasa.exe", "NorvaV.exe"}, "kasa", "Bremo", "Norva", "Norva.exe", {}},
      {{"kasa.exe", "NorvaV.exe"}, "pokladna", "Norva", "Norva", "Norva.exe", {}},
      {{"kasa.exe", "NorvaV.exe", "Norva.exe"}, "kasa", "Norva", "Norva", "Norva.exe", {}},  // stale values
      {{longName + ".exe"}, std::string(10, ' ') + longName, "Bremo", "Bremo", longName + ".exe", {}},
      {{"kasa.exe"}, "kasa", nullptr, "", "", {kNone}},
      {{"kasa.exe"}, "kasa", "", "", "", {kNone}},
      {{"kasa.exe"}, "kasa", "norva", "", "", {"Typ aplikace norva není definován. Aktualizace nebude provedena."}},
      {{}, "kasa", "Norva", "", "", {"Aplikace \\kasa.exe nebyla nalezena. Aktualizace nebude provedena."}},
      {{"readme.txt"}, "", nullptr, "", "",
       {"Zdroj: Software\\Tyx\\/exe",
        "Jméno aplikace nebylo nastaveno. Aplikace nebyla nalezena. Aktualizace nebude provedena."}},
  };
  for (Case& c : cases) {
    Start h;
    for (const std::string& f : c.files) h.dir.Write("app/" + f, "");
    if (!c.exe.empty()) h.registry.SetText("Software\\Tyx\\", h.ValueBase() + "/exe", c.exe);
    if (c.typ) h.registry.SetText("Software\\Tyx\\", h.ValueBase() + "/typ", c.typ);
    auto run = h.Run();
    EXPECT_EQ(run.has_value(), !c.app.empty()) << c.product << c.app;
    if (run) {
      EXPECT_EQ(run->gProduct, c.product);
      EXPECT_EQ(run->cApp, c.app);
    }
    for (std::string& line : c.log) {
      size_t at = line.find("\\kasa");
      if (at != std::string::npos) line.insert(at, h.dir.Path("app"));
      if ((at = line.find("\\/exe")) != std::string::npos) line.insert(at + 1, h.ValueBase());
    }
    EXPECT_EQ(h.LogMessages(), c.log) << c.app;
    EXPECT_EQ(h.registry.open, 0);
  }
}

TEST(StartUp, FoldersOfTheRun) {
  Start h;
  h.dir.Write("own/Bremo.exe", "");
  h.dir.Write("app/Norva.exe", "");
  auto run = h.Run();
  ASSERT_TRUE(run);
  EXPECT_EQ(run->gRegKey + run->gRegSubKey, "Software\\Tyx\\Norva\\" + h.ValueBase());
  EXPECT_EQ(run->gNewVerPath, h.dir.Path("temp") + "\\TyxNewVer");
  EXPECT_FALSE(h.Run("nowhere"));
  h.process.commandLine = "";  // the updater's own folder serves as both
  run = StartUp(h.platform, h.log);
  ASSERT_TRUE(run);
  EXPECT_EQ(run->gAppPath + run->gDataPath + run->gProduct, h.dir.Path("own") + h.dir.Path("own") + "Bremo");
  h.files = test::StdFileSystem(h.dir.Path("gone"));  // a temporary folder without a long form
  EXPECT_EQ(StartUp(h.platform, h.log)->gNewVerPath, h.dir.Path("gone") + "\\TyxNewVer");
}

TEST(StartUp, AnotherRunningUpdateIsWaitedForThenLeftAlone) {
  Harness h;
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

TEST(Catalogue, LookUpIsExact) {
  ASSERT_NE(FindProduct("NorvaPro"), nullptr);
  EXPECT_STREQ(FindProduct("NorvaPro")->regKey, "Software\\Tyx\\NorvaPro");
  EXPECT_EQ(FindProduct("norva"), nullptr);
  EXPECT_EQ(FindProduct("Norva "), nullptr);
}

TEST(Staging, EmptiesFilesKeepsSubfoldersAndStopsAtAFileInUse) {
  Harness h;
  tyx::Run run;
  run.gNewVerPath = h.dir.Path("temp") + "\\TyxNewVer";
  EXPECT_TRUE(PrepareStagingFolder(h.files, h.log, run));  // created
  h.dir.Write("temp/TyxNewVer/old.exe", "x");
  h.dir.Write("temp/TyxNewVer/sub/keep.txt", "x");
  h.dir.Write("app/Norva.exe", "x");
  std::filesystem::create_directory_symlink(h.dir.Native("app"), h.dir.Native("temp/TyxNewVer/planted"));
  std::filesystem::permissions(h.dir.Native("temp/TyxNewVer/old.exe"), std::filesystem::perms::owner_read);
  EXPECT_TRUE(PrepareStagingFolder(h.files, h.log, run));
  EXPECT_FALSE(h.dir.Exists("temp/TyxNewVer/old.exe"));
  EXPECT_FALSE(h.dir.Exists("temp/TyxNewVer/planted"));
  EXPECT_TRUE(h.dir.Exists("temp/TyxNewVer/sub/keep.txt"));
  EXPECT_TRUE(h.dir.Exists("app/Norva.exe"));
  EXPECT_FALSE(h.dir.Exists("own/Update.log"));
  h.dir.Write("temp/TyxNewVer/busy.dll", "x");
  h.files.locked.push_back(run.gNewVerPath + "\\busy.dll");
  EXPECT_FALSE(PrepareStagingFolder(h.files, h.log, run));
  EXPECT_EQ(h.LogMessages(), (std::vector<std::string>{"Adresář " + run.gNewVerPath +
                                                       " nelze připravit pro aktualizaci (Permission denied). "
                                                       "Aktualizace nebude provedena."}));
}

// An interrupted installation: a.txt and b.txt replaced, c.txt new, d.txt's
// backup made but not yet recorded. b.txt cannot be restored at first.
TEST(Staging, AnInterruptedInstallationIsUndoneBeforeTheNextRun) {
  Harness h;
  const std::string app = h.dir.Path("app"), backup = app + "\\OldVer\\261207140508";
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) h.dir.Write(std::string("app/") + name, "new");
  for (const char* name : {"a.txt", "b.txt", "d.txt"}) h.dir.Write(std::string("app/OldVer/261207140508/") + name, "old");
  h.dir.Write("app/OldVer/261207140508/TyxUpdate.jnl", "K a.txt\r\nK b.txt\r\nN c.txt\r\nK d.t");
  h.dir.Write("app/OldVer/261201000000/TyxUpdate.jnl", "K a.txt\r\nEND\r\n");
  h.files.locked.push_back(app + "\\b.txt");
  EXPECT_FALSE(RecoverInstallation(h.files, h.log, app));
  h.files.locked.clear();
  EXPECT_TRUE(RecoverInstallation(h.files, h.log, app));
  EXPECT_TRUE(RecoverInstallation(h.files, h.log, app));
  for (const char* name : {"a.txt", "b.txt"}) EXPECT_EQ(h.dir.Read(std::string("app/") + name), "old");
  EXPECT_EQ(h.dir.Read("app/d.txt"), "new");
  EXPECT_FALSE(h.dir.Exists("app/c.txt"));
  EXPECT_EQ(h.LogMessages(),
            (std::vector<std::string>{
                "Nalezena nedokončená aktualizace " + backup, "Odstranění souboru c.txt", "Obnovení souboru b.txt",
                "Předchozí verze nebyla obnovena celá!  (Permission denied)",
                "V záloze zůstává soubor " + backup + "\\b.txt", "V záloze zůstává soubor " + backup + "\\a.txt",
                "Aktualizace nebude provedena.", "Nalezena nedokončená aktualizace " + backup,
                "Obnovení souboru b.txt", "Obnovení souboru a.txt", "Předchozí verze obnovena"}));
}

}  // namespace
}  // namespace tyx
