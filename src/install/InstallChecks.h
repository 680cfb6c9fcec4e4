#pragma once
#include <optional>
#include <string>

#include "session/Session.h"

namespace tyx {

// What must hold before the installation changes anything: the package
// leaves the updater's own files alone and the application folder takes new
// files. The text to show and log when it does not.
std::optional<std::string> ReasonNotToInstall(Session& session);

}  // namespace tyx
