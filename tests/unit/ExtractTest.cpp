#include "cabinet/ExtractStep.h"

#include <gtest/gtest.h>

#include "cabinet/CabFile.h"
#include "cabinet/CabPaths.h"
#include "cabinet/VerifyStep.h"
#include "fakes/SessionHarness.h"

namespace tyx {
namespace {

using Entry = test::FakeCabinet::Entry;
using test::SessionHarness;

TEST(Extract, PackageWithNestedPackLandsFlatWithoutPackFiles) {
  SessionHarness h;
  h.MakeCabinet("temp/update.cab", {{"NorvaV.exe", "v"}, {"pack.cab", "MSCF"}, {"pack.lst", "x"}});
  h.cabinet.cabinets[h.run.gNewVerPath + "\\pack.cab"] = {{"sub\\a.txt", "a"}, {"b.dll", "b"}};
  EXPECT_EQ(ExtractUpdate(h.session), 0);
  EXPECT_EQ(h.files.Files(h.run.gNewVerPath), (std::vector<std::string>{"NorvaV.exe", "b.dll"}));
  EXPECT_EQ(h.dir.Read("temp/TyxNewVer/sub/a.txt"), "a");
  EXPECT_EQ(h.LogMessages(),
            (std::vector<std::string>{"Extrahuji soubory z " + h.run.gTempPath + "\\update.cab do  " + h.run.gNewVerPath,
                                      "Extrahuji soubory z " + h.run.gNewVerPath + "\\pack.cab do  " + h.run.gNewVerPath,
                                      "Soubory aktualizace extrahovány do " + h.run.gNewVerPath}));
}

TEST(Extract, DamagedPackageFailsWithItsTextAndWritesNothing) {
  SessionHarness h;
  h.dir.Write("temp/update.cab", "garbage");
  h.cabinet.broken[h.run.gTempPath + "\\update.cab"] = 13;
  EXPECT_EQ(ExtractUpdate(h.session), 1);
  EXPECT_EQ(h.window.statusCaption, "Chyba při rozbalování souborů!  (Invalid data.)");
  EXPECT_EQ(h.LogMessages().back(), h.window.statusCaption);
  EXPECT_EQ(h.run.gLastError, "Invalid data.");
  EXPECT_EQ(h.window.pointer, MousePointer::Default);
}

TEST(Extract, PackWithoutListFails) {
  SessionHarness h;
  h.MakeCabinet("temp/update.cab", {{"pack.cab", "MSCF"}});
  h.cabinet.cabinets[h.run.gNewVerPath + "\\pack.cab"] = {{"a.txt", "a"}};
  EXPECT_EQ(ExtractUpdate(h.session), 1);
  EXPECT_EQ(h.run.gLastError, "File not found");
}

TEST(Extract, EntriesReachingOutsideTheStagingFolderAreRefused) {
  for (const char* name : {"..\\evil.exe", "sub\\..\\..\\evil.exe", "\\evil.exe", "c:\\evil.exe", "/evil.exe",
                           "a.txt:stream", "../evil.exe", "sub\\...\\evil.exe"}) {
    for (bool nested : {false, true}) {
      SessionHarness h;
      std::vector<Entry> bad = {{"ok.txt", "ok"}, {name, "evil"}};
      if (nested) {
        h.MakeCabinet("temp/update.cab", {{"pack.cab", "MSCF"}, {"pack.lst", ""}});
        h.cabinet.cabinets[h.run.gNewVerPath + "\\pack.cab"] = bad;
      } else {
        h.MakeCabinet("temp/update.cab", bad);
      }
      EXPECT_EQ(ExtractUpdate(h.session), 1) << name;
      EXPECT_EQ(h.run.gLastError, "The filename, directory name, or volume label syntax is incorrect.") << name;
      EXPECT_FALSE(h.dir.Exists("evil.exe")) << name;
      EXPECT_FALSE(h.dir.Exists("temp/evil.exe")) << name;
      EXPECT_FALSE(h.dir.Exists("temp/TyxNewVer/ok.txt")) << name;  // refused before anything is written
    }
  }
  EXPECT_TRUE(IsSafeEntryName("sub\\a..b.txt"));
  EXPECT_TRUE(IsSafeEntryName(".hidden"));
}

TEST(Extract, EntryWhoseFolderIsAFileFailsTheExtraction) {
  SessionHarness h;
  h.MakeCabinet("temp/update.cab", {{"sub\\a.txt", "a"}});
  h.dir.Write("temp/TyxNewVer/sub", "a file where the folder should be");
  EXPECT_EQ(ExtractUpdate(h.session), 1);
  EXPECT_EQ(h.run.gLastError, "Access is denied.");
}

TEST(CabFile, ListingCountAndXml) {
  SessionHarness h;
  h.MakeCabinet("x.cab", {{"notes.txt", "twelve bytes"}, {"sub\\A&<b.txt", "1"}});
  CabFile cab({h.cabinet, h.files, h.codePage, h.system});
  cab.CabName = h.dir.Path("x.cab");
  EXPECT_EQ(cab.FileCount(), 2);
  EXPECT_EQ(cab.FileCount(), 2);
  EXPECT_EQ(cab.GetXML(""),
            "<?xml version=\"1.0\"?><CABFILE CABFILENAME = '" + cab.CabName +
                "'><FILES><FILE><FULLNAME>notes.txt</FULLNAME><NAME>notes.txt</NAME><DATE>7.12.2025 12:00:00</DATE>"
                "<SIZE>12</SIZE><PATH></PATH></FILE>\r\n<FILE><FULLNAME>sub\\A&<b.txt</FULLNAME><NAME>A&<b.txt</NAME>"
                "<DATE>7.12.2025 12:00:00</DATE><SIZE>1</SIZE><PATH>sub\\</PATH></FILE>\r\n</FILES></CABFILE>");
  EXPECT_TRUE(cab.GetInfo("A&<B.TXT"));  // a match by name ends the listing, and is no failure
  EXPECT_EQ(cab.Files(), std::vector<std::string>{"sub\\A&<b.txt"});
}

TEST(CabFile, ExtractByFullNameOnly) {
  SessionHarness h;
  h.MakeCabinet("x.cab", {{"a.txt", "top"}, {"sub\\a.txt", "nested"}});
  CabFile cab({h.cabinet, h.files, h.codePage, h.system});
  cab.CabName = h.dir.Path("x.cab");
  cab.Extract("A.TXT", h.dir.Path("out"), "");
  EXPECT_EQ(h.dir.Read("out/a.txt"), "top");
  EXPECT_FALSE(h.dir.Exists("out/sub"));
}

TEST(CabFile, ErrorsCarryNumberSourceAndText) {
  SessionHarness h;
  CabFile cab({h.cabinet, h.files, h.codePage, h.system});
  try {
    cab.GetInfo("");
    FAIL();
  } catch (const ErrorRecord& e) {
    EXPECT_EQ(e.number, static_cast<int32_t>(0x800407A4u));
    EXPECT_EQ(e.source, "CabFile");
  }
  cab.CabName = h.dir.Path("none.cab");
  try {
    cab.GetXML("");
    FAIL();
  } catch (const ErrorRecord& e) {
    EXPECT_EQ(e.number, 2);
    EXPECT_EQ(e.source, "CabFile.GetXML");
    EXPECT_EQ(e.Description(), "The system cannot find the file specified.");
  }
  EXPECT_EQ(Win32ErrorText(9999), "Unknown error.");
  EXPECT_EQ(CabErrorText(1), "Unknown error.");
}

TEST(CabPaths, SplitAndMake) {
  EXPECT_EQ(SplitPath("bin\\Norva.exe").folder, "bin\\");
  EXPECT_EQ(SplitPath("Norva.exe").name, "Norva.exe");
  EXPECT_EQ(AddBackslash(""), "\\");
  EXPECT_EQ(AddBackslash("c:\\t\\"), "c:\\t\\");
  SessionHarness h;
  EXPECT_TRUE(MakePath(h.files, h.dir.Path("a\\b\\c\\")));
  EXPECT_TRUE(h.dir.Exists("a/b/c"));
  EXPECT_TRUE(MakePath(h.files, h.dir.Path("a\\b")));
  EXPECT_FALSE(MakePath(h.files, ""));
}

struct VerifyCase {
  const char* product;
  uint32_t platform, major;
  std::vector<std::string> builds;
  bool passes;
};

TEST(Verify, TheBuildForThisWindowsMustBeThere) {
  const VerifyCase cases[] = {
      {"Norva", 2, 5, {"NorvaXP.exe", "NorvaV.exe"}, true}, {"Norva", 2, 6, {"NorvaXP.exe"}, false},
      {"Norva", 2, 10, {"NorvaV.exe"}, true},               {"Talvik", 2, 5, {"TalvikXP.exe"}, true},
      {"Talvik", 2, 6, {"TalvikXP.exe"}, false},           {"Talvik", 1, 4, {"TalvikXP.exe"}, true},
      {"Norva", 1, 4, {"NorvaXP.exe", "NorvaV.exe"}, false}, {"Bremo", 2, 6, {"BremoV.exe"}, true},
  };
  for (const VerifyCase& c : cases) {
    SessionHarness h(c.product);
    h.system.platformId = c.platform;
    h.system.major = c.major;
    for (const std::string& b : c.builds) h.dir.Write("temp/TyxNewVer/" + b, "");
    EXPECT_EQ(VerifyUpdate(h.session), c.passes) << c.product << " " << c.major;
    if (!c.passes) {
      EXPECT_EQ(h.LogMessages(), std::vector<std::string>{"CL - Aktualizační soubor neobsahuje požadované soubory."});
      EXPECT_EQ(h.registry.Get(h.run.gRegKey + h.run.gRegSubKey, "NEWVER")->data, std::string("0\0", 2));
      ASSERT_EQ(h.dialogs.boxes.size(), 1u);
      EXPECT_EQ(h.dialogs.boxes[0].text,
                "Aktualizační soubor neobsahuje požadované soubory.\r\nKontaktujte dodavatele programu");
      EXPECT_EQ(h.dialogs.boxes[0].title, "Update");
    }
  }
}

}  // namespace
}  // namespace tyx
