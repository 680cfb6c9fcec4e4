#pragma once
#include <cstdint>
#include <string>

#include "session/Session.h"

namespace tyx {

// Asks the host over plain HTTP (port 80) for the file's Content-Length and
// Last-Modified. Leaves `size` as it was, with one log line, when it cannot.
void GetHttpInfo(Session& session, const std::string& host, const std::string& path, int32_t& size,
                 std::string& lastModified);
// The header's text from a buffer of 1024 characters; empty when missing or
// longer than that.
bool QueryHttpHeader(IInternet& internet, InternetHandle request, std::string& text, uint32_t level);

}  // namespace tyx
