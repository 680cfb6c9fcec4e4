#include "startup/Catalogue.h"

namespace tyx {

const std::array<Product, 6> kCatalogue = {{
    {"Norva", "Norva.exe", "Software\\Tyx\\Norva", "NorvaXP.exe", "NorvaV.exe", true},
    {"NorvaPro", "NorvaPro.exe", "Software\\Tyx\\NorvaPro", "NorvaProXP.exe", "NorvaProV.exe", true},
    {"NorvaLite", "NorvaLite.exe", "Software\\Tyx\\NorvaLite", "NorvaLiteXP.exe", "NorvaLiteV.exe", true},
    {"Talvik", "Talvik.exe", "Software\\Tyx\\Talvik", "TalvikXP.exe", "TalvikV.exe", false},
    {"TalvikPro", "TalvikPro.exe", "Software\\Tyx\\TalvikPro", "TalvikProXP.exe", "TalvikProV.exe", false},
    {"Bremo", "Bremo.exe", "Software\\Tyx\\Bremo", "BremoXP.exe", "BremoV.exe", false},
}};

const Product* FindProduct(std::string_view name) {
  for (const Product& p : kCatalogue)
    if (name == p.name) return &p;
  return nullptr;
}

}  // namespace tyx
