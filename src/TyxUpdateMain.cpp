// TyxUpdate.exe: wires the Win32 layer to the update flow and runs it.
#include "platform/win32/Win32Cabinet.h"
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32Crypto.h"
#include "platform/win32/Win32Dialogs.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Internet.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/Win32Window.h"
#include "platform/win32/WinApi.h"
#include "PackageKeys.h"
#include "update/UpdateFlow.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace tyx::win32;
  Win32CodePage codePage;
  Win32FileSystem files;
  Win32Registry registry(codePage);
  Win32System system(codePage);
  Win32Process process;
  Win32Dialogs dialogs;
  Win32Cabinet cabinet(codePage);
  Win32Shell shell(codePage);
  Win32Internet internet(codePage);
  Win32Window window(dialogs);
  Win32Crypto crypto(PackageKeys(), TYX_SIGNED_ONLY);
  tyx::Platform platform{files, registry, system, codePage, process, dialogs, cabinet, shell, internet, crypto};
  return tyx::Main(platform, window);
}
