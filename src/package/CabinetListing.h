#pragma once
#include <string>
#include <vector>

#include "cabinet/CabFile.h"
#include "package/PackageInf.h"

namespace tyx {

// Whether the cabinets' entries (update.cab's, then pack.cab's) unpack to no
// more than the signed list allows: every file one of the list with its size,
// none twice, pack.cab no larger than the files it may hold. Empty when they
// do, else the refusal in words. Read before the files are unpacked, so a
// package that disagrees costs no disk space.
std::string CheckCabinetListing(const PackageInf& inf, const std::vector<CabEntry>& entries);

}  // namespace tyx
