#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32Dialogs.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/WinApi.h"
#include "startup/Main.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace tyx::win32;
  Win32CodePage codePage;
  Win32FileSystem files;
  Win32Registry registry(codePage);
  Win32System system(codePage);
  Win32Process process;
  Win32Dialogs dialogs;
  tyx::Platform platform{files, registry, system, codePage, process, dialogs};
  // Placeholder until the update window exists: start-up ends here.
  auto showMainFormPlaceholder = [](tyx::Run&, tyx::UpdateLog&) {};
  return tyx::Main(platform, showMainFormPlaceholder);
}
