#include "install/FinishRun.h"

#include "install/ExecCmd.h"

namespace tyx {

void FinishRun(Platform& platform, const Run& run, const std::function<void()>& pump) {
  ExecCmd exec(platform.shell, platform.dialogs, pump);
  if (pump) pump();
  const std::string libUpdater = run.gAppPath + "\\tyxlibupdate.exe";
  if (run.gUpdated && platform.files.FileExists(libUpdater)) exec.ShellExec(libUpdater, false, "/S");
  if (pump) pump();
  if (!run.cApp.empty()) exec.ShellExec(run.gAppPath + "\\" + run.cApp, false, "");
}

}  // namespace tyx
