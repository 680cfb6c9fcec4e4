#include "startup/StartUp.h"

#include <gtest/gtest.h>

#include "fakes/Fakes.h"
#include "platform/Text.h"
#include "platform/VersionInfo.h"
#include "startup/CommandLine.h"
#include "startup/StagingFolder.h"
#include "update/UpdateFlow.h"

namespace tyx::test {


TEST(CommandLine, FieldsAreLowerCasedAndTrimmed) {
  const struct {
    const char* line;
    Lines fields;  // data, app, exe, channel
  } cases[] = {
      {"D:\\Data, C:\\App , NorvaPro.exe, BETA ", {"d:\\data", "c:\\app", "norvapro.exe", "beta"}},
      {"d:\\data;c:\\app", {"d:\\data;c:\\app", "", "", ""}},
      {"a,b,c,d,e,f", {"a", "b", "c", "d"}},
      {"a,,b", {"a", "", "b", ""}},  // an empty field reads as one blank, trimmed
      {"\"C:\\Data\",c:\\app,", {"\"c:\\data\"", "c:\\app", "", ""}},
      {"D:\\ÚČETNÍ DATA,C:\\ŘEŠENÍ Žluťoučký", {"d:\\účetní data", "c:\\řešení žluťoučký", "", ""}},
  };
  for (const auto& c : cases) {
    tyx::Run run;
    ReadCommandLine(c.line, run);
    EXPECT_EQ((Lines{run.gDataPath, run.gAppPath, run.cApp, run.gChannel}), c.fields) << c.line;
  }
  EXPECT_EQ(LowerCase(std::string("ÁČĎÉĚÍŇÓŘŠŤÚŮÝŽĹĽŁŃŹŻ\xC3(\xFF")), "áčďéěíňóřšťúůýžĺľłńźż\xC3(\xFF");
}

TEST(StartUp, IdentifiesTheProductByProbeOrRegistry) {
  const std::string kNone = "Typ aplikace nebyl nastaven. Aktualizace nebude provedena.", longName(248, 'k');
  struct Case {
    Lines files;
    std::string exe;  // the registry's values; "" or nullptr: absent
    const char* typ;
    std::string product, app;  // app "": identification fails
    Lines log;                 // "@" stands for the application folder's value base
    bool emptyCommandLine = false;  // then the updater's own folder is the data and the application folder
  } cases[] = {
      {{"Norva.exe", "NorvaPro.exe"}, "", nullptr, "Norva", "Norva.exe", {}},  // catalogue order
      {{"TalvikProV.exe"}, "", nullptr, "TalvikPro", "TalvikPro.exe", {}, true},  // one build is enough
      {{"kasa.exe"}, " kasa ", "Norva ", "Norva", "kasa.exe", {}},
      {{"kasa.exe", "NorvaV.exe"}, "kasa", "Bremo", "Norva", "Norva.exe", {}},
      {{"kasa.exe", "NorvaV.exe", "Norva.exe"}, "kasa", "Norva", "Norva", "Norva.exe", {}},  // stale values
      {{longName + ".exe"}, std::string(10, ' ') + longName, "Bremo", "Bremo", longName + ".exe", {}},
      {{"kasa.exe"}, "kasa", "", "", "", {kNone}},
      {{"kasa.exe"}, "kasa", "norva", "", "", {"Typ aplikace norva není definován. Aktualizace nebude provedena."}},
      {{}, "kasa", "Norva", "", "", {"Aplikace #\\kasa.exe nebyla nalezena. Aktualizace nebude provedena."}},
      {{"kasa.exe"}, "..\\kasa", "Norva", "", "", {"Jméno aplikace '..\\kasa' není platné. Aktualizace nebude provedena."}},
      {{"readme.txt"}, "", nullptr, "", "",
       {"Zdroj: Software\\Tyx\\@/exe", "Jméno aplikace nebylo nastaveno. Aplikace nebyla nalezena. Aktualizace "
                                       "nebude provedena."}},
  };
  for (Case& c : cases) {
    test::Harness h;
    const std::string folder = c.emptyCommandLine ? "own" : "app";
    std::string base = h.dir.Path(folder);
    std::replace(base.begin(), base.end(), '\\', '/');
    for (const std::string& f : c.files) h.dir.Write(folder + "/" + f, "");
    if (!c.exe.empty()) h.os.SetText("Software\\Tyx\\", base + "/exe", c.exe);
    if (c.typ) h.os.SetText("Software\\Tyx\\", base + "/typ", c.typ);
    if (!c.emptyCommandLine) h.os.commandLine = h.dir.Path("data") + "," + h.dir.Path("app") + ",whatever.exe";
    auto run = StartUp(h.platform, h.log);
    EXPECT_EQ(run ? run->gProduct + run->cApp : "", c.product + c.app);
    for (std::string& line : c.log) {
      if (size_t at = line.find('@'); at != std::string::npos) line.replace(at, 1, base);
      if (size_t at = line.find('#'); at != std::string::npos) line.replace(at, 1, h.dir.Path("app"));
    }
    EXPECT_EQ(h.LogMessages(), c.log) << c.app;
    EXPECT_EQ(h.os.openKeys, 0);
    if (c.emptyCommandLine) {  // the run's folders and key
      EXPECT_EQ(run->gRegKey + run->gRegSubKey, "Software\\Tyx\\TalvikPro\\" + base);
      EXPECT_EQ(run->gDataPath, h.dir.Path("own"));
      EXPECT_EQ(run->gNewVerPath, h.dir.Path("own") + "\\OldVer\\TyxNewVer");
    }
  }
}

TEST(StartUp, AnotherRunningUpdateIsWaitedForThenLeftAlone) {
  test::Harness h;
  h.dir.Write("app/Bremo.exe", "");
  h.dir.Write("app/OldVer/TyxNewVer/update.cab", "the other run's package");
  h.os.commandLine = h.dir.Path("data") + "," + h.dir.Path("app") + ",Bremo.exe";
  h.files.busy.insert(h.dir.Path("app\\OldVer\\TyxUpdate.lock"));  // a run of another machine
  EXPECT_EQ(Main(h.platform, h.window), 0);
  EXPECT_EQ(h.LogMessages(), (Lines{"Aktualizace v adresáři " + h.dir.Path("app") +
                                        " právě probíhá. Čekání na její dokončení.",
                                    "Jiná aktualizace právě probíhá. Aktualizace nebude provedena."}));
  EXPECT_GE(h.os.ticks, 120000u);
  h.files.busy.clear();
  h.os.lockFree = false;  // one of this user's
  EXPECT_EQ(Main(h.platform, h.window), 0);
  EXPECT_EQ(h.LogMessages().back(), "Jiná aktualizace právě probíhá. Aktualizace nebude provedena.");
  EXPECT_EQ(h.dir.Read("app/OldVer/TyxNewVer/update.cab"), "the other run's package");
  EXPECT_EQ(h.os.started, Lines(2, h.dir.Path("app") + "\\Bremo.exe|"));
}

TEST(Staging, IsEmptiedWholeAndStopsAtAFileInUse) {
  test::Harness h;
  std::filesystem::remove_all(h.dir.Native("app/OldVer/TyxNewVer"));
  EXPECT_TRUE(PrepareStagingFolder(h.files, h.log, h.run));  // created
  h.dir.Write("app/OldVer/TyxNewVer/old.exe", "x");
  h.dir.Write("app/OldVer/TyxNewVer/sub/deeper/left.txt", "x");  // would fail the next signed package's check
  EXPECT_TRUE(PrepareStagingFolder(h.files, h.log, h.run));  // links planted there: the end-to-end runs
  EXPECT_TRUE(std::filesystem::is_empty(h.dir.Native("app/OldVer/TyxNewVer")) && h.dir.Exists("app/.keep"));
  h.dir.Write("app/OldVer/TyxNewVer/busy.dll", "x");
  h.files.locked.push_back(h.run.gNewVerPath + "\\busy.dll");
  EXPECT_FALSE(PrepareStagingFolder(h.files, h.log, h.run));
  EXPECT_EQ(h.LogMessages(), Lines{"Adresář " + h.run.gNewVerPath + " nelze připravit pro aktualizaci (Permission "
                                                                     "denied). Aktualizace nebude provedena."});
}

TEST(System, TheLog) {  // Windows' version: the rows of Verify and Install
  test::Harness h;
  int pumps = 0;
  h.log.SetPump([&] { ++pumps; });
  h.log.WriteLog("První řádek");
  h.os.now = {2026, 1, 2, 0, 0, 0};
  h.log.WriteLog("");
  EXPECT_EQ(h.dir.Read("own/Update.log"), "[7.12.2026 14:05:09]První řádek\r\n[2.1.2026]\r\n");
  h.files.locked.push_back(h.log.Path());
  h.log.WriteLog("lost");  // swallowed
  EXPECT_EQ(pumps, 3);
}

}  // namespace tyx::test
