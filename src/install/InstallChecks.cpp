#include "install/InstallChecks.h"

#include "platform/Text.h"
#include "product/PackageFiles.h"
#include "release/ReleaseInfo.h"

namespace tyx {

std::optional<std::string> ReasonNotToInstall(Session& s) {
  IFileSystem& files = s.platform.files;
  // Update.log would take this run's lines with it; a file named OldVer
  // would stand where the backups go.
  for (const std::string& name : files.Files(s.run.gNewVerPath))
    // Only a signature vouches for the record of the installed release.
    if (IsUpdaterRecordName(LowerCase(name)) || (!s.run.signedList && EqualsNoCase(name, kReleaseFile)))
      return "Aktualizační soubor obsahuje nepřípustný soubor '" + name + "'. Aktualizace nebude provedena.";
  std::string probe;
  uintptr_t file = 0;
  // A name taken between the look and the creation is tried again.
  for (int tries = 0; !file && tries < 3; ++tries) {
    probe = s.run.gAppPath + "\\" + files.GetTempName();
    if (!files.FileExists(probe)) file = files.CreateForWrite(probe);
  }
  if (!file) return "Do adresáře aplikace " + s.run.gAppPath + " nelze zapisovat. Aktualizace nebude provedena.";
  files.Close(file);
  files.DeleteFile(probe, true);
  return std::nullopt;
}

}  // namespace tyx
