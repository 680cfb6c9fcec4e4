#include "pack/PackRules.h"

#include <set>

#include "cabinet/CabPaths.h"
#include "platform/Text.h"
#include "product/Catalogue.h"
#include "product/EditionBuilds.h"
#include "product/PackageFiles.h"
#include "release/ReleaseInfo.h"

namespace tyx {
namespace {

// The staging folder below a user's temporary folder takes about 100 of the
// 259 characters a path may have.
constexpr size_t kMaxNameLength = 150;

}  // namespace

void CheckPackRequest(const PackRequest& r, ICodePage& codePage, std::vector<std::string>& refusals,
                      std::vector<std::string>& warnings) {
  const Product* product = FindProduct(r.product);
  if (!product) {
    std::string names;
    for (const Product& p : kCatalogue) names += std::string(names.empty() ? "" : ", ") + p.name;
    refusals.push_back("Neznámý produkt '" + r.product + "'; známé jsou " + names + ".");
  }
  std::set<std::string> seen;
  for (const std::vector<std::string>* list : {&r.files, &r.packFiles}) {
    for (const std::string& name : *list) {
      const std::string lower = LowerCase(name);
      if (!seen.insert(lower).second) refusals.push_back("Soubor " + name + " je v balíčku dvakrát.");
      if (!IsSafeEntryName(name) || codePage.FromAnsi(codePage.ToAnsi(name)) != name)
        refusals.push_back("Název souboru " + name + " aktualizace nepřijme.");
      else if (codePage.ToAnsi(name).size() > kMaxNameLength)
        refusals.push_back("Název souboru " + name + " je delší než " + std::to_string(kMaxNameLength) + " znaků.");
      if (IsPackageFile(lower))
        refusals.push_back("Soubor " + name + " je vyhrazen balíčku a aktualizace by jej neinstalovala.");
      if (EqualsNoCase(name, kReleaseFile))
        refusals.push_back("Soubor " + name + " zapisuje TyxPack sám podle --product, --channel a --release.");
      if (IsUpdaterRecordName(lower))
        refusals.push_back("Soubor " + name + " by stál místo záznamu aktualizace (Update.log, OldVer); aktualizace "
                           "takový balíček odmítne.");
      for (const char* data : kDataFiles) {
        if (lower != data) continue;
        (r.dataFiles ? warnings : refusals)
            .push_back("Datový soubor " + name + " by při aktualizaci přepsal data uživatelů (záloha v OldVer obsahuje "
                       "až nový soubor)." + (r.dataFiles ? "" : " Chcete-li jej přesto dodat, použijte --data."));
      }
    }
  }
  if (seen.size() > static_cast<size_t>(kMaxPackageFiles))
    refusals.push_back("Balíček má " + std::to_string(seen.size()) + " souborů, aktualizace zvládne nejvýše " +
                       std::to_string(kMaxPackageFiles) + ".");
  if (product) {
    for (const char* build : {product->xpBuild, product->vBuild})
      if (!seen.count(LowerCase(build)))
        refusals.push_back(std::string("Chybí soubor ") + build + " (sestavení pro " +
                           (FindEditionBuild(LowerCase(build)).vBuild ? "Windows Vista a novější" : "Windows XP") +
                           ").");
  }
}

}  // namespace tyx
