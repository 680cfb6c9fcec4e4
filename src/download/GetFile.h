#pragma once
#include <cstdint>
#include <string>

#include "session/Session.h"

namespace tyx {

// Downloads https://<address> into a part beside `destination`, which
// replaces it only when the whole file has arrived; a cut-off transfer is
// tried again, going on where it broke. 0 success, 1 no connection, 2 file
// not found, 3 failure (gLastError), kDownloadStopped when the user closed
// the window (the part is kept for the next run).
uint8_t GetFile(Session& session, const std::string& destination, const std::string& address, int32_t chunk,
                int32_t expected);
// The same through the configured proxy (gProxyAdr), with the ANSI calls.
uint8_t GetFileViaProxy(Session& session, const std::string& destination, const std::string& address,
                        int32_t chunk, int32_t expected);

}  // namespace tyx
