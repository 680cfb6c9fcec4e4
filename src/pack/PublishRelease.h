#pragma once
#include <cstdint>
#include <string>

#include "pack/PackCommand.h"
#include "release/ReleaseInfo.h"

namespace tyx {

// release.inf: the web host's descriptor of a published package, written
// beside the package.

// Checks the package and writes its descriptor: the rollout starts at `start`
// (seconds since 1970 UTC) and reaches everyone after `days` (0: at once).
// With a folder of `earlier` packages, it lists the `deltas` it makes from them.
int PublishRelease(PackServices& s, const std::string& package, const std::string& key, int64_t start, uint32_t days,
                   const std::string& earlier, uint32_t deltas, std::string& out);
// Re-signs the descriptor with its rollout held where it stands now.
int HaltRollout(PackServices& s, const std::string& descriptor, const std::string& key, std::string& out);
// When the package (unpacked in `top`) has a descriptor beside it: that it is
// signed and names this package and release, and that each delta it lists lies
// beside as listed. True, with nothing said, without one.
bool CheckDescriptorBeside(PackServices& s, const std::string& package, const std::string& top,
                           const ReleaseInfo& release, std::string& out);
// A start as release engineers write it, UTC: 2026-12-10 or 2026-12-10T08:30.
bool ParseStart(const std::string& text, int64_t& start);

}  // namespace tyx
