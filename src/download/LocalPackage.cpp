#include "download/LocalPackage.h"

#include "platform/ErrorRecord.h"
#include "platform/RemoveIfThere.h"
#include "product/PackageFiles.h"

namespace tyx {
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
    RemoveIfThere(files, staged);  // a copy cut short by a full disk would keep it full
    s.ShowStatus(std::string("Aktualizační soubor '") + kPackage + "' nelze připravit k rozbalení (" +
                 e.Description() + ")");
    s.Pump();
    return false;
  }
  s.Pump();
  return true;
}

}  // namespace tyx
