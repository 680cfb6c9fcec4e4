#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "descriptor/ReleaseDescriptor.h"

namespace tyx {

// Where an installation stands in a release's rollout: a share in [0, 1),
// fixed for the pair, spread evenly over installations, and drawn afresh for
// every release so that the same customers are not always the first.
double RolloutPlace(std::string_view installationId, uint32_t number);
// The share of installations the rollout has reached at `now` (seconds since
// 1970 UTC): 0 before its start, 1 once its days have passed; a halted
// rollout stays where it was when it was halted.
double RolloutReach(const ReleaseDescriptor& descriptor, int64_t now);
// An HTTP date ("Tue, 08 Dec 2026 23:52:57 GMT") in seconds since 1970 UTC.
std::optional<int64_t> ParseHttpDate(std::string_view text);

}  // namespace tyx
