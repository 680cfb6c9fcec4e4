#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "release/ReleaseInfo.h"

namespace tyx {

// release.inf beside update.cab on the web host: which release the channel
// offers, the package's size and hash, and how far its rollout has come.
// Signed with the keys of update.inf; updaters that do not know it never ask.
//   TyxUpdate descriptor 1<CR LF>
//   product <name><CR LF>
//   channel <release|beta><CR LF>
//   number <release number><CR LF>
//   package <size> <SHA-256, 64 lower-case hex digits><CR LF>
//   rollout <start, seconds since 1970 UTC> <days until it reaches everyone><CR LF>
//   halted <seconds since 1970 UTC><CR LF>                  only when halted
//   delta <from release> <file> <size> <SHA-256><CR LF>       one per delta
//   <lines of later formats, each "<lower-case word> ..."><CR LF>
//   signature <RSA signature in hex, as OpenSSL writes it><CR LF>
// The signature covers every byte before the signature line.
// A delta is a cabinet beside the package that carries the release's
// update.inf and TyxRelease.inf and only the files that differ from an earlier
// release's; its name is lower-case letters, digits, '.', '-' and '_', ending
// in ".cab".
struct DeltaPackage {
  uint32_t from = 0;
  std::string file;
  uint64_t size = 0;
  std::string sha256;
};

struct ReleaseDescriptor {
  ReleaseInfo release;
  uint64_t size = 0;
  std::string sha256;
  int64_t rolloutStart = 0;
  uint32_t rolloutDays = 0;  // 0: everyone at once
  std::optional<int64_t> haltedAt;
  std::vector<DeltaPackage> deltas;  // earlier releases, each once
  std::string signedPart;
  std::string signature;  // raw bytes
};

inline constexpr char kDescriptorFile[] = "release.inf";
// Larger than any honest descriptor, however many lines later formats add.
inline constexpr uint32_t kMaxDescriptorSize = 64 * 1024;
inline constexpr uint32_t kMaxRolloutDays = 3650;

bool IsDeltaFileName(std::string_view name);
std::optional<ReleaseDescriptor> ParseReleaseDescriptor(std::string_view text);
// The signed part of a descriptor (everything but the signature line).
std::string ComposeReleaseDescriptor(const ReleaseDescriptor& descriptor);

}  // namespace tyx
