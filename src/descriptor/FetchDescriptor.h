#pragma once
#include <optional>
#include <string>

#include "session/Session.h"

namespace tyx {

struct FetchedDescriptor {
  std::string text;  // the file as served
  std::string date;  // the answer's Date header
};

// GETs the channel's release.inf over HTTPS (through the proxy when the
// download uses one) into memory, at most kMaxDescriptorSize bytes. nullopt,
// logging nothing, when the host has none or it cannot be fetched whole: the
// run then goes on as it always did, the package's own checks unchanged.
std::optional<FetchedDescriptor> FetchDescriptor(Session& session, const std::string& url);

}  // namespace tyx
