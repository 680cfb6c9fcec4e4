#pragma once
#include "session/Session.h"

namespace tyx {

// Backs up and replaces the application's files from the staging folder,
// renames the executable to its installed name, backs up the data files and
// cleans up. Success shows "Aktualizace provedena" and sets gUpdated.
void InstallUpdate(Session& session);

}  // namespace tyx
