#include "package/Refusal.h"

namespace tyx {

bool RefusePackage(Session& s, const std::string& refusal) {
  s.window.SetCaption(Label::Status, refusal);
  s.log.WriteLog("CL - " + refusal);
  s.Pump();
  return false;
}

}  // namespace tyx
