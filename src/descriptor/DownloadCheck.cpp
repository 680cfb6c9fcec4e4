#include "descriptor/DownloadCheck.h"

#include "package/PackageCheck.h"
#include "package/Refusal.h"
#include "platform/RemoveIfThere.h"
#include "product/PackageFiles.h"

namespace tyx {

bool MatchesDescriptor(Session& s) {
  if (!s.run.descriptor) return true;
  const std::string package = s.run.gWorkPath + "\\" + kPackage;
  if (MatchesList(s.platform.crypto, package, {kPackage, s.run.descriptor->size, s.run.descriptor->sha256}))
    return true;
  RemoveIfThere(s.platform.files, package);
  return RefusePackage(s, Refused(std::string("Stažený soubor ") + kPackage + " neodpovídá popisu vydání."));
}

}  // namespace tyx
