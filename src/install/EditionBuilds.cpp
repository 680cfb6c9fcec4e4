#include "install/EditionBuilds.h"

#include "platform/Text.h"
#include "platform/VersionInfo.h"
#include "startup/Catalogue.h"

namespace tyx {
namespace {

struct Table {
  std::vector<EditionBuild> rows;
  std::vector<std::string> names;  // keeps the lower-case names alive
  Table() {
    names.reserve(kCatalogue.size() * 2);
    for (const Product& p : kCatalogue) {
      names.push_back(LowerCase(p.vBuild));
      rows.push_back({nullptr, p.executable, true, p.norvaFamily});
      names.push_back(LowerCase(p.xpBuild));
      rows.push_back({nullptr, p.executable, false, p.norvaFamily});
    }
    for (size_t i = 0; i < rows.size(); ++i) rows[i].file = names[i].c_str();
  }
};

const Table& Builds() {
  static const Table table;
  return table;
}

}  // namespace

const EditionBuild* FindEditionBuild(const std::string& lowerName) {
  for (const EditionBuild& b : Builds().rows)
    if (lowerName == b.file) return &b;
  return nullptr;
}

bool SuitsThisWindows(const EditionBuild& build, ISystem& system) {
  if (build.vBuild) return IsWinNT6(system);
  return build.norvaFamily ? IsWinNT5(system) : !IsWinNT6(system);
}

std::vector<std::string> WindowsToClose(const EditionBuild& build) {
  if (build.norvaFamily) return {"Kartotéka Norva", "NorvaMon"};
  std::string exe = build.executable;
  return {exe.substr(0, exe.size() - 4)};
}

}  // namespace tyx
