#include "cabinet/ExtractCab.h"

#include "cabinet/CabPaths.h"

namespace tyx {

void ExtractCab(CabServices services, const std::string& cabinet, const std::string& destination) {
  CabFile cab(services);
  cab.CabName = cabinet;
  cab.GetInfo("");
  for (const std::string& name : cab.Files())
    if (!IsSafeEntryName(name)) throw ErrorRecord(123, "CabFile", Win32ErrorText(123));
  cab.Extract("", destination, "");
}

}  // namespace tyx
