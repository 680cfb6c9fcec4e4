#include "install/InstallUpdate.h"

#include <algorithm>
#include <map>
#include <set>

#include "install/BackupFolder.h"
#include "install/CloseApplication.h"
#include "install/InstallChecks.h"
#include "install/Journal.h"
#include "install/RestorePreviousVersion.h"
#include "package/PackageCheck.h"
#include "platform/ErrorRecord.h"
#include "platform/RemoveIfThere.h"
#include "platform/Text.h"
#include "product/EditionBuilds.h"
#include "product/PackageFiles.h"
#include "session/ProgressBar.h"

namespace tyx {
namespace {

using Kind = Journal::Kind;

constexpr int32_t kFileNotFound = 53;
constexpr int32_t kFileExists = 58;
constexpr int32_t kInvalidData = 13;
// Lines put on the disk at once, ahead of their changes: one flush each
// instead of one per file.
constexpr size_t kRecordBatch = 100;

[[noreturn]] void PermissionDenied() { throw ErrorRecord(70, "Scripting.FileSystemObject", "Permission denied"); }

// Every file of the application folder that the installation changes is first
// moved into the backup folder: a rename on the same volume, so the previous
// version's bytes are never rewritten and need no flush. The record is on the
// disk before each change, the new files before its END.
class Installation {
 public:
  explicit Installation(Session& s) : s_(s), files_(s.platform.files), app_(s.run.gAppPath) {}

  void Run() {
    backup_ = CreateBackupFolder(s_, app_);
    ListApplicationFolder();
    journal_.emplace(files_, backup_);
    s_.ShowStatus("Kopírování souborů...");
    s_.Pump();
    list_ = StagedFiles();
    size_t toInstall = 0;
    for (const std::string& name : list_)
      if (!IsPackageFile(LowerCase(name))) ++toInstall;
    if (FileCountOverflows(toInstall)) throw ErrorRecord(6, "InstallUpdate", "Overflow");
    const float count = static_cast<float>(toInstall + 1);
    int index = 1;
    for (size_t i = 0; i < list_.size(); ++i) {
      if (IsPackageFile(LowerCase(list_[i]))) continue;
      RecordAhead(i);
      InstallFile(list_[i]);
      s_.Pump();
      ShowProgress(s_.window.StatusBox(), 1.0f / count * static_cast<float>(index), false);
      s_.Pump();
      ++index;
    }
    RenameExecutable();
    for (const auto& [lower, name] : written_) files_.Flush(app_ + "\\" + name);
    journal_->Finish();
    // The application folder is complete: a failure from here on leaves it so.
    BackUpDataFiles();
    if (files_.FolderExists(s_.run.gNewVerPath)) files_.DeleteFolder(s_.run.gNewVerPath, true);
    RemoveIfThere(files_, s_.run.gWorkPath + "\\" + kPackage);  // it would take room in the application's folder
    ShowProgress(s_.window.StatusBox(), 1.0f, false);
    s_.Pump();
    s_.ShowStatus("Aktualizace provedena");
    s_.Pump();
    s_.run.gUpdated = true;
  }

  // After a failure: the application folder as it was before the run.
  void RollBack() {
    if (!journal_ || !journal_->Started() || journal_->Finished()) return;
    std::optional<Journal::Contents> record = Journal::Read(files_, backup_);
    if (record && record->state == Journal::Contents::State::Unfinished)
      RestorePreviousVersion(files_, s_.log, app_, backup_, record->entries, [] {});
  }

 private:
  // What was checked: the signed list's files (in name order, as Windows
  // lists a folder); an unsigned package has no list to hold the folder to.
  std::vector<std::string> StagedFiles() {
    if (!s_.run.signedList) return files_.Files(s_.run.gNewVerPath);
    std::vector<std::string> names;
    for (const PackageFile& f : s_.run.signedList->files)
      if (f.name.find('\\') == std::string::npos) {
        names.push_back(f.name);
        listed_[LowerCase(f.name)] = &f;
      }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return LowerCase(a) < LowerCase(b); });
    return names;
  }

  // A signed file is checked again as it lands: the staging folder is the
  // updater's, but a file must not change between the check and the copy.
  void CopyChecked(const std::string& source, const std::string& target, bool overwrite) {
    files_.CopyFile(source, target, overwrite);
    auto listed = listed_.find(LowerCase(source.substr(s_.run.gNewVerPath.size() + 1)));
    if (listed != listed_.end() && !MatchesList(s_.platform.crypto, target, *listed->second))
      throw ErrorRecord(kInvalidData, "InstallUpdate", "Soubor " + listed->second->name + " neodpovídá podpisu aktualizace");
  }

  void ListApplicationFolder() {
    // One listing instead of a look per file: under Wine each look for a
    // file that is not there scans the whole folder.
    present_.clear();
    for (const std::string& name : files_.Files(app_)) present_.insert(LowerCase(name));
  }

  // The names the staged file is installed under.
  std::vector<std::string> Targets(const std::string& name) const {
    const std::string lower = LowerCase(name);
    if (IsPackageFile(lower)) return {};
    if (lower == kUpdaterFile) return {kUpdaterNew};
    const EditionBuild build = FindEditionBuild(lower);
    if (build.product && SuitsThisWindows(build, s_.platform.system)) return {name, build.product->executable};
    return {name};
  }

  // Puts the lines of this file and of the next ones on the disk.
  void RecordAhead(size_t first) {
    std::vector<Journal::Entry> batch;
    for (size_t i = first; i < list_.size(); ++i) {
      for (const std::string& name : Targets(list_[i])) Plan(name, batch);
      if (batch.empty() || batch.size() >= kRecordBatch) break;  // empty: recorded ahead already
    }
    journal_->Record(batch);
  }

  void Plan(const std::string& name, std::vector<Journal::Entry>& batch) {
    const std::string lower = LowerCase(name);
    if (recorded_.count(lower)) return;
    recorded_[lower] = {present_.count(lower) ? Kind::Kept : Kind::Created, name};
    batch.push_back(recorded_[lower]);
  }

  void Record(Kind kind, const std::string& name) {
    recorded_[LowerCase(name)] = {kind, name};
    journal_->Record({{kind, name}});
  }

  // A program that has just quit may have left files that the listing did not
  // see: they are kept like the others.
  void AfterApplicationQuit() {
    ListApplicationFolder();
    std::vector<Journal::Entry> appeared;
    for (auto& [lower, entry] : recorded_)
      if (entry.kind == Kind::Created && !changed_.count(lower) && present_.count(lower)) {
        entry.kind = Kind::Kept;
        appeared.push_back(entry);
      }
    journal_->Record(appeared);
  }

  void MoveToBackup(const std::string& name) {
    const std::string target = app_ + "\\" + name;
    // Windows refuses to write over a read-only file; it would let it be moved.
    if (files_.IsReadOnly(target)) PermissionDenied();
    files_.MoveFile(target, backup_ + "\\" + name);
  }

  void Replace(const std::string& source, const std::string& name) {
    const std::string lower = LowerCase(name);
    const std::string target = app_ + "\\" + name;
    if (changed_.insert(lower).second) {
      if (recorded_.at(lower).kind == Kind::Kept) {
        try {
          MoveToBackup(name);
        } catch (const ErrorRecord& e) {
          if (e.number != kFileNotFound) throw;
          Record(Kind::Created, name);  // gone since the listing
        }
      } else {
        try {
          CopyChecked(source, target, false);
          written_[lower] = name;
          return;
        } catch (const ErrorRecord& e) {
          if (e.number != kFileExists) throw;
          Record(Kind::Kept, name);  // there since the listing
          MoveToBackup(name);
        }
      }
    }
    CopyChecked(source, target, true);
    written_[lower] = name;
  }

  void ShowBackUp(const std::string& name) {
    s_.ShowStatus("Zálohování souboru " + name);
    s_.Pump();
    s_.ShowStatus("Kopírování souboru " + name);
  }

  void InstallFile(const std::string& name) {
    const std::string lower = LowerCase(name);
    const std::string source = s_.run.gNewVerPath + "\\" + name;
    const EditionBuild build = FindEditionBuild(lower);
    const bool suits = build.product && SuitsThisWindows(build, s_.platform.system);
    if (!build.product || suits) ShowBackUp(suits ? build.product->executable : name);
    s_.Pump();
    if (lower == kUpdaterFile) {
      // The running updater stays; its copy is for whoever replaces it.
      if (present_.count(lower)) files_.CopyFile(app_ + "\\" + name, backup_ + "\\" + name, false);
      Replace(source, kUpdaterNew);
    } else if (build.product) {
      bool quit = false;
      for (const std::string& title : WindowsToClose(*build.product)) quit |= CloseApplication(s_, title);
      if (quit) AfterApplicationQuit();
      Replace(source, name);
      if (suits) {
        Replace(source, build.product->executable);
        s_.log.WriteLog(lower);
      }
    } else {
      Replace(source, name);
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
    std::vector<Journal::Entry> batch;
    Plan(standard, batch);
    Plan(cApp, batch);
    journal_->Record(batch);
    if (changed_.insert(LowerCase(standard)).second && recorded_.at(LowerCase(standard)).kind == Kind::Kept) {
      // Rare: an old standard executable that moves on to the other name.
      files_.CopyFile(app_ + "\\" + standard, backup_ + "\\" + standard, false);
      files_.Flush(backup_ + "\\" + standard);
    }
    if (changed_.insert(LowerCase(cApp)).second && recorded_.at(LowerCase(cApp)).kind == Kind::Kept) MoveToBackup(cApp);
    s_.ShowStatus("Přejmenování souboru " + standard + " na " + cApp);
    files_.MoveFile(app_ + "\\" + standard, app_ + "\\" + cApp);
    written_.erase(LowerCase(standard));
    written_[LowerCase(cApp)] = cApp;
  }

  void BackUpDataFiles() {
    s_.ShowStatus("Zálohování datového souboru");
    s_.Pump();
    // A data file the package replaced is in the backup folder already.
    for (const std::string data : kDataFiles)
      if (present_.count(data) && !changed_.count(data))
        files_.CopyFile(app_ + "\\" + data, backup_ + "\\" + data, false);
  }

  Session& s_;
  IFileSystem& files_;
  const std::string& app_;
  std::string backup_;
  std::vector<std::string> list_;  // the staging folder's files to install
  std::map<std::string, const PackageFile*> listed_;  // their lines in the signed list, by lower-case name
  std::optional<Journal> journal_;
  std::set<std::string> present_;         // lower-case names in the application folder before its changes
  std::map<std::string, Journal::Entry> recorded_;  // by lower-case name: its last line in the record
  std::set<std::string> changed_;         // lower-case names this run has changed
  std::map<std::string, std::string> written_;  // new files by lower-case name, put on the disk before END
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
