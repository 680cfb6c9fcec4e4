#include "startup/Main.h"

#include "log/UpdateLog.h"
#include "startup/StagingFolder.h"
#include "startup/StartUp.h"

namespace tyx {

int Main(Platform& platform, const std::function<void(Run&, UpdateLog&)>& showMainForm) {
  UpdateLog log(platform.files, platform.system, platform.codePage, platform.process.OwnFolder());
  std::optional<Run> run = StartUp(platform, log);
  if (!run) return 0;
  if (PrepareStagingFolder(platform.files, log, *run)) showMainForm(*run, log);
  return 0;
}

}  // namespace tyx
