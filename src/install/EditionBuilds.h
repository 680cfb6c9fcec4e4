#pragma once
#include <string>
#include <vector>

#include "platform/SystemInfo.h"

namespace tyx {

struct EditionBuild {
  const char* file;        // lower-case build file name in a package
  const char* executable;  // the product executable it becomes
  bool vBuild;
  bool norvaFamily;
};

// The build file of that (lower-case) name, or nullptr.
const EditionBuild* FindEditionBuild(const std::string& lowerName);
// Whether the build becomes the product executable on this Windows.
bool SuitsThisWindows(const EditionBuild& build, ISystem& system);
// The windows to close before the build is copied, in order.
std::vector<std::string> WindowsToClose(const EditionBuild& build);

}  // namespace tyx
