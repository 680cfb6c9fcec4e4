#include "install/InstallUpdate.h"

#include <gtest/gtest.h>

#include "fakes/Fakes.h"
#include "install/CloseApplication.h"
#include "install/ExecCmd.h"

namespace tyx::test {

using Files = std::map<std::string, std::string>;

// The application folder and the backup after an installation; "-" for a file that must not be there.
TEST(Install, Cases) {
  const std::string kDone = "Aktualizace provedena";
  struct Case {
    const char *what, *exe;  // exe: the installed executable's name
    uint32_t major;  // Windows' major version, 0: unknown
    Files installed, staged;
    std::string status;
    Files app, backup;
    Lines logTail;  // the log's last lines
  } cases[] = {
      {"Norva on NT 6", "Norva.exe", 6,
       {{"Norva.exe", "old exe"}, {"readme.txt", "old"}, {"qendata.mdb", "data"}, {"TyxUpdate.exe", "old updater"}},
       {{"NorvaV.exe", "V"}, {"NorvaXP.exe", "XP"}, {"readme.txt", "new"}, {"TyxUpdate.exe", "new updater"},
        {"UPDATE.CAB", "package"}, {"Pack.Lst", "list"}}, kDone,
       {{"Norva.exe", "V"}, {"NorvaXP.exe", "XP"}, {"NorvaV.exe", "V"}, {"readme.txt", "new"},
        {"TyxUpdate.exe", "old updater"}, {"TyxUpdateNew.exe", "new updater"}, {"UPDATE.CAB", "-"}},
       {{"Norva.exe", "old exe"}, {"readme.txt", "old"}, {"TyxUpdate.exe", "old updater"}, {"qendata.mdb", "data"}},
       {"Kopírování souborů...", "Zálohování souboru Norva.exe", "Kopírování souboru Norva.exe",
        "Pokus o zavření aplikace NorvaMon", "norvav.exe", "Zálohování souboru TyxUpdate.exe",
        "Kopírování souboru TyxUpdate.exe", "Zálohování souboru readme.txt", "Kopírování souboru readme.txt",
        "Zálohování datového souboru", kDone}},
      {"unknown Windows: no build becomes the executable", "Norva.exe", 0, {{"Norva.exe", "old"}},
       {{"NorvaXP.exe", "XP"}, {"NorvaV.exe", "V"}}, kDone, {{"Norva.exe", "old"}, {"NorvaXP.exe", "XP"}}, {}, {}},
      {"XP", "Norva.exe", 5, {{"Norva.exe", "old"}}, {{"NorvaXP.exe", "XP"}, {"NorvaV.exe", "V"}}, kDone,
       {{"Norva.exe", "XP"}}, {}, {}},
      {"another name without a new executable", "kasa.exe", 6, {{"kasa.exe", "old kasa"}}, {{"readme.txt", "r"}},
       "Chyba při aktualizaci!  (File not found)", {{"kasa.exe", "old kasa"}}, {}, {}},
      {"a name differing only in case is no rename", "norva.exe", 6, {{"Norva.exe", "old"}}, {{"NorvaV.exe", "V"}},
       kDone, {{"Norva.exe", "V"}}, {}, {}},
      {"a file is backed up once, with what was there before the run", "Norva.exe", 6,
       {{"Norva.exe", "old exe"}, {"qendata.mdb", "user's data"}},
       {{"Norva.exe", "plain"}, {"NorvaV.exe", "V"}, {"qendata.mdb", "package data"}}, kDone,
       {{"Norva.exe", "V"}}, {{"Norva.exe", "old exe"}, {"qendata.mdb", "user's data"}}, {}},
      {"the updater's log", "Norva.exe", 6, {{"Norva.exe", "old"}}, {{"NorvaV.exe", "V"}, {"Update.log", "x"}},
       "Aktualizační soubor obsahuje nepřípustný soubor 'Update.log'. Aktualizace nebude provedena.",
       {{"Norva.exe", "old"}, {"OldVer/261207140509", "-"}}, {}, {}},
      {"the backup root", "Norva.exe", 6, {{"Norva.exe", "old"}}, {{"NorvaV.exe", "V"}, {"OLDVER", "x"}},
       "Aktualizační soubor obsahuje nepřípustný soubor 'OLDVER'. Aktualizace nebude provedena.",
       {{"Norva.exe", "old"}, {"OldVer/261207140509", "-"}}, {}, {}},
      {"package files only", "Norva.exe", 6, {}, {{"update.inf", "x"}, {"pack.cab", "p"}}, kDone,
       {{"update.inf", "-"}}, {}, {"Kopírování souborů...", "Zálohování datového souboru", kDone}},
  };
  for (Case& c : cases) {
    test::Harness h;
    h.run.cApp = c.exe;
    h.os.major = c.major;
    h.os.windows["NorvaMon"] = 501;
    for (auto& [name, content] : c.installed) h.dir.Write("app/" + name, content);
    for (auto& [name, content] : c.staged) h.dir.Write("app/OldVer/TyxNewVer/" + name, content);
    InstallUpdate(h.session);
    EXPECT_EQ(h.window.statusCaption, c.status) << c.what;
    EXPECT_EQ(h.run.gUpdated, c.status == kDone) << c.what;
    EXPECT_EQ(h.window.pointer, MousePointer::Default);
    for (auto& [name, content] : c.app)
      EXPECT_EQ(h.dir.Exists("app/" + name) ? h.dir.Read("app/" + name) : "-", content) << c.what << ": " << name;
    for (auto& [name, content] : c.backup)
      EXPECT_EQ(h.dir.Read("app/OldVer/261207140509/" + name), content) << c.what << ": " << name;
    Lines log = h.LogMessages();
    if (log.size() > c.logTail.size()) log.erase(log.begin(), log.end() - static_cast<long>(c.logTail.size()));
    if (!c.logTail.empty()) {
      EXPECT_EQ(log, c.logTail) << c.what;
    }
    if (c.status == kDone) {
      EXPECT_FALSE(h.dir.Exists("app/OldVer/TyxNewVer")) << c.what;
    } else {
      EXPECT_EQ(h.LogMessages().size() == 1, c.status.find("nepřípustný") != std::string::npos) << c.what;
    }
    if (std::string(c.what) == "Norva on NT 6") {
      EXPECT_EQ(h.os.quits, std::vector<WindowHandle>{501});  // asked once; gone for the second build
      EXPECT_EQ(h.window.texts.front() + h.window.texts.back(), "20%99%");  // a step per file, package files not
      EXPECT_TRUE(h.window.Covered(5591));
    }
  }
  EXPECT_FALSE(FileCountOverflows(32766));
  EXPECT_TRUE(FileCountOverflows(32767));
}

// After a failure: the files as they were, also one that the quitting application wrote after the listing.
// Once the folder is complete a failure leaves it so.
TEST(Install, FailuresBeforeAndAfterTheFolderIsComplete) {
  for (bool late : {false, true}) {
    test::Harness h;
    h.os.windows["NorvaMon"] = 501;
    h.os.onQuit = [&] { h.dir.Write("app/settings.ini", "user's settings"); };
    for (const char* name : {"Norva.exe", "b.dll", "qendata.mdb"}) h.dir.Write(std::string("app/") + name, "old");
    for (const char* name : {"NorvaV.exe", "b.dll", "settings.ini"}) h.dir.Write(std::string("app/OldVer/TyxNewVer/") + name, "new");
    h.files.locked.push_back(late ? h.dir.Path("app/OldVer/261207140509/qendata.mdb") : h.run.gAppPath + "\\b.dll");
    InstallUpdate(h.session);
    EXPECT_EQ(h.window.statusCaption, "Chyba při aktualizaci!  (Permission denied)");
    EXPECT_FALSE(h.run.gUpdated);
    EXPECT_EQ(h.dir.Read("app/Norva.exe") + h.dir.Read("app/b.dll") + h.dir.Read("app/settings.ini"),
              late ? "newnewnew" : "oldolduser's settings");
  }
}

// The box's text and the request to quit are checked by the end-to-end run with a running instance.
TEST(CloseApplication, NothingRunningShowsNothingAStubbornOneIsGivenUpAfterHalfAMinute) {
  test::Harness h;
  CloseApplication(h.session, "Kartotéka Norva");
  EXPECT_TRUE(h.os.boxes.empty() && h.LogMessages().empty());
  h.os.windows["NorvaMon"] = 10;
  h.os.stubborn = true;
  uint32_t before = h.os.ticks;
  CloseApplication(h.session, "NorvaMon");
  EXPECT_GE(h.os.ticks - before, 30000u);
  EXPECT_LT(h.os.ticks - before, 31000u);
  ASSERT_EQ(h.os.boxes.size(), 1u);
  EXPECT_EQ(h.os.boxes[0].icon, MessageIcon::Information);
  EXPECT_EQ(h.os.openProcesses, 0);
}

// The texts of the shell's own codes are checked against the real shell by the Win32 layer's tests.
TEST(ExecCmd, AnElevatedRunStartsOnlyAsTheDesktopsUserAFailedStartBeepsAndExplainsInCzech) {
  struct Row {
    bool elevated, desktopShell;
    uint32_t shellResult;
    std::string started, box;  // box: text|title
  } rows[] = {
      {false, true, 42, "c:\\app\\x.exe|/S", ""},
      {false, true, 8, "c:\\app\\x.exe|/S", "Nedostatek paměti|Otevřít soubor"},
      {true, true, 42, "as user c:\\app\\x.exe|/S", ""},
      {true, false, 42, "", "Aplikaci c:\\app\\x.exe nelze spustit s právy uživatele. Spusťte ji znovu.|Otevřít soubor"},
  };
  for (const auto& row : rows) {
    test::Harness h;
    ExecCmd exec(h.os, h.os, nullptr);
    h.os.elevated = row.elevated;
    h.os.desktopShell = row.desktopShell;
    h.os.shellResult = row.shellResult;
    bool ok = exec.ShellExec("c:\\app\\x.exe", false, "/S") != 0;
    std::string started, box;
    for (const auto& s : h.os.started) started += s;
    for (const auto& b : h.os.boxes) box += b.text + "|" + b.title;
    EXPECT_EQ(started + "/" + box, row.started + "/" + row.box);
    EXPECT_EQ(ok, row.box.empty()) << row.box;
    EXPECT_EQ(h.os.beeps, row.box.empty() ? 0 : 1) << row.box;
  }
}

}  // namespace tyx::test
