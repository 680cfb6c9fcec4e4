#include "startup/Main.h"

#include "install/FinishRun.h"
#include "log/UpdateLog.h"
#include "startup/StagingFolder.h"
#include "startup/StartUp.h"
#include "window/UpdateForm.h"

namespace tyx {

int Main(Platform& platform, IWindow& window) {
  UpdateLog log(platform.files, platform.system, platform.codePage, platform.process.OwnFolder());
  std::optional<Run> run = StartUp(platform, log);
  if (!run) return 0;
  if (PrepareStagingFolder(platform.files, log, *run)) {
    Session session{*run, platform, log, window, {}};
    UpdateForm form(session);
    form.ShowMainForm();
  }
  FinishRun(platform, *run, [&window] { window.Pump(); });
  return 0;
}

}  // namespace tyx
