#pragma once
#include <cstdint>
#include <string>

#include "platform/Internet.h"
#include "session/Session.h"

namespace tyx {

// Build settings: how long a download may receive nothing before it counts
// as cut off, and the largest package it takes.
constexpr uint32_t kStallMs = TYX_STALL_SECONDS * 1000u;
constexpr int64_t kMaxPackageBytes = int64_t{TYX_MAX_PACKAGE_MIB} * 1024 * 1024;
static_assert(kMaxPackageBytes > 0 && kMaxPackageBytes < (int64_t{1} << 31), "sizes are 32-bit numbers");

// The download's answer when the user closed the window while it ran.
constexpr uint8_t kDownloadStopped = 4;

struct DownloadRequest {
  InternetHandle session;
  bool wide;
  uintptr_t context;
  std::string url;
  int32_t chunk;     // KiB per read
  int32_t expected;  // the size query's answer, for the progress; 0 unknown
};

// Fetches the URL into a part beside `destination` and, once whole, moves it
// there. A cut-off transfer is tried again after a pause, going on from
// the bytes on disk when the server still names the same package; when
// every try fails, or the user closes the window, the part stays for the
// next run. 0 done, 1 no connection, 2 no temporary file, 3 failure
// (gLastError), kDownloadStopped.
uint8_t FetchResumable(Session& s, const DownloadRequest& request, const std::string& destination);

}  // namespace tyx
