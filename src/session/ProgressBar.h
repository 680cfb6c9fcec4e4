#pragma once
#include <cstdint>

#include "platform/Surface.h"

namespace tyx {

// The bar with the percentage in its centre; 0 % and 100 % show only at the end.
void ShowProgress(ISurface& box, float fraction, bool atEnd);
// While the size is unknown: the byte count and three blocks moving one step
// per call; `position` is the run's gProgressPos.
void ShowProgressBytes(ISurface& box, float bytes, int32_t& position);
void ClearProgress(ISurface& box);

}  // namespace tyx
