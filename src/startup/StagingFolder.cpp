#include "startup/StagingFolder.h"

#include "platform/ErrorRecord.h"

namespace tyx {

bool PrepareStagingFolder(IFileSystem& files, UpdateLog& log, const Run& run) {
  try {
    if (files.FolderExists(run.gNewVerPath)) {
      // A planted link would let extraction write outside the folder; the
      // removal of a folder never follows one below it either.
      files.RemoveLinks(run.gNewVerPath);
      for (const std::string& name : files.Files(run.gNewVerPath))
        files.DeleteFile(run.gNewVerPath + "\\" + name, true);
      // What an earlier package left there would fail the check of this one.
      for (const std::string& name : files.Folders(run.gNewVerPath))
        files.DeleteFolder(run.gNewVerPath + "\\" + name, true);
    } else {
      if (!files.FolderExists(run.gWorkPath)) files.CreateFolder(run.gWorkPath);
      files.CreateFolder(run.gNewVerPath);
    }
    return true;
  } catch (const ErrorRecord& e) {
    log.WriteLog("Adresář " + run.gNewVerPath + " nelze připravit pro aktualizaci (" + e.Description() +
                 "). Aktualizace nebude provedena.");
    return false;
  }
}

}  // namespace tyx
