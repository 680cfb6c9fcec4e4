#include "descriptor/ReleaseDescriptor.h"

#include <charconv>
#include <vector>

#include "package/PackageInf.h"

namespace tyx {
namespace {

const char kHeader[] = "TyxUpdate descriptor 1\r\n";

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  for (size_t at = 0; at <= line.size();) {
    size_t end = line.find(' ', at);
    if (end == std::string_view::npos) end = line.size();
    words.push_back(line.substr(at, end - at));
    at = end + 1;
  }
  return words;
}

template <typename Number>
bool ParseNumber(std::string_view digits, Number& value) {
  if (digits.empty() || (digits.size() > 1 && digits[0] == '0') || digits[0] == '-') return false;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return error == std::errc() && end == digits.data() + digits.size();
}

bool IsSha256(std::string_view hex) {
  return hex.size() == 64 && hex.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

bool IsLaterLine(std::string_view key) {
  return !key.empty() && key.find_first_not_of("abcdefghijklmnopqrstuvwxyz-") == std::string_view::npos;
}

bool ParseDelta(const std::vector<std::string_view>& w, ReleaseDescriptor& d) {
  DeltaPackage delta;
  if (w.size() != 5 || !ParseNumber(w[1], delta.from) || !delta.from || delta.from >= d.release.number ||
      !IsDeltaFileName(w[2]) || !ParseNumber(w[3], delta.size) || !IsSha256(w[4]))
    return false;
  for (const DeltaPackage& other : d.deltas)
    if (other.from == delta.from || other.file == w[2]) return false;
  delta.file = w[2];
  delta.sha256 = w[4];
  d.deltas.push_back(std::move(delta));
  return true;
}

}  // namespace

bool IsDeltaFileName(std::string_view name) {
  const std::string_view suffix = ".cab";
  return name.size() > suffix.size() && name.size() <= 64 && name[0] != '.' &&
         name.substr(name.size() - suffix.size()) == suffix && name != "update.cab" &&
         name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789.-_") == std::string_view::npos;
}

std::optional<ReleaseDescriptor> ParseReleaseDescriptor(std::string_view text) {
  if (text.size() > kMaxDescriptorSize || text.substr(0, sizeof kHeader - 1) != kHeader) return std::nullopt;
  // The release's own lines are those of TyxRelease.inf.
  size_t releaseEnd = text.find("\r\npackage ");
  if (releaseEnd == std::string_view::npos) return std::nullopt;
  std::optional<ReleaseInfo> release =
      ParseReleaseInfo(std::string("TyxUpdate release 1\r\n") +
                       std::string(text.substr(sizeof kHeader - 1, releaseEnd + 2 - (sizeof kHeader - 1))));
  if (!release) return std::nullopt;
  ReleaseDescriptor d;
  d.release = *release;
  bool package = false, rollout = false;
  for (size_t start = releaseEnd + 2;;) {
    size_t end = text.find("\r\n", start);
    if (end == std::string_view::npos) return std::nullopt;
    std::string_view line = text.substr(start, end - start);
    std::vector<std::string_view> w = Words(line);
    if (w[0] == "signature") {
      std::optional<std::string> signature = ParseSignatureLine(line);
      if (!signature || end + 2 != text.size() || !package || !rollout) return std::nullopt;
      d.signedPart = text.substr(0, start);
      d.signature = std::move(*signature);
      return d;
    }
    if (w[0] == "package" && !package) {
      if (w.size() != 3 || !ParseNumber(w[1], d.size) || !IsSha256(w[2])) return std::nullopt;
      d.sha256 = w[2];
      package = true;
    } else if (w[0] == "rollout" && !rollout) {
      if (w.size() != 3 || !ParseNumber(w[1], d.rolloutStart) || !ParseNumber(w[2], d.rolloutDays) ||
          d.rolloutDays > kMaxRolloutDays)
        return std::nullopt;
      rollout = true;
    } else if (w[0] == "halted" && !d.haltedAt) {
      int64_t at = 0;
      if (w.size() != 2 || !ParseNumber(w[1], at)) return std::nullopt;
      d.haltedAt = at;
    } else if (w[0] == "delta") {
      if (!ParseDelta(w, d)) return std::nullopt;
    } else if (!IsLaterLine(w[0]) || w[0] == "package" || w[0] == "rollout" || w[0] == "halted") {
      return std::nullopt;
    }
    start = end + 2;
  }
}

std::string ComposeReleaseDescriptor(const ReleaseDescriptor& d) {
  std::string release = ComposeReleaseInfo(d.release);
  std::string text = kHeader + release.substr(release.find("\r\n") + 2);
  text += "package " + std::to_string(d.size) + " " + d.sha256 + "\r\n";
  text += "rollout " + std::to_string(d.rolloutStart) + " " + std::to_string(d.rolloutDays) + "\r\n";
  if (d.haltedAt) text += "halted " + std::to_string(*d.haltedAt) + "\r\n";
  for (const DeltaPackage& delta : d.deltas)
    text += "delta " + std::to_string(delta.from) + " " + delta.file + " " + std::to_string(delta.size) + " " +
            delta.sha256 + "\r\n";
  return text;
}

}  // namespace tyx
