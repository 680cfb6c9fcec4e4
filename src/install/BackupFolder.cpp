#include "install/BackupFolder.h"

#include <cstdio>

#include "platform/ErrorRecord.h"

namespace tyx {

std::string BackupFolderName(const std::string& appPath, const LocalTime& t) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%02d%02d%02d%02d%02d%02d", t.year % 100, t.month % 100, t.day % 100,
                t.hour % 100, t.minute % 100, t.second % 100);
  return appPath + "\\OldVer\\" + stamp;
}

std::string CreateBackupFolder(IFileSystem& files, ISystem& system, const std::string& appPath) {
  const std::string root = appPath + "\\OldVer";
  std::string folder = BackupFolderName(appPath, system.Now());
  // A run within the same second as an earlier one waits for a fresh name.
  for (int i = 0; i < 2 && files.FolderExists(folder); ++i) {
    system.Sleep(1000);
    folder = BackupFolderName(appPath, system.Now());
  }
  try {
    if (!files.FolderExists(root)) files.CreateFolder(root);
  } catch (const ErrorRecord&) {
  }
  try {
    files.CreateFolder(folder);
  } catch (const ErrorRecord&) {
  }
  return folder;
}

}  // namespace tyx
