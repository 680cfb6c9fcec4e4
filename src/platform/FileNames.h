#pragma once
#include <string>

namespace tyx {

// An entry name that stays below the folder it is unpacked into: relative,
// no "..", no drive, no stream name and no device (NUL, COM1, AUX.txt ...).
bool IsSafeEntryName(const std::string& name);
// One file's name that names that file alone in the folder it is joined to:
// no folder part, wildcard, control character, trailing dot or blank, nor
// a device.
bool IsPlainFileName(const std::string& name);

}  // namespace tyx
