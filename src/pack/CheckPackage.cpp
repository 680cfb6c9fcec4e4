#include "pack/CheckPackage.h"

#include "cabinet/ExtractCab.h"
#include "package/CabinetListing.h"
#include "package/PackageCheck.h"
#include "package/PackageInf.h"
#include "platform/ErrorRecord.h"
#include "platform/Text.h"
#include "product/PackageFiles.h"

namespace tyx {

std::string Beside(const std::string& package, const std::string& name) {
  const size_t slash = package.find_last_of("\\/");
  return (slash == std::string::npos ? "" : package.substr(0, slash + 1)) + name;
}

bool Unpack(PackServices& s, const std::string& cabinet, const std::string& top, ReleaseInfo& release,
            std::vector<std::string>& nested, std::string& out) {
  CabServices cab{s.cabinet, s.files, s.codePage, s.system};
  std::vector<CabEntry> entries;
  try {
    entries = ListCabinet(cab, cabinet);
    ExtractCab(cab, cabinet, top);
    if (s.files.FileExists(top + "\\" + kNestedPackage)) {
      for (CabEntry& entry : ListCabinet(cab, top + "\\" + kNestedPackage)) {
        if (!EqualsNoCase(entry.name, kNestedList)) nested.push_back(entry.name);
        entries.push_back(std::move(entry));
      }
      ExtractCab(cab, top + "\\" + kNestedPackage, top);
      s.files.DeleteFile(top + "\\" + kNestedPackage, true);
      s.files.DeleteFile(top + "\\" + kNestedList, true);
    }
  } catch (const ErrorRecord& e) {
    out += "Balíček " + cabinet + " nelze rozbalit (" + e.Description() + ").\r\n";
    return false;
  }
  std::string refusal = "Aktualizační soubor není podepsán výrobcem. Aktualizace nebude provedena.";
  PackageInf inf;
  std::string keyName;
  if (s.files.FileExists(top + "\\" + kPackageInfo))
    refusal = ReadSignedList(s.files, s.crypto, top + "\\" + kPackageInfo, inf, keyName);
  if (refusal.empty()) refusal = CheckCabinetListing(inf, entries);
  if (refusal.empty()) refusal = CheckPackageFiles(s.files, s.crypto, top, inf);
  std::optional<ReleaseInfo> named;
  if (refusal.empty() && s.files.FileExists(top + "\\" + kReleaseFile))
    named = ParseReleaseInfo(s.files.ReadFile(top + "\\" + kReleaseFile, kMaxReleaseFileSize));
  if (refusal.empty() && !named)
    refusal = "Aktualizační soubor neuvádí produkt, kanál a vydání. Aktualizace nebude provedena.";
  if (!refusal.empty()) {
    out += "Balíček " + cabinet + " odmítnut: " + refusal + "\r\n";
    return false;
  }
  release = *named;
  return true;
}

}  // namespace tyx
