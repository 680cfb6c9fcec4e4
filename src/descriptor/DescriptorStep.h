#pragma once
#include "session/Session.h"

namespace tyx {

// Reads the channel's release descriptor, when the web host has one, and
// answers whether to download: not when it is refused, when the installed
// release is already the one it names, or when its rollout has not reached
// this installation yet (each said in one line). A host without one: download
// as ever.
bool ReadDescriptor(Session& session);

}  // namespace tyx
