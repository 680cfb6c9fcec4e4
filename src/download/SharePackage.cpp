#include "download/SharePackage.h"

#include "platform/ErrorRecord.h"
#include "platform/RemoveIfThere.h"
#include "product/PackageFiles.h"

namespace tyx {

void SharePackage(Session& s) {
  if (s.form.mNewVerType != "2") return;
  IFileSystem& files = s.platform.files;
  const std::string copy = s.run.gDataPath + "\\" + files.GetTempName();
  try {
    files.CopyFile(s.run.gWorkPath + "\\" + kPackage, copy, false);
    files.Flush(copy);
    files.ReplaceFile(copy, s.run.gDataPath + "\\" + kPackage);
  } catch (const ErrorRecord& e) {
    RemoveIfThere(files, copy);
    s.ShowStatus(std::string("Aktualizační soubor nelze uložit do adresáře s daty (") + e.Description() + ")");
    s.Pump();
  }
}

}  // namespace tyx
