#include "release/ReleaseInfo.h"

namespace tyx {
namespace {

const char kHeader[] = "TyxUpdate release 1\r\n";

// The value of the line "<key> <value>" at `at`, moving past it.
std::optional<std::string_view> Field(std::string_view text, size_t& at, std::string_view key) {
  size_t end = text.find("\r\n", at);
  if (end == std::string_view::npos || text.substr(at, key.size() + 1) != std::string(key) + " ") return std::nullopt;
  std::string_view value = text.substr(at + key.size() + 1, end - at - key.size() - 1);
  at = end + 2;
  if (value.empty() || value.find_first_of(" \t\r\n") != std::string_view::npos) return std::nullopt;
  return value;
}

}  // namespace

std::optional<uint32_t> ParseReleaseNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 9 || digits[0] == '0') return std::nullopt;
  uint32_t n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + static_cast<uint32_t>(c - '0');
  }
  return n;
}

std::optional<ReleaseInfo> ParseReleaseInfo(std::string_view text) {
  if (text.substr(0, sizeof kHeader - 1) != kHeader) return std::nullopt;
  size_t at = sizeof kHeader - 1;
  auto product = Field(text, at, "product");
  auto channel = product ? Field(text, at, "channel") : std::nullopt;
  auto number = channel ? Field(text, at, "number") : std::nullopt;
  auto value = number ? ParseReleaseNumber(*number) : std::nullopt;
  if (!value || at != text.size() || (*channel != kReleaseChannel && *channel != kBetaChannel)) return std::nullopt;
  return ReleaseInfo{std::string(*product), std::string(*channel), *value};
}

std::string ComposeReleaseInfo(const ReleaseInfo& r) {
  return std::string(kHeader) + "product " + r.product + "\r\nchannel " + r.channel + "\r\nnumber " +
         std::to_string(r.number) + "\r\n";
}

}  // namespace tyx
