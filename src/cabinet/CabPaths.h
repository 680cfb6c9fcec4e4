#pragma once
#include <string>

#include "platform/FileNames.h"
#include "platform/FileSystem.h"

namespace tyx {

struct SplitName {
  std::string folder;  // up to and including the last backslash
  std::string name;
};

SplitName SplitPath(const std::string& path);
std::string AddBackslash(const std::string& text);
// Makes the folder and the missing ones above it; false when it cannot.
bool MakePath(IFileSystem& files, const std::string& folder);

}  // namespace tyx
