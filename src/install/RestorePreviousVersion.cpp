#include "install/RestorePreviousVersion.h"

#include <set>

#include "install/Journal.h"
#include "platform/ErrorRecord.h"
#include "platform/Text.h"

namespace tyx {
namespace {

using Kind = Journal::Kind;

void Undo(IFileSystem& files, UpdateLog& log, const Journal::Entry& e, const std::string& target,
          const std::string& saved) {
  if (e.kind == Kind::Kept) {
    if (!files.FileExists(saved)) throw ErrorRecord(53, "InstallUpdate", "File not found");
    log.WriteLog("Obnovení souboru " + e.name);
    // The new file may be read-only; the saved one replaces it all the same.
    if (files.FileExists(target)) files.DeleteFile(target, true);
    files.CopyFile(saved, target, false);
  } else if (e.kind == Kind::Created && files.FileExists(target)) {
    log.WriteLog("Odstranění souboru " + e.name);
    files.DeleteFile(target, true);
  }
}

}  // namespace

bool RestorePreviousVersion(IFileSystem& files, UpdateLog& log, const std::string& appPath,
                            const std::string& backupFolder) {
  std::optional<std::vector<Journal::Entry>> entries = Journal::Unfinished(files, backupFolder);
  if (!entries) return true;
  std::set<std::string> unchanged;
  for (const Journal::Entry& e : *entries)
    if (e.kind == Kind::Unchanged) unchanged.insert(LowerCase(e.name));
  size_t i = entries->size();
  try {
    for (; i > 0; --i) {
      const Journal::Entry& e = (*entries)[i - 1];
      if (!unchanged.count(LowerCase(e.name)))
        Undo(files, log, e, appPath + "\\" + e.name, backupFolder + "\\" + e.name);
    }
    Journal(files, backupFolder).Finish();
  } catch (const ErrorRecord& error) {
    log.WriteLog("Předchozí verze nebyla obnovena celá!  (" + error.Description() + ")");
    for (; i > 0; --i) {
      const Journal::Entry& e = (*entries)[i - 1];
      if (e.kind == Kind::Kept && files.FileExists(backupFolder + "\\" + e.name))
        log.WriteLog("V záloze zůstává soubor " + backupFolder + "\\" + e.name);
    }
    return false;
  }
  log.WriteLog("Předchozí verze obnovena");
  return true;
}

}  // namespace tyx
