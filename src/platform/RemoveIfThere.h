#pragma once
#include <string>

#include "platform/FileSystem.h"

namespace tyx {

// Deletes the file when it is there; a failure leaves it for the next run,
// which removes it before it could matter.
void RemoveIfThere(IFileSystem& files, const std::string& path);

}  // namespace tyx
