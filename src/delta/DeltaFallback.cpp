#include "delta/DeltaFallback.h"

#include "platform/RemoveIfThere.h"
#include "product/PackageFiles.h"
#include "startup/StagingFolder.h"

namespace tyx {

void FallBackToPackage(Session& s, const std::string& why) {
  s.log.WriteLog("Rozdílovou aktualizaci nelze použít (" + why + "). Stahuje se celý soubor " + kPackage + ".");
  if (!s.run.delta) return;
  RemoveIfThere(s.platform.files, s.run.gWorkPath + "\\" + kPackage);
  s.run.delta.reset();
  s.run.signedList.reset();
  // Should a file stay, the package's check still holds the folder to its
  // list, which names every file a delta may leave.
  PrepareStagingFolder(s.platform.files, s.log, s.run);
}

}  // namespace tyx
