#pragma once

namespace tyx {

// The update package and the files beside it that only carry the update.
inline constexpr char kPackage[] = "update.cab";
inline constexpr char kPackageInfo[] = "update.inf";
inline constexpr char kNestedPackage[] = "pack.cab";
inline constexpr char kNestedList[] = "pack.lst";
// A new updater cannot overwrite the running one; it waits under another name.
inline constexpr char kUpdaterFile[] = "tyxupdate.exe";
inline constexpr char kUpdaterNew[] = "TyxUpdateNew.exe";
inline constexpr char kLibraryUpdater[] = "tyxlibupdate.exe";
// The products' data files, backed up after every installation.
inline constexpr const char* kDataFiles[] = {"qendata.mdb", "tyxdata.mdb"};

}  // namespace tyx
