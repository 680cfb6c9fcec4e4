#include "install/CloseApplication.h"

namespace tyx {
namespace {

constexpr uint32_t kStillActive = 259;
constexpr uint32_t kQuitWaitMs = 30000;

}  // namespace

bool CloseApplication(Session& s, const std::string& title) {
  IShell& shell = s.platform.shell;
  WindowHandle window = shell.FindWindow(title);
  if (!window) return false;
  s.log.WriteLog("Pokus o zavření aplikace " + title);
  s.platform.dialogs.MessageBox("Aplikace " + title +
                                    " je spuštěna. Nyní proběhne pokus o její uzavření.\r\nPokud bude aplikace "
                                    "uzavřena, aktualizace bude dále pokračovat.",
                                "TyxUpdate - aktualizace", MessageIcon::Information);
  ProcessHandle process = shell.OpenProcess(shell.WindowProcessId(window));
  shell.PostQuit(window);
  if (!process) return true;
  // Copying over a program that is still shutting down would fail.
  uint32_t start = s.platform.system.TickCount();
  uint32_t code = 0;
  while (shell.GetExitCode(process, code) && code == kStillActive &&
         s.platform.system.TickCount() - start < kQuitWaitMs) {
    s.Pump();
    s.platform.system.Sleep(50);
  }
  shell.CloseProcess(process);
  return true;
}

}  // namespace tyx
