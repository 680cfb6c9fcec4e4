#pragma once
#include <string>

#include "session/Session.h"

namespace tyx {

// Asks a running program, found by its window title, to quit, and waits
// (pumping, at most about 30 s) until it has gone, so that its executable
// can be replaced. True when such a window was there.
bool CloseApplication(Session& session, const std::string& title);

}  // namespace tyx
