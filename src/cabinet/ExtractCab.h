#pragma once
#include <string>

#include "cabinet/CabFile.h"

namespace tyx {

// Unpacks every entry of the cabinet below the folder, keeping the entries'
// folders. Reads the listing first: a cabinet that cannot be read, or that
// names a place outside the folder, fails before anything is written.
void ExtractCab(CabServices services, const std::string& cabinet, const std::string& destination);

}  // namespace tyx
