#include "package/PackageListStep.h"

#include "cabinet/ExtractCab.h"
#include "package/CabinetListing.h"
#include "package/PackageCheck.h"
#include "package/Refusal.h"
#include "platform/Text.h"
#include "product/PackageFiles.h"
#include "release/ReleaseInfo.h"

namespace tyx {
bool CheckPackageList(Session& s) {
  s.run.signedList.reset();
  CabServices services{s.platform.cabinet, s.platform.files, s.platform.codePage, s.platform.system};
  const std::string package = s.run.gWorkPath + "\\" + kPackage;
  std::vector<CabEntry> entries;
  bool signedPackage = false;
  try {
    entries = ListCabinet(services, package);
    for (const CabEntry& entry : entries) {
      const bool list = EqualsNoCase(entry.name, kPackageInfo);
      if (!list && !EqualsNoCase(entry.name, kReleaseFile)) continue;
      // Read before the signature is: only as much as an honest one needs.
      if (entry.size > (list ? kMaxPackageInfSize : kMaxReleaseFileSize))
        return RefusePackage(s, Refused("Soubor " + entry.name + " je v aktualizačním souboru příliš velký."));
      ExtractCab(services, package, s.run.gNewVerPath, entry.name);
      signedPackage |= list;
    }
  } catch (const ErrorRecord& e) {
    s.ShowStatus("Chyba při rozbalování souborů!  (" + e.Description() + ")");
    s.Pump();
    s.run.gLastError = e.Description();
    return false;
  }
  if (!signedPackage) return true;
  PackageInf inf;
  std::string keyName;
  std::string refusal =
      ReadSignedList(s.platform.files, s.platform.crypto, s.run.gNewVerPath + "\\" + kPackageInfo, inf, keyName);
  if (refusal.empty()) refusal = CheckCabinetListing(inf, entries);
  if (!refusal.empty()) return RefusePackage(s, refusal);
  s.log.WriteLog("Seznam souborů aktualizace je podepsán výrobcem (klíč " + keyName + ").");
  s.run.signedList = std::move(inf);
  return true;
}

}  // namespace tyx
