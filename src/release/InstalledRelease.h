#pragma once
#include <cstdint>
#include <string>

#include "platform/FileSystem.h"

namespace tyx {

// The number of the release TyxRelease.inf in the application folder names;
// 0 when there is no readable record (the package's own check then decides).
uint32_t InstalledReleaseNumber(IFileSystem& files, const std::string& appPath);

}  // namespace tyx
