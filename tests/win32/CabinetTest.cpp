#include <gtest/gtest.h>

#include "cabinet/CabFile.h"
#include "cabinet/ExtractCab.h"
#include "platform/win32/Win32Cabinet.h"
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32System.h"
#include "win32/Fixtures.h"

namespace tyx::win32 {
namespace {

class Win32CabinetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    out = files.TemporaryFolder() + "\\cab-test-" + files.GetTempName();
    files.CreateFolder(out);
  }
  void TearDown() override {
    for (const char* left : {"\\evil.txt", "\\..\\evil.txt"})
      if (files.FileExists(out + left)) files.DeleteFile(out + left, true);
    files.DeleteFolder(out, true);
  }
  CabServices Services() { return {cabinet, files, codePage, system}; }
  std::string ErrorOf(const std::string& fixture) {
    try {
      ExtractCab(Services(), Fixture(fixture), out);
    } catch (const ErrorRecord& e) {
      return e.Description();
    }
    return "";
  }

  Win32CodePage codePage;
  Win32FileSystem files;
  Win32System system{codePage};
  Win32Cabinet cabinet{codePage};
  std::string out;
};

TEST_F(Win32CabinetTest, GcabCabinetsListAndUnpackWithFolders) {
  CabFile cab(Services());
  cab.CabName = Fixture("simple.cab");
  EXPECT_EQ(cab.FileCount(), 2);
  EXPECT_EQ(cab.FileCount(), 2);
  std::string xml = cab.GetXML("");
  EXPECT_EQ(xml.rfind("<?xml version=\"1.0\"?><CABFILE CABFILENAME = '" + cab.CabName + "'><FILES><FILE>", 0), 0u);
  EXPECT_NE(xml.find("<NAME>notes.txt</NAME>"), std::string::npos);
  EXPECT_NE(xml.find("<SIZE>12</SIZE><PATH></PATH></FILE>\r\n"), std::string::npos);
  EXPECT_NE(xml.find("<FULLNAME>sub\\a.txt</FULLNAME><NAME>a.txt</NAME>"), std::string::npos);
  ExtractCab(Services(), Fixture("simple.cab"), out);
  ExtractCab(Services(), Fixture("compressed.cab"), out);
  EXPECT_TRUE(files.FileExists(out + "\\sub\\a.txt"));
  EXPECT_TRUE(files.FileExists(out + "\\notes.txt"));
  EXPECT_TRUE(files.FileExists(out + "\\big.bin"));
}

TEST_F(Win32CabinetTest, CzechEntryNameFromTheAnsiCodePage) {
  ExtractCab(Services(), Fixture("czech.cab"), out);
  EXPECT_TRUE(files.FileExists(out + "\\Účetní data.txt"));
}

TEST_F(Win32CabinetTest, EntriesOutsideTheFolderAreRefusedBeforeAnyWrite) {
  EXPECT_EQ(ErrorOf("evil.cab"), "The filename, directory name, or volume label syntax is incorrect.");
  EXPECT_EQ(ErrorOf("drive.cab"), "The filename, directory name, or volume label syntax is incorrect.");
  EXPECT_FALSE(files.FileExists(out + "\\..\\evil.txt"));
  EXPECT_FALSE(files.FileExists(out + "\\ok.txt"));
}

class BrokenCabinet : public Win32CabinetTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BrokenCabinet, FailsWithATextAndEnds) {
  const std::string error = ErrorOf(GetParam());
  EXPECT_FALSE(error.empty());
  if (std::string(GetParam()) == "missing.cab") {
    EXPECT_EQ(error, "The system cannot find the file specified.");
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, BrokenCabinet,
                         ::testing::Values("truncated.cab", "damaged.cab", "notacab.cab", "missing.cab",
                                           "emptied.cab"));

}  // namespace
}  // namespace tyx::win32
