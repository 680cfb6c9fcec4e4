#pragma once
#include <string_view>

namespace tyx {

// The update package and the files beside it that only carry the update.
inline constexpr char kPackage[] = "update.cab";
inline constexpr char kPackageInfo[] = "update.inf";
inline constexpr char kNestedPackage[] = "pack.cab";
inline constexpr char kNestedList[] = "pack.lst";
// A lower-case file name that carries the package and is never installed.
inline bool IsPackageFile(std::string_view lowerName) {
  return lowerName == kPackage || lowerName == kPackageInfo || lowerName == kNestedPackage || lowerName == kNestedList;
}
// A lower-case name the installation refuses: it would stand where the
// updater keeps its log or its backups.
inline bool IsUpdaterRecordName(std::string_view lowerName) {
  return lowerName == "update.log" || lowerName == "oldver";
}
// The installation's counters are 16-bit: the most files one package can install.
inline constexpr int kMaxPackageFiles = 32766;
// A new updater cannot overwrite the running one; it waits under another name.
inline constexpr char kUpdaterFile[] = "tyxupdate.exe";
inline constexpr char kUpdaterNew[] = "TyxUpdateNew.exe";
inline constexpr char kLibraryUpdater[] = "tyxlibupdate.exe";
// The products' data files, backed up after every installation.
inline constexpr const char* kDataFiles[] = {"qendata.mdb", "tyxdata.mdb"};

}  // namespace tyx
