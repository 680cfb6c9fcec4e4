#include "delta/UnchangedFiles.h"

#include <set>

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

// One listing per folder instead of a look per file: under Wine each look
// for a file that is not there scans the whole folder.
std::set<std::string> LowerNames(IFileSystem& files, const std::string& folder) {
  std::set<std::string> names;
  for (const std::string& name : files.Files(folder)) names.insert(LowerCase(name));
  return names;
}

bool TakeInstalled(Session& s, const std::set<std::string>& installed, const PackageFile& listed,
                   const std::string& staged) {
  IFileSystem& files = s.platform.files;
  for (const std::string& name : InstalledNames(s.run, listed.name)) {
    if (!installed.count(LowerCase(name))) continue;
    // The copy is what gets checked and installed, not the file it came from.
    files.CopyFile(s.run.gAppPath + "\\" + name, staged, false);
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
  IFileSystem& files = s.platform.files;
  size_t taken = 0;
  std::set<std::string> unpacked, installed;
  try {
    unpacked = LowerNames(files, s.run.gNewVerPath);
    installed = LowerNames(files, s.run.gAppPath);
  } catch (const ErrorRecord&) {
    // Nothing is taken from a folder that cannot be listed: the package follows.
  }
  for (const PackageFile& listed : s.run.signedList->files) {
    const std::string staged = s.run.gNewVerPath + "\\" + listed.name;
    const bool inFolder = listed.name.find('\\') != std::string::npos;
    if (unpacked.count(LowerCase(listed.name)) || (inFolder && files.FileExists(staged))) continue;
    bool ok = false;
    try {
      ok = TakeInstalled(s, installed, listed, staged);
    } catch (const ErrorRecord&) {
      RemoveIfThere(files, staged);
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
