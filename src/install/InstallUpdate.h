#pragma once
#include <cstddef>

#include "session/Session.h"

namespace tyx {

// Backs up and replaces the application's files from the staging folder,
// renames the executable to its installed name, backs up the data files and
// cleans up. Success shows "Aktualizace provedena" and sets gUpdated; a
// failure after the first change puts the previous version back.
void InstallUpdate(Session& session);
// The installation's counters are 16-bit: this many files would overflow them.
bool FileCountOverflows(size_t filesToInstall);

}  // namespace tyx
