#include "install/RecoverInstallation.h"

#include <algorithm>

#include "install/Journal.h"
#include "install/RestorePreviousVersion.h"
#include "platform/ErrorRecord.h"

namespace tyx {

bool RecoverInstallation(IFileSystem& files, UpdateLog& log, const std::string& appPath) {
  const std::string root = appPath + "\\OldVer";
  try {
    if (!files.FolderExists(root)) return true;
    std::vector<std::string> stamps = files.Folders(root);
    std::sort(stamps.rbegin(), stamps.rend());
    for (const std::string& stamp : stamps) {
      const std::string folder = root + "\\" + stamp;
      if (!Journal::Unfinished(files, folder)) continue;
      log.WriteLog("Nalezena nedokončená aktualizace " + folder);
      if (!RestorePreviousVersion(files, log, appPath, folder)) {
        log.WriteLog("Aktualizace nebude provedena.");
        return false;
      }
    }
    return true;
  } catch (const ErrorRecord& e) {
    log.WriteLog("Adresář " + root + " nelze projít (" + e.Description() + "). Aktualizace nebude provedena.");
    return false;
  }
}

}  // namespace tyx
