#pragma once
#include <string>

#include "platform/SystemInfo.h"
#include "product/Catalogue.h"

namespace tyx {

struct EditionBuild {
  const Product* product;  // nullptr: not an edition build
  bool vBuild;
};

// The edition build of that (lower-case) file name.
EditionBuild FindEditionBuild(const std::string& lowerName);
// Whether the build becomes the product executable on this Windows.
bool SuitsThisWindows(const EditionBuild& build, ISystem& system);

}  // namespace tyx
