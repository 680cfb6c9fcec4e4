#include "delta/UnchangedFiles.h"

#include "delta/DeltaFallback.h"
#include "package/PackageCheck.h"
#include "platform/ErrorRecord.h"
#include "platform/RemoveIfThere.h"
#include "platform/Text.h"
#include "product/PackageFiles.h"
#include "release/InstalledRelease.h"

namespace tyx {
namespace {

// Where the installation put a file of the package: under its own name, the
// updater's under the name it waits under until it is swapped in, and the
// standard executable under the name the product is installed under.
std::vector<std::string> InstalledNames(const Run& run, const std::string& name) {
  if (name.find('\\') != std::string::npos) return {};  // only the folder's own files are installed
  const std::string lower = LowerCase(name);
  if (lower == kUpdaterFile) return {kUpdaterNew, name};
  if (EqualsNoCase(name, run.gProduct + ".exe") && !EqualsNoCase(name, run.cApp)) return {name, run.cApp};
  return {name};
}

bool TakeInstalled(Session& s, const PackageFile& listed, const std::string& staged) {
  IFileSystem& files = s.platform.files;
  for (const std::string& name : InstalledNames(s.run, listed.name)) {
    const std::string installed = s.run.gAppPath + "\\" + name;
    if (!files.FileExists(installed)) continue;
    // The copy is what gets checked and installed, not the file it came from.
    files.CopyFile(installed, staged, false);
    if (MatchesList(s.platform.crypto, staged, listed)) return true;
    files.DeleteFile(staged, true);
  }
  return false;
}

}  // namespace

bool TakeUnchangedFiles(Session& s) {
  const uint32_t from = s.run.delta->from;
  if (!s.run.signedList) {
    FallBackToPackage(s, "soubor " + s.run.delta->file + " neobsahuje podepsaný seznam souborů");
    return false;
  }
  size_t taken = 0;
  for (const PackageFile& listed : s.run.signedList->files) {
    const std::string staged = s.run.gNewVerPath + "\\" + listed.name;
    if (s.platform.files.FileExists(staged)) continue;
    bool ok = false;
    try {
      ok = TakeInstalled(s, listed, staged);
    } catch (const ErrorRecord&) {
      RemoveIfThere(s.platform.files, staged);
    }
    if (!ok) {
      FallBackToPackage(s, "soubor " + listed.name + " v adresáři aplikace se liší od vydání " + std::to_string(from));
      return false;
    }
    ++taken;
    s.Pump();
  }
  s.log.WriteLog("Soubory nezměněné od vydání " + std::to_string(from) +
                 " převzaty z adresáře aplikace: " + std::to_string(taken) + ".");
  return true;
}

}  // namespace tyx
