#pragma once
#include <string>

#include "platform/FileSystem.h"
#include "platform/SystemInfo.h"

namespace tyx {

// gAppPath\OldVer\yymmddhhmmss for the given time.
std::string BackupFolderName(const std::string& appPath, const LocalTime& t);
// Creates OldVer and the time-stamped folder below it; failures are left to
// the first backup copy to find.
std::string CreateBackupFolder(IFileSystem& files, const std::string& appPath, const LocalTime& t);

}  // namespace tyx
