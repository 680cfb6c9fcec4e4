#include "install/BackupFolder.h"

#include <cstdio>

#include "platform/ErrorRecord.h"

namespace tyx {
namespace {

constexpr uint32_t kFreshNameWaitMs = 3000;

}  // namespace

std::string BackupFolderName(const std::string& appPath, const LocalTime& t) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%02d%02d%02d%02d%02d%02d", t.year % 100, t.month % 100, t.day % 100,
                t.hour % 100, t.minute % 100, t.second % 100);
  return appPath + "\\OldVer\\" + stamp;
}

std::string CreateBackupFolder(Session& s, const std::string& appPath) {
  IFileSystem& files = s.platform.files;
  ISystem& system = s.platform.system;
  const std::string root = appPath + "\\OldVer";
  try {
    if (!files.FolderExists(root)) files.CreateFolder(root);
  } catch (const ErrorRecord&) {
  }
  const uint32_t start = system.TickCount();
  for (;;) {
    const std::string folder = BackupFolderName(appPath, system.Now());
    if (!files.FolderExists(folder)) {
      files.CreateFolder(folder);
      return folder;
    }
    if (system.TickCount() - start > kFreshNameWaitMs) throw ErrorRecord(58, "InstallUpdate", "File already exists");
    s.Pump();
    system.Sleep(100);
  }
}

}  // namespace tyx
