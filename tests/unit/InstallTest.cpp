#include "install/InstallUpdate.h"

#include <gtest/gtest.h>

#include "fakes/SessionHarness.h"
#include "install/CloseApplication.h"
#include "install/ExecCmd.h"
#include "install/FinishRun.h"

namespace tyx {
namespace {

using test::SessionHarness;

class InstallTest : public ::testing::Test {
 protected:
  explicit InstallTest(const std::string& product = "Norva") : h(product) {}
  void Stage(const std::string& name, const std::string& content) { h.dir.Write("temp/TyxNewVer/" + name, content); }
  void Installed(const std::string& name, const std::string& content) { h.dir.Write("app/" + name, content); }
  std::string App(const std::string& name) { return h.dir.Read("app/" + name); }
  std::string Backup(const std::string& name) { return h.dir.Read("app/OldVer/261207140509/" + name); }
  SessionHarness h;
};

TEST_F(InstallTest, NorvaOnNt6BacksUpReplacesAndCleansUp) {
  Installed("Norva.exe", "old exe");
  Installed("readme.txt", "old readme");
  Installed("qendata.mdb", "data");
  Installed("TyxUpdate.exe", "old updater");
  Stage("NorvaV.exe", "V");
  Stage("NorvaXP.exe", "XP");
  Stage("readme.txt", "new readme");
  Stage("TyxUpdate.exe", "new updater");
  Stage("UPDATE.CAB", "package");
  Stage("Pack.Lst", "list");
  h.shell.windows["NorvaMon"] = 501;
  InstallUpdate(h.session);
  EXPECT_TRUE(h.run.gUpdated);
  EXPECT_EQ(App("Norva.exe"), "V");
  EXPECT_EQ(App("NorvaXP.exe"), "XP");
  EXPECT_EQ(App("NorvaV.exe"), "V");
  EXPECT_EQ(App("readme.txt"), "new readme");
  EXPECT_EQ(App("TyxUpdate.exe"), "old updater");  // the running updater is never overwritten
  EXPECT_EQ(App("TyxUpdateNew.exe"), "new updater");
  EXPECT_FALSE(h.dir.Exists("app/UPDATE.CAB"));
  EXPECT_EQ(Backup("Norva.exe"), "old exe");
  EXPECT_EQ(Backup("readme.txt"), "old readme");
  EXPECT_EQ(Backup("TyxUpdate.exe"), "old updater");
  EXPECT_EQ(Backup("qendata.mdb"), "data");
  EXPECT_FALSE(h.dir.Exists("temp/TyxNewVer"));
  EXPECT_EQ(h.shell.quits, std::vector<WindowHandle>{501});  // asked once; gone for the second build
  EXPECT_EQ(h.window.statusCaption, "Aktualizace provedena");
  EXPECT_TRUE(h.window.box.Covered(5591));
  EXPECT_EQ(h.LogMessages(),
            (std::vector<std::string>{"Kopírování souborů...", "Zálohování souboru Norva.exe",
                                      "Kopírování souboru Norva.exe", "Pokus o zavření aplikace NorvaMon",
                                      "norvav.exe", "Zálohování souboru TyxUpdate.exe",
                                      "Kopírování souboru TyxUpdate.exe", "Zálohování souboru readme.txt",
                                      "Kopírování souboru readme.txt", "Zálohování datového souboru",
                                      "Aktualizace provedena"}));
}

TEST_F(InstallTest, NoNorvaBuildBecomesTheExecutableOnAnUnknownWindows) {
  h.system.platformId = 1;
  Installed("Norva.exe", "old");
  Stage("NorvaXP.exe", "XP");
  Stage("NorvaV.exe", "V");
  InstallUpdate(h.session);
  EXPECT_EQ(App("Norva.exe"), "old");
  EXPECT_EQ(App("NorvaXP.exe"), "XP");
  EXPECT_TRUE(h.run.gUpdated);
}

TEST_F(InstallTest, InstalledUnderAnotherName) {
  h.run.cApp = "kasa.exe";
  Installed("kasa.exe", "old kasa");
  Stage("NorvaV.exe", "V");
  InstallUpdate(h.session);
  EXPECT_TRUE(h.run.gUpdated);
  EXPECT_EQ(App("kasa.exe"), "V");
  EXPECT_FALSE(h.dir.Exists("app/Norva.exe"));
  EXPECT_EQ(Backup("kasa.exe"), "old kasa");
  auto log = h.LogMessages();
  EXPECT_NE(std::find(log.begin(), log.end(), "Přejmenování souboru Norva.exe na kasa.exe"), log.end());
}

TEST_F(InstallTest, RenameWithoutANewExecutableLeavesTheInstalledOneInPlace) {
  h.run.cApp = "kasa.exe";
  Installed("kasa.exe", "old kasa");
  Stage("readme.txt", "r");
  InstallUpdate(h.session);
  EXPECT_FALSE(h.run.gUpdated);
  EXPECT_EQ(App("kasa.exe"), "old kasa");
  EXPECT_EQ(h.window.statusCaption, "Chyba při aktualizaci!  (File not found)");
}

TEST_F(InstallTest, NameDifferingOnlyInCaseIsNoRename) {
  h.run.cApp = "norva.exe";
  Installed("Norva.exe", "old");
  Stage("NorvaV.exe", "V");
  InstallUpdate(h.session);
  EXPECT_TRUE(h.run.gUpdated);
  EXPECT_EQ(App("Norva.exe"), "V");
}

TEST_F(InstallTest, LockedTargetStopsWithTheSystemsTextAndPutsThePreviousVersionBack) {
  Installed("Norva.exe", "old");
  Installed("b.dll", "old b");
  Stage("NorvaV.exe", "V");
  Stage("a.txt", "new a");
  Stage("b.dll", "new b");
  Stage("TyxUpdate.exe", "new updater");
  h.files.locked.push_back(h.run.gAppPath + "\\b.dll");
  InstallUpdate(h.session);
  EXPECT_FALSE(h.run.gUpdated);
  EXPECT_EQ(h.window.statusCaption, "Chyba při aktualizaci!  (Permission denied)");
  EXPECT_EQ(App("Norva.exe"), "old");
  EXPECT_EQ(App("b.dll"), "old b");
  for (const char* created : {"a.txt", "NorvaV.exe", "TyxUpdateNew.exe"}) EXPECT_FALSE(h.dir.Exists(std::string("app/") + created));
  EXPECT_EQ(Backup("b.dll"), "old b");
  EXPECT_TRUE(h.dir.Exists("temp/TyxNewVer/b.dll"));  // staging kept for the next run to clear
  EXPECT_EQ(h.window.pointer, MousePointer::Default);
  auto log = h.LogMessages();
  EXPECT_EQ(std::vector<std::string>(log.end() - 6, log.end()),
            (std::vector<std::string>{h.window.statusCaption, "Odstranění souboru a.txt",
                                      "Odstranění souboru TyxUpdateNew.exe", "Obnovení souboru Norva.exe",
                                      "Odstranění souboru NorvaV.exe", "Předchozí verze obnovena"}));
}

// The package's own data file or plain executable must not replace the
// backup of the user's.
TEST_F(InstallTest, AFileIsBackedUpOnceWithWhatWasThereBeforeTheRun) {
  Installed("Norva.exe", "old exe");
  Installed("qendata.mdb", "user's data");
  Stage("Norva.exe", "plain");
  Stage("NorvaV.exe", "V");
  Stage("qendata.mdb", "package data");
  InstallUpdate(h.session);
  EXPECT_TRUE(h.run.gUpdated);
  EXPECT_EQ(Backup("Norva.exe"), "old exe");
  EXPECT_EQ(Backup("qendata.mdb"), "user's data");
  EXPECT_FALSE(FileCountOverflows(32766));
  EXPECT_TRUE(FileCountOverflows(32767));
}

TEST(InstallRefusal, PackageWithTheUpdatersOwnNamesChangesNothing) {
  for (const char* name : {"Update.log", "OLDVER"}) {
    SessionHarness h;
    h.dir.Write("app/Norva.exe", "old");
    h.dir.Write("temp/TyxNewVer/NorvaV.exe", "V");
    h.dir.Write(std::string("temp/TyxNewVer/") + name, "x");
    InstallUpdate(h.session);
    EXPECT_FALSE(h.run.gUpdated);
    EXPECT_EQ(h.window.statusCaption, std::string("Aktualizační soubor obsahuje nepřípustný soubor '") + name +
                                          "'. Aktualizace nebude provedena.");
    EXPECT_EQ(h.LogMessages(), std::vector<std::string>{h.window.statusCaption});
    EXPECT_EQ(h.dir.Read("app/Norva.exe"), "old");
    EXPECT_FALSE(h.dir.Exists("app/OldVer"));
  }
}

TEST_F(InstallTest, OnlyPackageFilesMeansNothingCopied) {
  Stage("update.inf", "x");
  InstallUpdate(h.session);
  EXPECT_TRUE(h.run.gUpdated);
  EXPECT_EQ(h.LogMessages(), (std::vector<std::string>{"Kopírování souborů...", "Zálohování datového souboru",
                                                       "Aktualizace provedena"}));
}

TEST_F(InstallTest, ProgressCountsInstalledFiles) {
  Stage("a.txt", "a");
  Stage("b.txt", "b");
  Stage("pack.cab", "p");
  InstallUpdate(h.session);
  EXPECT_EQ(h.window.box.texts, (std::vector<std::string>{"33%", "67%", "99%"}));
}

TEST(CloseApplication, AsksWaitsAndGivesUp) {
  SessionHarness h;
  CloseApplication(h.session, "Kartotéka Norva");  // nothing running: nothing shown
  EXPECT_TRUE(h.dialogs.boxes.empty());
  EXPECT_TRUE(h.LogMessages().empty());

  h.shell.windows["Kartotéka Norva"] = 9;
  CloseApplication(h.session, "Kartotéka Norva");
  ASSERT_EQ(h.dialogs.boxes.size(), 1u);
  EXPECT_EQ(h.dialogs.boxes[0].text,
            "Aplikace Kartotéka Norva je spuštěna. Nyní proběhne pokus o její uzavření.\r\nPokud bude aplikace "
            "uzavřena, aktualizace bude dále pokračovat.");
  EXPECT_EQ(h.dialogs.boxes[0].icon, MessageIcon::Information);
  EXPECT_EQ(h.LogMessages(), std::vector<std::string>{"Pokus o zavření aplikace Kartotéka Norva"});
  EXPECT_TRUE(h.shell.windows.empty());

  h.shell.windows["NorvaMon"] = 10;
  h.shell.neverQuits = true;
  uint32_t before = h.system.ticks;
  CloseApplication(h.session, "NorvaMon");
  EXPECT_GE(h.system.ticks - before, 30000u);
  EXPECT_LT(h.system.ticks - before, 31000u);
  EXPECT_EQ(h.shell.openProcesses, 0);
}

TEST(ExecCmd, FailuresBeepAndExplainInCzech) {
  SessionHarness h;
  ExecCmd exec(h.shell, h.dialogs, nullptr);
  EXPECT_EQ(exec.ShellExec("c:\\app\\Norva.exe", false, ""), 42u);
  h.shell.result = 2;
  EXPECT_EQ(exec.ShellExec("c:\\app\\none.exe", false, ""), 0u);
  h.shell.result = 8;
  exec.ShellExec("c:\\app\\big.exe", false, "");
  h.shell.result = 0;
  exec.ShellExec("c:\\app\\x.exe", false, "");
  ASSERT_EQ(h.dialogs.boxes.size(), 3u);
  EXPECT_EQ(h.dialogs.boxes[0].text, "Soubor nebyl nalezen: c:\\app\\none.exe");
  EXPECT_EQ(h.dialogs.boxes[0].title, "Otevřít soubor");
  EXPECT_EQ(h.dialogs.boxes[1].text, "Nedostatek paměti");
  EXPECT_EQ(h.dialogs.boxes[2].text, "Nepředvídaná chyba při otevírání souboru: c:\\app\\x.exe");
  EXPECT_EQ(h.shell.beeps, 3);
  EXPECT_EQ(ShellErrorText(31, "a.xyz"), "Souboru není přiřazena žádná aplikace: a.xyz");
}

TEST(ExecCmd, WaitingPollsUntilTheProgramEnds) {
  SessionHarness h;
  int pumps = 0;
  ExecCmd exec(h.shell, h.dialogs, [&] { ++pumps; });
  h.shell.result = 42;
  exec.ShellExec("c:\\app\\tool.exe", true, "/S");
  EXPECT_EQ(pumps, 2);
  EXPECT_EQ(h.shell.openProcesses, 0);
  EXPECT_EQ(exec.WaitForProcess(0, true), 0u);
}

TEST(FinishRun, LibraryUpdaterOnlyAfterSuccessApplicationAlways) {
  for (bool updated : {true, false}) {
    SessionHarness h;
    h.dir.Write("app/tyxlibupdate.exe", "");
    h.run.gUpdated = updated;
    h.run.cApp = "kasa.exe";
    FinishRun(h.platform, h.run, nullptr);
    std::vector<std::string> started;
    for (auto& s : h.shell.started) started.push_back(s.file + "|" + s.parameters);
    std::vector<std::string> expected;
    if (updated) expected.push_back(h.run.gAppPath + "\\tyxlibupdate.exe|/S");
    expected.push_back(h.run.gAppPath + "\\kasa.exe|");
    EXPECT_EQ(started, expected);
  }
}

}  // namespace
}  // namespace tyx
