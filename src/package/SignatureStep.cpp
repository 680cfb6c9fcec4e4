#include "package/SignatureStep.h"

#include "package/PackageCheck.h"

namespace tyx {

bool CheckSignature(Session& s) {
  const std::string refusal = CheckPackage(s.platform.files, s.platform.crypto, s.run.gNewVerPath);
  if (refusal.empty()) return true;
  s.window.SetCaption(Label::Status, refusal);
  s.log.WriteLog("CL - " + refusal);
  s.Pump();
  return false;
}

}  // namespace tyx
