#include "platform/VersionInfo.h"

namespace tyx {
namespace {

constexpr uint32_t kPlatformNT = 2;

}  // namespace

bool IsWinNT5(ISystem& system) {
  uint32_t platformId = 0, major = 0;
  return system.GetVersionEx(platformId, major) && platformId == kPlatformNT && major == 5;
}

bool IsWinNT6(ISystem& system) {
  uint32_t platformId = 0, major = 0;
  return system.GetVersionEx(platformId, major) && platformId == kPlatformNT && major >= 6;
}

}  // namespace tyx
