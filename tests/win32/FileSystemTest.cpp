#include <gtest/gtest.h>

#include "platform/ErrorRecord.h"
#include "platform/win32/Wide.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/WinApi.h"

namespace tyx::win32 {
namespace {

class Win32FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fso.TemporaryFolder() + "\\fso-test-" + fso.GetTempName();
    fso.CreateFolder(root);
  }
  void TearDown() override {
    if (fso.FolderExists(root)) fso.DeleteFolder(root, true);
  }
  void Write(const std::string& name, const std::string& content) {
    ASSERT_TRUE(fso.AppendBytes(root + "\\" + name, content));
  }
  int32_t ErrorOf(const std::function<void()>& f) {
    try {
      f();
    } catch (const ErrorRecord& e) {
      return e.number;
    }
    return 0;
  }
  void ReadOnly(const std::string& name) {
    SetFileAttributesW(Wide(root + "\\" + name).c_str(), FILE_ATTRIBUTE_READONLY);
  }

  Win32FileSystem fso;
  std::string root;
};

TEST_F(Win32FileSystemTest, FoldersAndExistence) {
  EXPECT_TRUE(fso.FolderExists(root));
  EXPECT_FALSE(fso.FileExists(root));
  EXPECT_EQ(ErrorOf([&] { fso.CreateFolder(root); }), 58);
  EXPECT_EQ(ErrorOf([&] { fso.CreateFolder(root + "\\a\\b"); }), 76);
  fso.CreateFolder(root + "\\Účty");
  Write("Účty\\x.txt", "x");
  ReadOnly("Účty\\x.txt");
  EXPECT_TRUE(fso.FileExists(root + "\\Účty\\x.txt"));
  fso.DeleteFolder(root + "\\Účty", true);
  EXPECT_FALSE(fso.FolderExists(root + "\\Účty"));
  EXPECT_EQ(ErrorOf([&] { fso.DeleteFolder(root + "\\Účty", true); }), 76);
}

TEST_F(Win32FileSystemTest, DeleteWithWildcardsAndForce) {
  Write("a.tmp", "1");
  Write("b.tmp", "2");
  Write("c.txt", "3");
  ReadOnly("b.tmp");
  EXPECT_EQ(ErrorOf([&] { fso.DeleteFile(root + "\\b.tmp", false); }), 70);
  fso.DeleteFile(root + "\\*.tmp", true);
  EXPECT_EQ(fso.Files(root), std::vector<std::string>{"c.txt"});
  EXPECT_EQ(ErrorOf([&] { fso.DeleteFile(root + "\\*.tmp", true); }), 53);
}

TEST_F(Win32FileSystemTest, CopyOverwritesMoveRefusesAnExistingDestination) {
  Write("new.exe", "new");
  Write("old.exe", "old");
  EXPECT_EQ(ErrorOf([&] { fso.CopyFile(root + "\\new.exe", root + "\\old.exe", false); }), 58);
  fso.CopyFile(root + "\\new.exe", root + "\\old.exe", true);
  EXPECT_EQ(ErrorOf([&] { fso.MoveFile(root + "\\new.exe", root + "\\old.exe"); }), 58);
  EXPECT_EQ(ErrorOf([&] { fso.MoveFile(root + "\\none.exe", root + "\\x.exe"); }), 53);
  fso.MoveFile(root + "\\new.exe", root + "\\moved.exe");
  EXPECT_FALSE(fso.FileExists(root + "\\new.exe"));
  ReadOnly("old.exe");
  EXPECT_EQ(ErrorOf([&] { fso.CopyFile(root + "\\moved.exe", root + "\\old.exe", true); }), 70);
  EXPECT_EQ(ErrorOf([&] { fso.CopyFile(root + "\\moved.exe", root + "\\no\\such.exe", true); }), 76);
}

TEST_F(Win32FileSystemTest, LockedFileCannotBeReplaced) {
  Write("busy.exe", "old");
  Write("new.exe", "new");
  HANDLE h = CreateFileW(Wide(root + "\\busy.exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ErrorOf([&] { fso.CopyFile(root + "\\new.exe", root + "\\busy.exe", true); }), 70);
  EXPECT_EQ(ErrorOf([&] { fso.DeleteFile(root + "\\busy.exe", true); }), 70);
  CloseHandle(h);
}

TEST_F(Win32FileSystemTest, AppendKeepsEarlierBytesAndTempNamesLookRight) {
  Write("log.txt", "a\r\n");
  Write("log.txt", "b\r\n");
  std::string text;
  EXPECT_TRUE(fso.ReadBytes(root + "\\log.txt", text));
  EXPECT_EQ(text, "a\r\nb\r\n");
  EXPECT_FALSE(fso.ReadBytes(root + "\\none.txt", text));
  EXPECT_FALSE(fso.AppendBytes(root + "\\no\\log.txt", "x"));
  std::string name = fso.GetTempName();
  EXPECT_EQ(name.size(), 12u);
  EXPECT_EQ(name.substr(0, 3), "rad");
  EXPECT_NE(name, fso.GetTempName());
}

}  // namespace
}  // namespace tyx::win32
