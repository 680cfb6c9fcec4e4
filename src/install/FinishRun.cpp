#include "install/FinishRun.h"

#include "install/ExecCmd.h"
#include "product/PackageFiles.h"

namespace tyx {

void FinishRun(Platform& platform, const Run& run, const std::function<void()>& pump) {
  ExecCmd exec(platform.shell, platform.dialogs, pump);
  if (pump) pump();
  const std::string libUpdater = run.gAppPath + "\\" + kLibraryUpdater;
  if (run.gUpdated && platform.files.FileExists(libUpdater)) exec.ShellExec(libUpdater, false, "/S");
  if (pump) pump();
  if (!run.cApp.empty()) exec.ShellExec(run.gAppPath + "\\" + run.cApp, false, "");
}

}  // namespace tyx
