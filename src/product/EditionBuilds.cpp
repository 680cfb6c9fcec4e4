#include "product/EditionBuilds.h"

#include "platform/Text.h"
#include "platform/VersionInfo.h"

namespace tyx {

EditionBuild FindEditionBuild(const std::string& lowerName) {
  for (const Product& p : kCatalogue) {
    if (lowerName == LowerCase(p.vBuild)) return {&p, true};
    if (lowerName == LowerCase(p.xpBuild)) return {&p, false};
  }
  return {nullptr, false};
}

bool SuitsThisWindows(const EditionBuild& build, ISystem& system) {
  switch (build.vBuild ? WindowsRule::Nt6 : build.product->xpRule) {
    case WindowsRule::Nt6:
      return IsWinNT6(system);
    case WindowsRule::Nt5:
      return IsWinNT5(system);
    case WindowsRule::BelowNt6:
      return !IsWinNT6(system);
  }
  return false;
}

}  // namespace tyx
