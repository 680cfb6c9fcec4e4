#include "pack/DeltaCabinets.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "cabinet/ExtractCab.h"
#include "pack/CheckPackage.h"
#include "package/PackageCheck.h"
#include "package/PackageInf.h"
#include "platform/ErrorRecord.h"
#include "platform/Text.h"
#include "product/PackageFiles.h"

namespace tyx {
namespace {

using Listed = std::map<std::string, const PackageFile*>;

// The signed list of a package that Unpack accepted into `top`.
PackageInf ListOf(PackServices& s, const std::string& top) {
  return *ParsePackageInf(s.files.ReadFile(top + "\\" + kPackageInfo, kMaxPackageInfSize + 1));
}

Listed ByName(const std::vector<PackageFile>& files) {
  Listed listed;
  for (const PackageFile& file : files) listed[LowerCase(file.name)] = &file;
  return listed;
}

std::string Files(size_t n) {
  return std::to_string(n) + (n == 1 ? " soubor" : n <= 4 ? " soubory" : " souborů");
}

// Installed databases change as the product runs: never taken from the application folder.
bool IsDataFile(const std::string& name) {
  return std::any_of(std::begin(kDataFiles), std::end(kDataFiles),
                     [&](const char* data) { return EqualsNoCase(name, data); });
}

struct Earlier {
  std::string package;
  std::vector<PackageFile> files;
};

// The checked packages of the folder that hold an earlier release of this
// product and channel, highest release first.
std::map<uint32_t, Earlier, std::greater<>> EarlierReleases(PackServices& s, const std::string& folder,
                                                             const ReleaseInfo& release, std::string& out) {
  std::map<uint32_t, Earlier, std::greater<>> found;
  std::vector<std::string> names = s.files.Files(folder);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    if (name.size() < 4 || !EqualsNoCase(name.substr(name.size() - 4), ".cab")) continue;
    // Deltas written beside a package kept in this folder are no packages.
    if (LowerCase(name).rfind("delta-", 0) == 0) continue;
    const std::string path = folder + "\\" + name;
    WorkFolder work(s.files);
    ReleaseInfo old;
    std::vector<std::string> nested;
    std::string why;
    if (!Unpack(s, path, work.path(), old, nested, out)) why = "aktualizace jej odmítne";
    else if (old.product != release.product || old.channel != release.channel)
      why = "je pro produkt " + old.product + " a kanál " + old.channel;
    else if (old.number >= release.number)
      why = "vydání " + std::to_string(old.number) + " není nižší než zveřejňované vydání " +
            std::to_string(release.number);
    else if (found.count(old.number))
      why = "vydání " + std::to_string(old.number) + " je už v balíčku " + found[old.number].package;
    if (!why.empty()) {
      out += "Balíček " + path + " přeskočen: " + why + ".\r\n";
      continue;
    }
    found[old.number] = {path, ListOf(s, work.path()).files};
  }
  return found;
}

// Why the delta cabinet is not made of the package unpacked in `top`; empty when it is.
std::string Differs(PackServices& s, const std::string& cabinet, const std::string& top) {
  CabServices cab{s.cabinet, s.files, s.codePage, s.system};
  WorkFolder work(s.files);
  std::vector<CabEntry> entries;
  try {
    entries = ListCabinet(cab, cabinet);
    ExtractCab(cab, cabinet, work.path());
  } catch (const ErrorRecord& e) {
    return "nelze ji rozbalit: " + e.Description();
  }
  const PackageInf inf = ListOf(s, top);
  const Listed listed = ByName(inf.files);
  std::set<std::string> seen;
  for (const CabEntry& entry : entries) {
    const std::string lower = LowerCase(entry.name), path = work.path() + "\\" + entry.name;
    auto it = listed.find(lower);
    std::string own, theirs;
    if (!seen.insert(lower).second) return "soubor " + entry.name + " je v ní dvakrát";
    if (lower == kPackageInfo) {
      if (!s.files.ReadBytes(path, theirs) || !s.files.ReadBytes(top + "\\" + kPackageInfo, own) || own != theirs)
        return "její update.inf není seznam balíčku";
    } else if (it == listed.end()) {
      return "soubor " + entry.name + " není v podepsaném seznamu balíčku";
    } else if (!MatchesList(s.crypto, path, *it->second)) {
      return "soubor " + entry.name + " neodpovídá podpisu balíčku";
    }
  }
  for (const char* required : {kPackageInfo, kReleaseFile})
    if (!seen.count(LowerCase(required))) return std::string("chybí v ní ") + required;
  return "";
}

}  // namespace

bool MakeDeltas(PackServices& s, const std::string& package, const std::string& top, const ReleaseInfo& release,
                const std::string& earlier, uint32_t count, std::vector<DeltaPackage>& deltas, std::string& out) {
  if (!s.files.FolderExists(earlier)) {
    out += "Složka " + earlier + " neexistuje.\r\n";
    return false;
  }
  const PackageInf inf = ListOf(s, top);
  for (const auto& [from, old] : EarlierReleases(s, earlier, release, out)) {
    if (deltas.size() == count) break;
    const Listed before = ByName(old.files);
    std::vector<std::pair<std::string, std::string>> entries{{kPackageInfo, top + "\\" + kPackageInfo}};
    for (const PackageFile& file : inf.files) {
      auto it = before.find(LowerCase(file.name));
      if (it == before.end() || it->second->size != file.size || it->second->sha256 != file.sha256 ||
          IsDataFile(file.name))
        entries.emplace_back(s.codePage.ToAnsi(file.name), top + "\\" + file.name);
    }
    const std::string name = "delta-" + std::to_string(from) + ".cab", path = Beside(package, name),
                      fresh = path + ".new";
    std::string error;
    FileDigest digest;
    if (s.files.FileExists(fresh)) s.files.DeleteFile(fresh, true);
    if (!s.tools.WriteCabinet(fresh, entries, error) || !s.crypto.DigestFile(fresh, digest)) {
      out += "Zápis " + path + " selhal (" + error + ").\r\n";
      return false;
    }
    s.files.ReplaceFile(fresh, path);
    deltas.push_back({from, name, digest.size, digest.sha256});
    out += "Rozdílová aktualizace " + path + " z vydání " + std::to_string(from) + " (balíček " + old.package +
           "): " + Files(entries.size()) + ", " + std::to_string(digest.size) + " bajtů.\r\n";
  }
  return true;
}

bool CheckDelta(PackServices& s, const std::string& package, const std::string& top, const DeltaPackage& delta,
                std::string& out) {
  const std::string path = Beside(package, delta.file);
  out += "Rozdílová aktualizace " + path + " z vydání " + std::to_string(delta.from);
  if (!s.files.FileExists(path)) {
    out += " chybí.\r\n";
    return false;
  }
  if (!MatchesList(s.crypto, path, {delta.file, delta.size, delta.sha256})) {
    out += " neodpovídá popisu vydání.\r\n";
    return false;
  }
  const std::string why = Differs(s, path, top);
  out += why.empty() ? " odpovídá balíčku.\r\n" : " neodpovídá balíčku (" + why + ").\r\n";
  return why.empty();
}

}  // namespace tyx
