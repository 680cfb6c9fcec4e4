#include "cabinet/ExtractStep.h"

#include "cabinet/ExtractCab.h"
#include "package/CabinetListing.h"
#include "package/Refusal.h"
#include "product/PackageFiles.h"

namespace tyx {

uint8_t ExtractUpdate(Session& s) {
  CabServices services{s.platform.cabinet, s.platform.files, s.platform.codePage, s.platform.system};
  const std::string package = s.run.gWorkPath + "\\" + kPackage;
  const std::string pack = s.run.gNewVerPath + "\\" + kNestedPackage;
  uint8_t result = 0;
  try {
    s.log.WriteLog("Extrahuji soubory z " + package + " do  " + s.run.gNewVerPath);
    ExtractCab(services, package, s.run.gNewVerPath);
    if (s.platform.files.FileExists(pack)) {
      if (s.run.signedList) {
        std::vector<CabEntry> entries = ListCabinet(services, package);
        for (CabEntry& entry : ListCabinet(services, pack)) entries.push_back(std::move(entry));
        const std::string refusal = CheckCabinetListing(*s.run.signedList, entries);
        if (!refusal.empty()) {
          s.window.SetMousePointer(MousePointer::Default);
          RefusePackage(s, refusal);
          return 1;
        }
      }
      s.log.WriteLog("Extrahuji soubory z " + pack + " do  " + s.run.gNewVerPath);
      ExtractCab(services, pack, s.run.gNewVerPath);
      s.platform.files.DeleteFile(pack, true);
      s.platform.files.DeleteFile(s.run.gNewVerPath + "\\" + kNestedList, true);
    }
    s.log.WriteLog("Soubory aktualizace extrahovány do " + s.run.gNewVerPath);
  } catch (const ErrorRecord& e) {
    result = 1;
    s.ShowStatus("Chyba při rozbalování souborů!  (" + e.Description() + ")");
    s.Pump();
    s.run.gLastError = e.Description();
  }
  s.window.SetMousePointer(MousePointer::Default);
  return result;
}

}  // namespace tyx
