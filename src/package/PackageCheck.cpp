#include "package/PackageCheck.h"

#include <map>

#include "package/PackageInf.h"
#include "platform/ErrorRecord.h"
#include "platform/Text.h"
#include "product/PackageFiles.h"

namespace tyx {
namespace {

// Every file below the folder by its name relative to it, lower-cased.
void ListFiles(IFileSystem& files, const std::string& folder, const std::string& prefix,
               std::map<std::string, std::string>& found) {
  for (const std::string& name : files.Files(folder)) found[LowerCase(prefix + name)] = prefix + name;
  for (const std::string& sub : files.Folders(folder)) ListFiles(files, folder + "\\" + sub, prefix + sub + "\\", found);
}

std::string Refused(const std::string& reason) { return reason + " Aktualizace nebude provedena."; }

}  // namespace

std::string CheckPackage(IFileSystem& files, ICrypto& crypto, const std::string& folder) {
  const std::string infPath = folder + "\\" + kPackageInfo;
  if (!files.FileExists(infPath))
    return crypto.SignedPackagesOnly() ? Refused("Aktualizační soubor není podepsán výrobcem.") : "";
  std::optional<PackageInf> inf;
  try {
    inf = ParsePackageInf(files.ReadFile(infPath, kMaxPackageInfSize + 1));
  } catch (const ErrorRecord& e) {
    return Refused("Seznam souborů aktualizace nelze přečíst (" + e.Description() + ").");
  }
  if (!inf) return Refused("Seznam souborů aktualizace je poškozen.");
  if (std::string keyName; !crypto.VerifySignature(inf->signedPart, inf->signature, keyName))
    return Refused("Podpis aktualizačního souboru je neplatný.");

  std::map<std::string, std::string> present;
  try {
    ListFiles(files, folder, "", present);
  } catch (const ErrorRecord& e) {
    return Refused("Soubory aktualizace nelze projít (" + e.Description() + ").");
  }
  present.erase(kPackageInfo);
  for (const PackageFile& listed : inf->files) {
    auto it = present.find(LowerCase(listed.name));
    if (it == present.end()) return Refused("V aktualizaci chybí podepsaný soubor " + listed.name + ".");
    FileDigest digest;
    if (!crypto.DigestFile(folder + "\\" + it->second, digest) || digest.size != listed.size ||
        digest.sha256 != listed.sha256)
      return Refused("Soubor " + listed.name + " neodpovídá podpisu aktualizace.");
    present.erase(it);
  }
  if (!present.empty()) return Refused("Soubor " + present.begin()->second + " není v podepsaném seznamu aktualizace.");
  return "";
}

}  // namespace tyx
