#include "install/RestorePreviousVersion.h"

#include <map>

#include "platform/ErrorRecord.h"
#include "platform/Text.h"

namespace tyx {
namespace {

using Kind = Journal::Kind;

// A name's last line tells how to undo it; the names in the order of their
// first change.
std::vector<Journal::Entry> LastLines(const std::vector<Journal::Entry>& entries) {
  std::map<std::string, size_t> at;
  std::vector<Journal::Entry> names;
  for (const Journal::Entry& e : entries) {
    auto [it, fresh] = at.emplace(LowerCase(e.name), names.size());
    if (fresh) names.push_back(e);
    else names[it->second] = e;
  }
  return names;
}

}  // namespace

bool RestorePreviousVersion(IFileSystem& files, UpdateLog& log, const std::string& appPath,
                            const std::string& backupFolder, const std::vector<Journal::Entry>& entries,
                            const std::function<void()>& beforeRetry) {
  const std::vector<Journal::Entry> names = LastLines(entries);
  size_t i = names.size();
  try {
    for (; i > 0; --i) {
      const Journal::Entry& e = names[i - 1];
      const std::string target = appPath + "\\" + e.name, saved = backupFolder + "\\" + e.name;
      // A kept file that is not in the backup folder was never moved: it is the previous version.
      const bool restore = e.kind == Kind::Kept && files.FileExists(saved);
      const bool remove = e.kind == Kind::Created && files.FileExists(target);
      if (!restore && !remove) continue;
      log.WriteLog((restore ? "Obnovení souboru " : "Odstranění souboru ") + e.name);
      auto undo = [&] {
        // The new file may be read-only; the saved one replaces it all the same.
        if (files.FileExists(target)) files.DeleteFile(target, true);
        if (restore) files.MoveFile(saved, target);
      };
      try {
        undo();
      } catch (const ErrorRecord&) {
        beforeRetry();
        undo();
      }
    }
    Journal(files, backupFolder).Finish();
  } catch (const ErrorRecord& error) {
    log.WriteLog("Předchozí verze nebyla obnovena celá!  (" + error.Description() + ")");
    for (; i > 0; --i) {
      const Journal::Entry& e = names[i - 1];
      if (e.kind == Kind::Kept && files.FileExists(backupFolder + "\\" + e.name))
        log.WriteLog("V záloze zůstává soubor " + backupFolder + "\\" + e.name);
    }
    return false;
  }
  log.WriteLog("Předchozí verze obnovena");
  return true;
}

}  // namespace tyx
