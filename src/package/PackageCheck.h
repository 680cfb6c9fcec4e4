#pragma once
#include <string>

#include "platform/Crypto.h"
#include "platform/FileSystem.h"

namespace tyx {

// Whether the unpacked package in the folder comes from the maker: update.inf
// signed under a built-in key, and the folder holding exactly the files it
// lists, each with its size and hash. Empty when it passes (or carries no
// update.inf and the build allows that), else the reason in words.
std::string CheckPackage(IFileSystem& files, ICrypto& crypto, const std::string& folder);

}  // namespace tyx
