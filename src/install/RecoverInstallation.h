#pragma once
#include <string>

#include "log/UpdateLog.h"
#include "platform/FileSystem.h"

namespace tyx {

// Finds the installations in the application folder that an interrupted run
// left unfinished and undoes them, newest first, with log lines. False, with
// a logged reason, when one cannot be undone: installing over it would mix
// three versions.
bool RecoverInstallation(IFileSystem& files, UpdateLog& log, const std::string& appPath);

}  // namespace tyx
