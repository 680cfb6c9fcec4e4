#include <gtest/gtest.h>

#include "install/ExecCmd.h"
#include "platform/win32/Wide.h"
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/WinApi.h"

namespace tyx::win32 {
namespace {

TEST(Win32Shell, FailedStartsAreNamedByTheShellsOwnCode) {
  Win32CodePage codePage;
  Win32FileSystem files;
  Win32Shell shell(codePage);
  const std::string folder = files.TemporaryFolder();
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  files.CopyFile(Utf8(self), folder + "\\locked.exe", true);
  files.AppendBytes(folder + "\\plain.tyxnoassoc", "x");
  // Opened without sharing, as a running installer or a virus scanner might.
  HANDLE lock = CreateFileW(Wide(folder + "\\locked.exe").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  const struct {
    const char* file;
    const char* text;
  } cases[] = {{"\\missing.exe", "Soubor nebyl nalezen: "},
               {"\\plain.tyxnoassoc", "Souboru není přiřazena žádná aplikace: "},
               {"\\locked.exe", "Narušeno sdílení: "}};
  for (const auto& c : cases) {
    ProcessHandle process = 0;
    const std::string path = folder + c.file;
    EXPECT_EQ(ShellErrorText(shell.ShellExecute(path, "", false, process), path), c.text + path) << c.file;
  }
  CloseHandle(lock);
  files.DeleteFile(folder + "\\locked.exe", true);
  files.DeleteFile(folder + "\\plain.tyxnoassoc", true);
}

}  // namespace
}  // namespace tyx::win32
