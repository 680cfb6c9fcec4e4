#pragma once
#include "session/Session.h"

namespace tyx {

// The downloaded update.cab against the descriptor's size and SHA-256, before
// anything unpacks it; a package that differs is deleted. True without a
// descriptor.
bool MatchesDescriptor(Session& session);

}  // namespace tyx
