#pragma once
#include <string>
#include <vector>

#include "cabinet/CabFile.h"

namespace tyx {

// The cabinet's entries with their sizes, nothing unpacked.
std::vector<CabEntry> ListCabinet(CabServices services, const std::string& cabinet);
// Unpacks the entries (all when `name` is empty, else those of that full
// name) below the folder, keeping their folders. Reads the listing first: a
// cabinet that cannot be read, or that names a place outside the folder,
// fails before anything is written.
void ExtractCab(CabServices services, const std::string& cabinet, const std::string& destination,
                const std::string& name = "");

}  // namespace tyx
