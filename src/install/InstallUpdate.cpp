#include "install/InstallUpdate.h"

#include <set>

#include "install/BackupFolder.h"
#include "install/CloseApplication.h"
#include "install/InstallChecks.h"
#include "install/Journal.h"
#include "install/RestorePreviousVersion.h"
#include "platform/ErrorRecord.h"
#include "platform/Text.h"
#include "product/EditionBuilds.h"
#include "product/PackageFiles.h"
#include "session/ProgressBar.h"

namespace tyx {
namespace {

constexpr int32_t kPermissionDenied = 70;

class Installation {
 public:
  explicit Installation(Session& s) : s_(s), files_(s.platform.files), app_(s.run.gAppPath) {}

  void Run() {
    backup_ = CreateBackupFolder(files_, s_.platform.system, app_);
    // One listing instead of a look per file: under Wine each look for a
    // file that is not there scans the whole folder.
    for (const std::string& name : files_.Files(app_)) present_.insert(LowerCase(name));
    journal_.emplace(files_, backup_);
    s_.ShowStatus("Kopírování souborů...");
    s_.Pump();
    std::vector<std::string> list = files_.Files(s_.run.gNewVerPath);
    size_t toInstall = 0;
    for (const std::string& name : list)
      if (!IsPackageFile(LowerCase(name))) ++toInstall;
    if (FileCountOverflows(toInstall)) throw ErrorRecord(6, "InstallUpdate", "Overflow");
    const float count = static_cast<float>(toInstall + 1);
    int index = 1;
    for (const std::string& name : list) {
      if (IsPackageFile(LowerCase(name))) continue;
      InstallFile(name);
      s_.Pump();
      ShowProgress(s_.window.StatusBox(), 1.0f / count * static_cast<float>(index), false);
      s_.Pump();
      ++index;
    }
    RenameExecutable();
    BackUpDataFiles();
    if (files_.FolderExists(s_.run.gNewVerPath)) files_.DeleteFolder(s_.run.gNewVerPath, true);
    if (journal_->Started()) journal_->Finish();
    ShowProgress(s_.window.StatusBox(), 1.0f, false);
    s_.Pump();
    s_.ShowStatus("Aktualizace provedena");
    s_.Pump();
    s_.run.gUpdated = true;
  }

  // After a failure: the application folder as it was before the run.
  void RollBack() {
    if (journal_ && journal_->Started()) RestorePreviousVersion(files_, s_.log, app_, backup_);
  }

 private:
  // The backup folder keeps what was there before the run: a file is copied
  // into it once, before anything of this run can have changed it.
  void SaveCopy(const std::string& name) {
    const std::string lower = LowerCase(name);
    if (saved_.insert(lower).second && WasPresent(lower))
      files_.CopyFile(app_ + "\\" + name, backup_ + "\\" + name, false);
  }

  // Records, ahead of the change, how to undo it. True the first time.
  bool WillChange(const std::string& name) {
    const std::string lower = LowerCase(name);
    if (!recorded_.insert(lower).second) return false;
    // Nothing of this name has changed before it is recorded here, so the
    // folder as it was at the start still tells.
    if (WasPresent(lower)) {
      SaveCopy(name);
      journal_->Record(Journal::Kind::Kept, name);
    } else {
      journal_->Record(Journal::Kind::Created, name);
    }
    return true;
  }

  bool WasPresent(const std::string& lower) const { return present_.count(lower) != 0; }

  void Install(const std::string& source, const std::string& name) {
    bool first = WillChange(name);
    try {
      files_.CopyFile(source, app_ + "\\" + name, true);
    } catch (const ErrorRecord& e) {
      // A refused copy never opened the file: nothing of it to restore.
      if (first && e.number == kPermissionDenied) journal_->Record(Journal::Kind::Unchanged, name);
      throw;
    }
  }

  void BackUp(const std::string& name) {
    s_.ShowStatus("Zálohování souboru " + name);
    s_.Pump();
    SaveCopy(name);
    s_.ShowStatus("Kopírování souboru " + name);
  }

  void InstallFile(const std::string& name) {
    const std::string lower = LowerCase(name);
    const std::string source = s_.run.gNewVerPath + "\\" + name;
    const EditionBuild build = FindEditionBuild(lower);
    if (!build.product) {
      BackUp(name);
    } else if (SuitsThisWindows(build, s_.platform.system)) {
      BackUp(build.product->executable);
    }
    s_.Pump();
    if (lower == kUpdaterFile) {
      Install(source, kUpdaterNew);
    } else if (build.product) {
      for (const std::string& title : WindowsToClose(*build.product)) CloseApplication(s_, title);
      Install(source, name);
      if (SuitsThisWindows(build, s_.platform.system)) {
        Install(source, build.product->executable);
        s_.log.WriteLog(lower);
      }
    } else {
      Install(source, name);
    }
  }

  // The product's standard executable takes the name it is installed under.
  void RenameExecutable() {
    const std::string standard = s_.run.gProduct + ".exe";
    const std::string& cApp = s_.run.cApp;
    // Names that differ only in case are the same file on Windows.
    if (EqualsNoCase(cApp, standard)) return;
    s_.ShowStatus("Zálohování souboru " + cApp);
    s_.Pump();
    // Without a new standard executable the installed one must stay where it is.
    if (!files_.FileExists(app_ + "\\" + standard)) throw ErrorRecord(53, "InstallUpdate", "File not found");
    WillChange(standard);
    WillChange(cApp);
    // Its copy is in the backup folder now.
    if (files_.FileExists(app_ + "\\" + cApp)) files_.DeleteFile(app_ + "\\" + cApp, true);
    s_.ShowStatus("Přejmenování souboru " + standard + " na " + cApp);
    files_.MoveFile(app_ + "\\" + standard, app_ + "\\" + cApp);
  }

  void BackUpDataFiles() {
    s_.ShowStatus("Zálohování datového souboru");
    s_.Pump();
    for (const char* data : kDataFiles) SaveCopy(data);
  }

  Session& s_;
  IFileSystem& files_;
  const std::string& app_;
  std::string backup_;
  std::optional<Journal> journal_;
  std::set<std::string> present_;  // lower-case names of the files in the folder before any change
  std::set<std::string> saved_;  // lower-case names the backup has taken care of
  std::set<std::string> recorded_;  // lower-case names the journal knows
};

}  // namespace

bool FileCountOverflows(size_t filesToInstall) { return filesToInstall > static_cast<size_t>(kMaxPackageFiles); }

void InstallUpdate(Session& s) {
  Installation installation(s);
  try {
    if (std::optional<std::string> refusal = ReasonNotToInstall(s)) {
      s.ShowStatus(*refusal);
      s.Pump();
    } else {
      installation.Run();
    }
  } catch (const ErrorRecord& e) {
    s.window.SetMousePointer(MousePointer::Default);
    s.ShowStatus("Chyba při aktualizaci!  (" + e.Description() + ")");
    s.Pump();
    installation.RollBack();
    return;
  }
  s.window.SetMousePointer(MousePointer::Default);
}

}  // namespace tyx
