#pragma once
#include <string>

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
// An entry name that stays below the folder it is unpacked into: relative,
// no "..", no drive, no stream name and no device (NUL, COM1, AUX.txt ...).
bool IsSafeEntryName(const std::string& name);

}  // namespace tyx
