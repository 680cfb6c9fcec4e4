#pragma once
#include <cstdint>
#include <string>

#include "platform/ErrorRecord.h"

namespace tyx {

// The script runtime's error for a failed Win32 file call; codes it has no
// number of its own for keep the system's code and description.
ErrorRecord FsoError(uint32_t win32Code, const std::string& systemDescription);

}  // namespace tyx
