#pragma once
#include <cstdint>
#include <string>

#include "session/Session.h"

namespace tyx {

// Downloads https://<address> into a fresh temporary file, which replaces
// `destination` only when the whole file has arrived with HTTP status 200.
// 0 success, 1 no connection, 2 file not found, 3 failure (gLastError).
uint8_t GetFile(Session& session, const std::string& destination, const std::string& address, int32_t chunk,
                int32_t expected);
// The same through the configured proxy (gProxyAdr), with the ANSI calls.
uint8_t GetFileViaProxy(Session& session, const std::string& destination, const std::string& address,
                        int32_t chunk, int32_t expected);

}  // namespace tyx
