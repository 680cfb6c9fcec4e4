#include "install/InstallUpdate.h"

#include "install/BackupFolder.h"
#include "install/CloseApplication.h"
#include "install/InstallChecks.h"
#include "platform/ErrorRecord.h"
#include "platform/Text.h"
#include "product/EditionBuilds.h"
#include "product/PackageFiles.h"
#include "session/ProgressBar.h"

namespace tyx {
namespace {

constexpr int kMaxFiles = 32766;  // the counters are 16-bit

bool IsPackageFile(const std::string& lowerName) {
  return lowerName == kPackage || lowerName == kPackageInfo || lowerName == kNestedPackage ||
         lowerName == kNestedList;
}

class Installation {
 public:
  explicit Installation(Session& s) : s_(s), files_(s.platform.files), app_(s.run.gAppPath) {}

  void Run() {
    backup_ = CreateBackupFolder(files_, app_, s_.platform.system.Now());
    s_.ShowStatus("Kopírování souborů...");
    s_.Pump();
    std::vector<std::string> list = files_.Files(s_.run.gNewVerPath);
    int count = 1;
    for (const std::string& name : list)
      if (!IsPackageFile(LowerCase(name))) ++count;
    if (count > kMaxFiles) throw ErrorRecord(6, "InstallUpdate", "Overflow");
    int index = 1;
    for (const std::string& name : list) {
      if (IsPackageFile(LowerCase(name))) continue;
      InstallFile(name);
      s_.Pump();
      ShowProgress(s_.window.StatusBox(), 1.0f / static_cast<float>(count) * static_cast<float>(index), false);
      s_.Pump();
      ++index;
    }
    RenameExecutable();
    BackUpDataFiles();
    if (files_.FolderExists(s_.run.gNewVerPath)) files_.DeleteFolder(s_.run.gNewVerPath, true);
    ShowProgress(s_.window.StatusBox(), 1.0f, false);
    s_.Pump();
    s_.ShowStatus("Aktualizace provedena");
    s_.Pump();
    s_.run.gUpdated = true;
  }

 private:
  void BackUp(const std::string& name) {
    s_.ShowStatus("Zálohování souboru " + name);
    s_.Pump();
    if (files_.FileExists(app_ + "\\" + name)) files_.CopyFile(app_ + "\\" + name, backup_ + "\\" + name, true);
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
      files_.CopyFile(source, app_ + "\\" + kUpdaterNew, true);
    } else if (build.product) {
      for (const std::string& title : WindowsToClose(*build.product)) CloseApplication(s_, title);
      files_.CopyFile(source, app_ + "\\" + name, true);
      if (SuitsThisWindows(build, s_.platform.system)) {
        files_.CopyFile(source, app_ + "\\" + build.product->executable, true);
        s_.log.WriteLog(lower);
      }
    } else {
      files_.CopyFile(source, app_ + "\\" + name, true);
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
    if (files_.FileExists(app_ + "\\" + cApp)) files_.MoveFile(app_ + "\\" + cApp, backup_ + "\\" + cApp);
    s_.ShowStatus("Přejmenování souboru " + standard + " na " + cApp);
    files_.MoveFile(app_ + "\\" + standard, app_ + "\\" + cApp);
  }

  void BackUpDataFiles() {
    s_.ShowStatus("Zálohování datového souboru");
    s_.Pump();
    for (const char* data : kDataFiles)
      if (files_.FileExists(app_ + "\\" + data))
        files_.CopyFile(app_ + "\\" + data, backup_ + "\\" + data, true);
  }

  Session& s_;
  IFileSystem& files_;
  const std::string& app_;
  std::string backup_;
};

}  // namespace

void InstallUpdate(Session& s) {
  try {
    if (std::optional<std::string> refusal = ReasonNotToInstall(s)) {
      s.ShowStatus(*refusal);
      s.Pump();
    } else {
      Installation(s).Run();
    }
  } catch (const ErrorRecord& e) {
    s.window.SetMousePointer(MousePointer::Default);
    s.ShowStatus("Chyba při aktualizaci!  (" + e.Description() + ")");
    s.Pump();
    return;
  }
  s.window.SetMousePointer(MousePointer::Default);
}

}  // namespace tyx
