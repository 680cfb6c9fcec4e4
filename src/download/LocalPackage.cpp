#include "download/LocalPackage.h"

#include "platform/ErrorRecord.h"
#include "product/PackageFiles.h"

namespace tyx {
namespace {

// A copy cut short by a full disk would keep the disk full.
void DeletePartialCopy(IFileSystem& files, const std::string& path) {
  try {
    if (files.FileExists(path)) files.DeleteFile(path, true);
  } catch (const ErrorRecord&) {
  }
}

}  // namespace

bool CopyLocalPackage(Session& s) {
  const std::string staged = s.run.gWorkPath + "\\" + kPackage;
  const std::string shared = s.run.gDataPath + "\\" + kPackage;
  IFileSystem& files = s.platform.files;
  try {
    if (files.FileExists(staged)) files.DeleteFile(staged, true);
    if (!files.FileExists(shared)) {
      s.ShowStatus(std::string("Aktualizační soubor '") + kPackage + "' nebyl nalezen v adresáři s daty.");
      s.Pump();
      return false;
    }
    files.CopyFile(shared, staged, true);
  } catch (const ErrorRecord& e) {
    DeletePartialCopy(files, staged);
    s.ShowStatus(std::string("Aktualizační soubor '") + kPackage + "' nelze připravit k rozbalení (" +
                 e.Description() + ")");
    s.Pump();
    return false;
  }
  s.Pump();
  return true;
}

}  // namespace tyx
