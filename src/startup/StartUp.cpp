#include "startup/StartUp.h"

#include "platform/RegistryAccess.h"
#include "platform/Text.h"
#include "platform/VersionInfo.h"
#include "startup/CommandLine.h"
#include "startup/Identify.h"

namespace tyx {

std::optional<Run> StartUp(Platform& platform, UpdateLog& log) {
  Run run;
  ReadCommandLine(platform.process.CommandLine(), run);
  const std::string ownFolder = platform.process.OwnFolder();
  if (run.gDataPath.empty()) run.gDataPath = ownFolder;
  if (run.gAppPath.empty()) run.gAppPath = ownFolder;

  RegistryAccess registry(platform.registry, platform.codePage, platform.dialogs);
  if (!IdentifyProduct(platform.files, registry, log, run)) return std::nullopt;

  run.gRegSubKey = "\\" + ReplaceAll(run.gAppPath, "\\", "/");
  const std::string temp = platform.files.TemporaryFolder();
  run.gTempPath = GetLongPath(platform.system, temp);
  // Without a long form the staging folder would land in the drive's root.
  if (run.gTempPath.empty()) run.gTempPath = temp;
  run.gNewVerPath = run.gTempPath + "\\TyxNewVer";
  run.gUpdated = false;
  return run;
}

}  // namespace tyx
