#include "product/Catalogue.h"

namespace tyx {
namespace {

constexpr WindowsRule kNorvaXp = WindowsRule::Nt5;
constexpr WindowsRule kOtherXp = WindowsRule::BelowNt6;

}  // namespace

// The host names come from the build (cmake/Hosts.cmake).
const std::array<Product, 6> kCatalogue = {{
    {"Norva", "Norva.exe", "Software\\Tyx\\Norva", "NorvaXP.exe", "NorvaV.exe", kNorvaXp, true, TYX_HOST_NORVA,
     "/tyx/norva/newverall/", "/tyx/norva/betaall/", {"Kartotéka Norva", "NorvaMon"}},
    {"NorvaPro", "NorvaPro.exe", "Software\\Tyx\\NorvaPro", "NorvaProXP.exe", "NorvaProV.exe", kNorvaXp, true,
     TYX_HOST_NORVA, "/tyx/norvapro/newverall/", "/tyx/norvapro/betaall/", {"Kartotéka Norva", "NorvaMon"}},
    {"NorvaLite", "NorvaLite.exe", "Software\\Tyx\\NorvaLite", "NorvaLiteXP.exe", "NorvaLiteV.exe", kNorvaXp, true,
     TYX_HOST_NORVA, "/tyx/norvalite/newverall/", "/tyx/norvalite/betaall/", {"Kartotéka Norva", "NorvaMon"}},
    {"Talvik", "Talvik.exe", "Software\\Tyx\\Talvik", "TalvikXP.exe", "TalvikV.exe", kOtherXp, false,
     TYX_HOST_TALVIK, "/tyx/talvik/newver/", "/tyx/talvik/beta/", {"Talvik", nullptr}},
    {"TalvikPro", "TalvikPro.exe", "Software\\Tyx\\TalvikPro", "TalvikProXP.exe", "TalvikProV.exe", kOtherXp, false,
     TYX_HOST_TALVIK, "/tyx/talvikpro/newver/", "/tyx/talvikpro/beta/", {"TalvikPro", nullptr}},
    {"Bremo", "Bremo.exe", "Software\\Tyx\\Bremo", "BremoXP.exe", "BremoV.exe", kOtherXp, false, TYX_HOST_BREMO,
     "/tyx/bremo/newver/", "/tyx/bremo/beta/", {"Bremo", nullptr}},
}};

const Product* FindProduct(std::string_view name) {
  for (const Product& p : kCatalogue)
    if (name == p.name) return &p;
  return nullptr;
}

bool FindWebSource(const std::string& product, bool beta, WebSource& source) {
  const Product* p = FindProduct(product);
  if (!p) return false;
  source = {p->host, beta ? p->betaPath : p->releasePath};
  return true;
}

std::vector<std::string> WindowsToClose(const Product& product) {
  std::vector<std::string> titles;
  for (const char* title : product.windowsToClose)
    if (title) titles.push_back(title);
  return titles;
}

}  // namespace tyx
