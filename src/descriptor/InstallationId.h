#pragma once
#include <string>

#include "platform/Crypto.h"
#include "platform/FileSystem.h"

namespace tyx {

// The installation's own random identifier (32 hex digits), drawn once and
// kept in the work folder, where only those who may replace the application
// can write. A missing or damaged one is drawn again.
std::string InstallationId(IFileSystem& files, ICrypto& crypto, const std::string& workFolder);

}  // namespace tyx
