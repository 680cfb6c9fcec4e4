#pragma once
#include <string>

#include "platform/SystemInfo.h"

namespace tyx {

// The general date form: short date, a blank and the long time; the time is
// left out at exactly midnight, the date on the zero date (30.12.1899).
std::string GeneralDate(ISystem& system, const LocalTime& t);

}  // namespace tyx
