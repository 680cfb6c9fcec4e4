#include "install/RecoverInstallation.h"

#include <gtest/gtest.h>

#include "fakes/Fakes.h"
#include "install/InstallUpdate.h"
#include "install/Journal.h"

namespace tyx::test {

using namespace std::string_literals;
using Files = std::map<std::string, std::string>;

// Its files, not its folders; not the write check's empty file, which only a power cut leaves behind.
Files Folder(const TempDir& dir, const std::string& relative) {
  Files files;
  for (auto& e : fs::directory_iterator(dir.Native(relative)))
    if (e.is_regular_file() && !(e.path().filename().string().starts_with("rad") && fs::is_empty(e.path())))
      files[e.path().filename()] = TempDir::Bytes(e.path());
  return files;
}

// Records left in OldVer\261207140508 (an older, finished one beside it) and what the next run makes of them.
TEST(Recovery, Records) {
  const std::string kStamp = "OldVer/261207140508/", kNo = " Aktualizace nebude provedena.";
  struct Case {
    const char* what;
    std::string record;
    Files backup, app;  // before
    bool locked = false, running = false;  // app/a.txt cannot be removed; the product's window is open
    Lines log;  // after "Nalezena nedokončená aktualizace ..."; "" for none
    Files after;  // the application folder; the same as before when empty
  } cases[] = {
      {"kept files moved back, new ones removed, the line the power cut off left alone",
       "K a.txt\r\nK b.txt\r\nN c.txt\r\nK d.t", {{"a.txt", "old a"}, {"b.txt", "old b"}},
       {{"a.txt", "new"}, {"c.txt", "new"}, {"d.txt", "never recorded"}}, false, false,
       {"Odstranění souboru c.txt", "Obnovení souboru b.txt", "Obnovení souboru a.txt", "Předchozí verze obnovena"},
       {{"a.txt", "old a"}, {"b.txt", "old b"}, {"d.txt", "never recorded"}}},
      {"zeros where the power cut the record, a kept file never moved", "N c.txt\r\nK a.txt\r\n\0\0\0\0"s, {},
       {{"a.txt", "untouched"}, {"c.txt", "new"}}, false, false,
       {"Odstranění souboru c.txt", "Předchozí verze obnovena"}, {{"a.txt", "untouched"}}},
      {"a name's last line counts", "N a.txt\r\nK b.txt\r\nK a.txt\r\nN b.txt\r\n", {{"a.txt", "old a"}},
       {{"a.txt", "new"}, {"b.txt", "new"}}, false, false,
       {"Odstranění souboru b.txt", "Obnovení souboru a.txt", "Předchozí verze obnovena"}, {{"a.txt", "old a"}}},
      {"the product asked to quit first, a file in use tried twice", "K a.txt\r\n", {{"a.txt", "old a"}},
       {{"a.txt", "new"}}, true, true,
       {"Pokus o zavření aplikace Kartotéka Norva", "Obnovení souboru a.txt",
        "Předchozí verze nebyla obnovena celá!  (Permission denied)",
        "V záloze zůstává soubor {backup}\\a.txt", "Aktualizace nebude provedena."}},
      {"a name reaching outside", "N ..\\outside.txt\r\n", {}, {}, false, false,
       {"Záznam nedokončené aktualizace {backup}\\TyxUpdate.jnl je poškozen (řádek 1)." + kNo}},
      {"an unknown line", "K a.txt\r\nX a.txt\r\n", {{"a.txt", "old a"}}, {{"a.txt", "new"}}, false, false,
       {"Záznam nedokončené aktualizace {backup}\\TyxUpdate.jnl je poškozen (řádek 2)." + kNo}},
      {"a device", "N con.txt\r\n", {}, {}, false, false,
       {"Záznam nedokončené aktualizace {backup}\\TyxUpdate.jnl je poškozen (řádek 1)." + kNo}},
      {"a record that cannot be read", "", {}, {}, true, false,
       {"Záznam nedokončené aktualizace {backup}\\TyxUpdate.jnl nelze přečíst." + kNo}},
  };
  for (const Case& c : cases) {
    Harness h;
    const std::string backup = h.dir.Path("app/" + kStamp.substr(0, kStamp.size() - 1)), app = h.run.gAppPath;
    h.dir.Write("outside.txt", "not the updater's");
    h.dir.Write("app/OldVer/261201000000/TyxUpdate.jnl", "K a.txt\r\nEND\r\n");
    h.dir.Write("app/" + kStamp + "TyxUpdate.jnl", c.record);
    for (auto& [name, content] : c.backup) h.dir.Write("app/" + kStamp + name, content);
    for (auto& [name, content] : c.app) h.dir.Write("app/" + name, content);
    if (c.locked) h.files.locked.push_back(c.record.empty() ? Journal::PathIn(backup) : app + "\\a.txt");
    if (c.running) h.os.windows["Kartotéka Norva"] = 7;
    const Files before = Folder(h.dir, "app");
    Lines log{"Nalezena nedokončená aktualizace " + backup};
    for (std::string line : c.log) log.push_back(ReplaceAll(line, "{backup}", backup));
    EXPECT_EQ(RecoverInstallation(h.session), log.back() == "Předchozí verze obnovena") << c.what;
    EXPECT_EQ(h.LogMessages(), log) << c.what;
    Files after = c.after.empty() ? before : c.after;
    after[".keep"] = "";
    EXPECT_EQ(Folder(h.dir, "app"), after) << c.what;
    EXPECT_EQ(h.dir.Read("outside.txt"), "not the updater's");
    EXPECT_EQ(h.os.boxes.size(), c.running ? 1u : 0u) << c.what;
  }
}

// The application folder after a power cut at any change of an installation (then at any change of the next
// run's restore), once a later run has recovered: the previous version whole, or the new one whole with END
// on the disk; never a mix, and every backup its original.
TEST(Recovery, APowerCutAtEveryStepLeavesOneWholeVersion) {
  const Files old = {{"kasa.exe", "old kasa"}, {"readme.txt", "old readme"}, {"qendata.mdb", "data"}, {".keep", ""}};
  const Files staged = {{"NorvaV.exe", "V"}, {"readme.txt", "new readme"}, {"new.dll", "dll"},
                        {"TyxUpdate.exe", "new updater"}};
  const std::string kBackup = "app/OldVer/261207140509";
  auto install = [&](Harness& h, int cutAt, bool vanish) {  // true when the power went
    h.run.cApp = "kasa.exe";
    for (auto& [name, content] : old) h.dir.Write("app/" + name, content);
    for (auto& [name, content] : staged) h.dir.Write("app/OldVer/TyxNewVer/" + name, content);
    h.files.cutAt = cutAt;
    h.files.newFilesVanish = vanish;
    try {
      InstallUpdate(h.session);
      return false;
    } catch (const PowerCut&) {
      h.files.PowerCutDrops();
      return true;
    }
  };
  Files wanted;
  {
    Harness h;
    install(h, 0, true);
    ASSERT_TRUE(h.run.gUpdated);
    wanted = Folder(h.dir, "app");
  }
  int cuts = 0;
  for (bool vanish : {true, false}) {
    for (int k = 1;; ++k) {
      bool more = false;
      for (int j = 0;; ++j) {  // j: the step of the restore the power goes at, 0 never
        Harness h;
        if (!install(h, k, vanish)) break;
        more = true;
        ++cuts;
        std::optional<Journal::Contents> record = Journal::Read(h.files, h.dir.Path(kBackup));
        const bool finished = record && record->state == Journal::Contents::State::Finished;
        const std::string at = "power cut at step " + std::to_string(k) + (vanish ? "" : " (zeros)");
        if (finished) {
          EXPECT_EQ(Folder(h.dir, "app"), wanted) << at << ": END before the files";
          for (const char* name : {"kasa.exe", "readme.txt"})
            EXPECT_EQ(h.dir.Read(kBackup + "/" + name), old.at(name)) << at << ": backup of " << name;
        }
        h.files.steps = 0;
        h.files.cutAt = j;
        bool restoreCut = false;
        try {
          RecoverInstallation(h.session);
        } catch (const PowerCut&) {
          h.files.PowerCutDrops();
          restoreCut = true;
        }
        if (j > 0 && !restoreCut) break;
        EXPECT_TRUE(RecoverInstallation(h.session)) << at << ", restore cut at " << j;
        EXPECT_EQ(Folder(h.dir, "app"), finished ? wanted : old) << at << ", restore cut at " << j;
      }
      if (!more) break;
    }
  }
  EXPECT_GT(cuts, 100);
}

}  // namespace tyx::test
