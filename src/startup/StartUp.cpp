#include "startup/StartUp.h"

#include "platform/RegistryAccess.h"
#include "platform/Text.h"
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
  run.gWorkPath = run.gAppPath + "\\OldVer";
  run.gNewVerPath = run.gWorkPath + "\\TyxNewVer";
  run.gUpdated = false;
  return run;
}

}  // namespace tyx
