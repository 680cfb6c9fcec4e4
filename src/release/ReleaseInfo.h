#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tyx {

// TyxRelease.inf, which release of which product a package holds. It travels
// as one of the package's signed files, so updaters that know nothing of it
// install it like any other; it then stays in the application folder as the
// record of the installed release.
//   TyxUpdate release 1<CR LF>
//   product <name><CR LF>
//   channel <release|beta><CR LF>
//   number <1 to 999 999 999><CR LF>
struct ReleaseInfo {
  std::string product;
  std::string channel;
  uint32_t number = 0;
};

inline constexpr char kReleaseFile[] = "TyxRelease.inf";
inline constexpr char kReleaseChannel[] = "release";
inline constexpr char kBetaChannel[] = "beta";
inline constexpr uint32_t kMaxReleaseNumber = 999999999;
// Larger than any honest TyxRelease.inf.
inline constexpr uint32_t kMaxReleaseFileSize = 4096;

// nullopt for anything but exactly that text with a known channel.
std::optional<ReleaseInfo> ParseReleaseInfo(std::string_view text);
std::string ComposeReleaseInfo(const ReleaseInfo& release);
// A release number in decimal, 1 to kMaxReleaseNumber, without leading zeros.
std::optional<uint32_t> ParseReleaseNumber(std::string_view digits);

}  // namespace tyx
