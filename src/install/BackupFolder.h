#pragma once
#include <string>

#include "platform/FileSystem.h"
#include "platform/SystemInfo.h"

namespace tyx {

// gAppPath\OldVer\yymmddhhmmss for the given time.
std::string BackupFolderName(const std::string& appPath, const LocalTime& t);
// Creates OldVer and the time-stamped folder below it, for the current time;
// failures are left to the first backup copy to find.
std::string CreateBackupFolder(IFileSystem& files, ISystem& system, const std::string& appPath);

}  // namespace tyx
