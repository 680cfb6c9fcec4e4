#include "cabinet/ExtractCab.h"

#include "cabinet/CabPaths.h"

namespace tyx {

std::vector<CabEntry> ListCabinet(CabServices services, const std::string& cabinet) {
  CabFile cab(services);
  cab.CabName = cabinet;
  cab.GetInfo("");
  return cab.Entries();
}

void ExtractCab(CabServices services, const std::string& cabinet, const std::string& destination,
                const std::string& name) {
  for (const CabEntry& entry : ListCabinet(services, cabinet))
    if (!IsSafeEntryName(entry.name)) throw ErrorRecord(123, "CabFile", Win32ErrorText(123));
  CabFile cab(services);
  cab.CabName = cabinet;
  cab.Extract(name, destination, "");
}

}  // namespace tyx
