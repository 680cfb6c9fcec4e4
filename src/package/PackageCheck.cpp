#include "package/PackageCheck.h"

#include <map>

#include "platform/ErrorRecord.h"
#include "platform/Text.h"
#include "product/PackageFiles.h"

namespace tyx {
std::string Refused(const std::string& reason) { return reason + " Aktualizace nebude provedena."; }

namespace {

// Every file below the folder by its name relative to it, lower-cased; false
// when two names differ only in case (one of them would never be checked).
bool ListFiles(IFileSystem& files, const std::string& folder, const std::string& prefix,
               std::map<std::string, std::string>& found, std::string& twice) {
  for (const std::string& name : files.Files(folder))
    if (!found.emplace(LowerCase(prefix + name), prefix + name).second) {
      twice = prefix + name;
      return false;
    }
  for (const std::string& sub : files.Folders(folder))
    if (!ListFiles(files, folder + "\\" + sub, prefix + sub + "\\", found, twice)) return false;
  return true;
}

}  // namespace

std::string ReadSignedList(IFileSystem& files, ICrypto& crypto, const std::string& path, PackageInf& inf,
                           std::string& keyName) {
  std::optional<PackageInf> parsed;
  try {
    parsed = ParsePackageInf(files.ReadFile(path, kMaxPackageInfSize + 1));
  } catch (const ErrorRecord& e) {
    return Refused("Seznam souborů aktualizace nelze přečíst (" + e.Description() + ").");
  }
  if (!parsed) return Refused("Seznam souborů aktualizace je poškozen.");
  if (!crypto.VerifySignature(parsed->signedPart, parsed->signature, keyName))
    return Refused("Podpis aktualizačního souboru je neplatný.");
  inf = std::move(*parsed);
  return "";
}

bool MatchesList(ICrypto& crypto, const std::string& path, const PackageFile& listed) {
  FileDigest digest;
  return crypto.DigestFile(path, digest) && digest.size == listed.size && digest.sha256 == listed.sha256;
}

std::string CheckPackageFiles(IFileSystem& files, ICrypto& crypto, const std::string& folder, const PackageInf& inf) {
  std::map<std::string, std::string> present;
  std::string twice;
  try {
    if (!ListFiles(files, folder, "", present, twice))
      return Refused("Soubor " + twice + " není v podepsaném seznamu aktualizace.");
  } catch (const ErrorRecord& e) {
    return Refused("Soubory aktualizace nelze projít (" + e.Description() + ").");
  }
  present.erase(kPackageInfo);
  for (const PackageFile& listed : inf.files) {
    auto it = present.find(LowerCase(listed.name));
    if (it == present.end()) return Refused("V aktualizaci chybí podepsaný soubor " + listed.name + ".");
    if (!MatchesList(crypto, folder + "\\" + it->second, listed))
      return Refused("Soubor " + listed.name + " neodpovídá podpisu aktualizace.");
    present.erase(it);
  }
  if (!present.empty()) return Refused("Soubor " + present.begin()->second + " není v podepsaném seznamu aktualizace.");
  return "";
}

}  // namespace tyx
