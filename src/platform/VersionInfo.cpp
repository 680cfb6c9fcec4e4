#include "platform/VersionInfo.h"

namespace tyx {
namespace {

constexpr uint32_t kPlatformNT = 2;
constexpr uint32_t kMaxPath = 260;

}  // namespace

bool IsWinNT5(ISystem& system) {
  uint32_t platformId = 0, major = 0;
  return system.GetVersionEx(platformId, major) && platformId == kPlatformNT && major == 5;
}

bool IsWinNT6(ISystem& system) {
  uint32_t platformId = 0, major = 0;
  return system.GetVersionEx(platformId, major) && platformId == kPlatformNT && major >= 6;
}

std::string GetLongPath(ISystem& system, const std::string& path) {
  std::string longPath;
  uint32_t n = system.GetLongPathName(path, kMaxPath, longPath);
  if (n >= kMaxPath) {
    // Too long for the first buffer: the answer is the size it needs.
    n = system.GetLongPathName(path, n, longPath);
  }
  return n > 0 ? longPath : std::string();
}

}  // namespace tyx
