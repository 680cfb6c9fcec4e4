#include "package/CabinetListing.h"

#include <map>
#include <set>

#include "package/PackageCheck.h"
#include "platform/Text.h"
#include "product/PackageFiles.h"

namespace tyx {
namespace {

// A line of pack.lst: a name and its line end.
constexpr uint64_t kMaxNameBytes = 300;

// An MSZIP cabinet of incompressible files is a little larger than they are.
uint64_t NestedCabinetLimit(const PackageInf& inf) {
  uint64_t total = 0;
  for (const PackageFile& f : inf.files) total += f.size;
  return total + total / 64 + 512 * inf.files.size() + (1u << 20);
}

}  // namespace

std::string CheckCabinetListing(const PackageInf& inf, const std::vector<CabEntry>& entries) {
  std::map<std::string, const PackageFile*> listed;
  for (const PackageFile& f : inf.files) listed[LowerCase(f.name)] = &f;
  std::set<std::string> seen;
  for (const CabEntry& entry : entries) {
    const std::string lower = LowerCase(entry.name);
    if (!seen.insert(lower).second) return Refused("Soubor " + entry.name + " je v aktualizačním souboru dvakrát.");
    if (lower == kNestedPackage) {
      if (entry.size > NestedCabinetLimit(inf))
        return Refused("Soubor pack.cab je větší než soubory podepsaného seznamu aktualizace.");
      continue;
    }
    if (lower == kPackageInfo) continue;  // read already, within its limit
    if (lower == kNestedList) {
      if (entry.size > kMaxNameBytes * (inf.files.size() + 1))
        return Refused("Soubor pack.lst je větší než seznam podepsaných souborů aktualizace.");
      continue;
    }
    auto it = listed.find(lower);
    if (it == listed.end()) return Refused("Soubor " + entry.name + " není v podepsaném seznamu aktualizace.");
    if (it->second->size != entry.size) return Refused("Soubor " + entry.name + " neodpovídá podpisu aktualizace.");
  }
  return "";
}

}  // namespace tyx
