#include "cabinet/ExtractStep.h"

#include <gtest/gtest.h>

#include <functional>

#include "cabinet/CabFile.h"
#include "cabinet/CabPaths.h"
#include "cabinet/VerifyStep.h"
#include "fakes/Fakes.h"

namespace tyx::test {

using Entry = test::FakeCabinet::Entry;

TEST(Extract, Cases) {
  const struct {
    const char* what;
    std::vector<Entry> package, pack;  // pack: the nested pack.cab, when not empty
    const char* error;                 // "" for success
    Lines staged;                      // files directly in the staging folder afterwards
  } cases[] = {
      {"flat", {{"NorvaV.exe", "v"}}, {}, "", {"NorvaV.exe"}},
      {"nested", {{"NorvaV.exe", "v"}, {"pack.cab", "MSCF"}, {"pack.lst", ""}}, {{"sub\\a.txt", "a"}, {"b.dll", "b"}},
       "", {"NorvaV.exe", "b.dll"}},
      {"pack without list", {{"pack.cab", "MSCF"}}, {{"a.txt", "a"}}, "File not found", {"a.txt"}},
      {"continued in another cabinet", {{"a.txt", "a"}, {"\x12", ""}}, {}, "Invalid data.", {}},
      {"folder is a file", {{"sub", "x"}, {"sub\\a.txt", "a"}}, {}, "Access is denied.", {"sub"}},
  };
  for (const auto& c : cases) {
    test::Harness h;
    h.Cabinet("app/OldVer/update.cab", c.package);
    if (!c.pack.empty()) h.cabinet.cabinets[h.run.gNewVerPath + "\\pack.cab"] = c.pack;
    EXPECT_EQ(ExtractUpdate(h.session), *c.error ? 1 : 0) << c.what;
    EXPECT_EQ(h.run.gLastError, c.error) << c.what;
    EXPECT_EQ(h.window.pointer, MousePointer::Default) << c.what;
    if (h.files.FolderExists(h.run.gNewVerPath)) {
      EXPECT_EQ(h.files.Files(h.run.gNewVerPath), c.staged) << c.what;
    }
    Lines log = {"Extrahuji soubory z " + h.run.gWorkPath + "\\update.cab do  " + h.run.gNewVerPath};
    if (std::string(c.what) == "nested")
      log.push_back("Extrahuji soubory z " + h.run.gNewVerPath + "\\pack.cab do  " + h.run.gNewVerPath);
    log.push_back(*c.error ? "Chyba při rozbalování souborů!  (" + std::string(c.error) + ")"
                           : "Soubory aktualizace extrahovány do " + h.run.gNewVerPath);
    if (c.pack.empty() || !*c.error) {
      EXPECT_EQ(h.LogMessages(), log) << c.what;
    }
  }
}

// The whole listing and unpacking the update does are tested with ExtractUpdate; here the limit of a target name
// and the error of each call.
TEST(CabFile, TargetNameLimitAndTheErrorsOfEachCall) {
  test::Harness h;
  h.Cabinet("x.cab", {{"notes.txt", "twelve bytes"}});
  h.Cabinet("long.cab", {{std::string(300, 'n'), ""}});
  CabFile cab({h.cabinet, h.files, h.os, h.os});
  cab.CabName = h.dir.Path("x.cab");
  const std::string out = h.dir.Path("o"), name(258 - out.size(), 'n');  // the target's name: 259 bytes, not 260
  cab.Extract("notes.txt", out, name);
  EXPECT_EQ(h.dir.Read("o/" + name), "twelve bytes");
  EXPECT_THROW(cab.Extract("notes.txt", out, name + "n"), ErrorRecord);
  const int32_t kNoName = static_cast<int32_t>(0x800407A4u);
  const struct {
    const char* cabinet;
    std::function<void(CabFile&)> call;
    int32_t number;
    const char *source, *text;
  } cases[] = {
      {"", [](CabFile& c) { c.GetInfo(""); }, kNoName, "CabFile.GetInfo",
       "You must set the CabName property before taking any action on the CabFile object."},
      {"", [](CabFile& c) { c.GetXML(""); }, kNoName, "CabFile.GetXML", nullptr},
      {"none.cab", [](CabFile& c) { c.GetXML(""); }, 2, "CabFile.GetXML", "The system cannot find the file specified."},
      {"none.cab", [](CabFile& c) { c.Extract("", "", ""); }, 2, "CabFile", nullptr},
      {"long.cab", [](CabFile& c) { c.Extract("", "", ""); }, 111, "CabFile.CabZpet", "The file name is too long."},
  };
  for (const auto& c : cases) {
    CabFile failing({h.cabinet, h.files, h.os, h.os});
    if (*c.cabinet) failing.CabName = h.dir.Path(c.cabinet);
    try {
      c.call(failing);
      ADD_FAILURE() << c.source;
    } catch (const ErrorRecord& e) {
      EXPECT_EQ(std::pair(e.number, e.source), std::pair(c.number, std::string(c.source)));
      if (c.text) {
        EXPECT_EQ(e.Description(), c.text);
      }
    }
  }
}

// Folders as the file system answers them: created, existing or missing above.
struct FolderLog : test::StdFileSystem {
  Lines existing, tried;
  void CreateFolder(const std::string& path) override {
    tried.push_back(path);
    if (std::count(existing.begin(), existing.end(), path)) throw ErrorRecord(58, "", "");
    if (!std::count(existing.begin(), existing.end(), path.substr(0, path.rfind('\\')))) throw ErrorRecord(76, "", "");
    existing.push_back(path);
  }
};

TEST(CabPaths, MakePathWalksUpThenDown) {
  const std::string share = "\\\\srv\\share";
  const struct {
    std::string folder;
    Lines existing, tried;
    bool made;
  } cases[] = {
      {"", {}, {}, false},
      {"c:\\t\\", {"c:"}, {"c:\\t"}, true},
      {share + "\\a\\b\\c", {share}, {share + "\\a\\b\\c", share + "\\a\\b", share + "\\a", share + "\\a\\b",
                                      share + "\\a\\b\\c"}, true},
      {"x:\\a\\b", {}, {"x:\\a\\b", "x:\\a", "x:"}, false},
  };
  for (const auto& c : cases) {
    FolderLog files;
    files.existing = c.existing;
    EXPECT_EQ(MakePath(files, c.folder), c.made) << c.folder;
    EXPECT_EQ(files.tried, c.tried) << c.folder;
  }
}

TEST(Verify, TheBuildForThisWindowsMustBeThere) {
  const struct {
    const char* product;
    uint32_t platform, major;
    Lines builds;
    bool passes;
  } cases[] = {
      {"Norva", 2, 5, {"NorvaXP.exe", "NorvaV.exe"}, true}, {"Norva", 2, 6, {"NorvaXP.exe"}, false},
      {"Norva", 2, 10, {"NorvaV.exe"}, true},               {"Talvik", 2, 6, {"TalvikXP.exe"}, false},
      {"Talvik", 1, 4, {"TalvikXP.exe"}, true},              {"Norva", 1, 4, {"NorvaXP.exe", "NorvaV.exe"}, false},
      {"Bremo", 2, 6, {"BremoV.exe"}, true},
  };
  for (const auto& c : cases) {
    test::Harness h(c.product);
    h.os.platformId = c.platform;
    h.os.major = c.major;
    for (const std::string& b : c.builds) h.dir.Write("app/OldVer/TyxNewVer/" + b, "");
    EXPECT_EQ(VerifyUpdate(h.session), c.passes) << c.product << " " << c.major;
    if (c.passes) continue;
    EXPECT_EQ(h.LogMessages(), Lines{"CL - Aktualizační soubor neobsahuje požadované soubory."});
    EXPECT_EQ(h.os.Values(h.Key())["NEWVER"].second, std::string("0\0", 2));
    ASSERT_EQ(h.os.boxes.size(), 1u);
    EXPECT_EQ(h.os.boxes[0].text + h.os.boxes[0].title,
              "Aktualizační soubor neobsahuje požadované soubory.\r\nKontaktujte dodavatele programuUpdate");
  }
}

}  // namespace tyx::test
