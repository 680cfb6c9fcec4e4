#include "install/RecoverInstallation.h"

#include <algorithm>
#include <utility>

#include "install/CloseApplication.h"
#include "install/Journal.h"
#include "install/RestorePreviousVersion.h"
#include "platform/ErrorRecord.h"
#include "product/Catalogue.h"

namespace tyx {
namespace {

const char kNoUpdate[] = " Aktualizace nebude provedena.";
constexpr uint32_t kRetryPauseMs = 1000;

using State = Journal::Contents::State;

// Its executable and libraries cannot be replaced while it runs.
void AskProductToQuit(Session& s) {
  if (const Product* product = FindProduct(s.run.gProduct))
    for (const std::string& title : WindowsToClose(*product)) CloseApplication(s, title);
}

void PauseBeforeRetry(Session& s) {
  AskProductToQuit(s);
  for (uint32_t waited = 0; waited < kRetryPauseMs; waited += 100) {
    s.Pump();
    s.platform.system.Sleep(100);
  }
}

}  // namespace

bool RecoverInstallation(Session& s) {
  IFileSystem& files = s.platform.files;
  const std::string root = s.run.gAppPath + "\\OldVer";
  try {
    if (!files.FolderExists(root)) return true;
    std::vector<std::string> stamps = files.Folders(root);
    std::sort(stamps.rbegin(), stamps.rend());
    bool asked = false;
    for (const std::string& stamp : stamps) {
      const std::string folder = root + "\\" + stamp;
      std::optional<Journal::Contents> record = Journal::Read(files, folder);
      if (!record || record->state == State::Finished) continue;
      s.log.WriteLog("Nalezena nedokončená aktualizace " + folder);
      if (record->state == State::Unreadable) {
        s.log.WriteLog("Záznam nedokončené aktualizace " + Journal::PathIn(folder) + " nelze přečíst." + kNoUpdate);
        return false;
      }
      if (record->state == State::Damaged) {
        s.log.WriteLog("Záznam nedokončené aktualizace " + Journal::PathIn(folder) + " je poškozen (řádek " +
                       std::to_string(record->badLine) + ")." + kNoUpdate);
        return false;
      }
      if (!std::exchange(asked, true)) AskProductToQuit(s);
      if (!RestorePreviousVersion(files, s.log, s.run.gAppPath, folder, record->entries,
                                  [&s] { PauseBeforeRetry(s); })) {
        s.log.WriteLog("Aktualizace nebude provedena.");
        return false;
      }
    }
    return true;
  } catch (const ErrorRecord& e) {
    s.log.WriteLog("Adresář " + root + " nelze projít (" + e.Description() + ")." + kNoUpdate);
    return false;
  }
}

}  // namespace tyx
