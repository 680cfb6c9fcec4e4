#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "descriptor/ReleaseDescriptor.h"
#include "pack/PackCommand.h"
#include "release/ReleaseInfo.h"

namespace tyx {

// Delta cabinets: the new release's update.inf and TyxRelease.inf, the files
// that differ from an earlier release's, and the data files, flat.

// Writes delta-<from>.cab beside `package` (unpacked in `top`) from each of the
// `count` highest earlier releases of its product and channel among the
// packages (*.cab) in the folder `earlier`; the others are skipped with a line
// saying why. false when the folder or a cabinet cannot be had.
bool MakeDeltas(PackServices& s, const std::string& package, const std::string& top, const ReleaseInfo& release,
                const std::string& earlier, uint32_t count, std::vector<DeltaPackage>& deltas, std::string& out);
// The delta beside `package` (unpacked in `top`) as the descriptor lists it,
// holding only the package's own update.inf and files.
bool CheckDelta(PackServices& s, const std::string& package, const std::string& top, const DeltaPackage& delta,
                std::string& out);

}  // namespace tyx
