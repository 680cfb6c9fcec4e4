// TyxPack.exe: wires the Win32 layer to the packaging command and prints its answer.
#include <string>
#include <vector>

#include "PackageKeys.h"
#include "pack/PackCommand.h"
#include "platform/win32/Wide.h"
#include "platform/win32/Win32Cabinet.h"
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32Crypto.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32PackTools.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/WinApi.h"

int wmain(int argc, wchar_t** argv) {
  using namespace tyx::win32;
  Win32CodePage codePage;
  Win32FileSystem files;
  Win32Cabinet cabinet(codePage);
  Win32System system(codePage);
  Win32Crypto crypto(PackageKeys(), true);
  Win32PackTools tools;
  tyx::PackServices services{files, codePage, cabinet, system, crypto, tools};
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(Utf8(argv[i]));
  std::string out;
  int code = tyx::RunTyxPack(arguments, services, out);
  // A console shows UTF-16; a pipe or file gets UTF-8.
  HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(console, &mode)) {
    std::wstring wide = Wide(out);
    WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    WriteFile(console, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
  }
  return code;
}
