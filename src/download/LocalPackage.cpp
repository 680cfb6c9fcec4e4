#include "download/LocalPackage.h"

#include "platform/ErrorRecord.h"
#include "product/PackageFiles.h"

namespace tyx {

bool CopyLocalPackage(Session& s) {
  const std::string staged = s.run.gTempPath + "\\" + kPackage;
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
    s.ShowStatus(std::string("Aktualizační soubor '") + kPackage + "' nelze připravit k rozbalení (" +
                 e.Description() + ")");
    s.Pump();
    return false;
  }
  s.Pump();
  return true;
}

}  // namespace tyx
