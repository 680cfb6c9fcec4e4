#include "package/SignatureStep.h"

#include "package/PackageCheck.h"
#include "package/Refusal.h"

namespace tyx {

bool CheckSignature(Session& s) {
  if (!s.run.signedList) return true;
  const std::string refusal =
      CheckPackageFiles(s.platform.files, s.platform.crypto, s.run.gNewVerPath, *s.run.signedList);
  return refusal.empty() || RefusePackage(s, refusal);
}

}  // namespace tyx
