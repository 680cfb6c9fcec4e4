#include "descriptor/Rollout.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace tyx {
namespace {

// Days from 1970-01-01 to the date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

bool Digits(std::string_view text, size_t at, size_t count, int& value) {
  if (at + count > text.size()) return false;
  auto [end, error] = std::from_chars(text.data() + at, text.data() + at + count, value);
  return error == std::errc() && end == text.data() + at + count && text[at] != '-' && text[at] != '+';
}

}  // namespace

double RolloutPlace(std::string_view installationId, uint32_t number) {
  // FNV-1a, then a 64-bit finaliser to spread near neighbours.
  uint64_t h = 0xcbf29ce484222325u;
  std::string key = std::string(installationId) + ":" + std::to_string(number);
  for (unsigned char c : key) h = (h ^ c) * 0x100000001b3u;
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdu;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53u;
  h ^= h >> 33;
  return static_cast<double>(h >> 11) / 9007199254740992.0;  // 53 bits
}

double RolloutReach(const ReleaseDescriptor& d, int64_t now) {
  const int64_t at = d.haltedAt ? std::min(now, *d.haltedAt) : now;
  if (at < d.rolloutStart) return 0;
  if (d.rolloutDays == 0) return 1;
  return std::min(1.0, static_cast<double>(at - d.rolloutStart) / (d.rolloutDays * 86400.0));
}

std::optional<int64_t> ParseHttpDate(std::string_view t) {
  static constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  // "Tue, 08 Dec 2026 23:52:57 GMT"
  if (t.size() != 29 || t.substr(3, 2) != ", " || t[7] != ' ' || t[11] != ' ' || t[16] != ' ' || t[19] != ':' ||
      t[22] != ':' || t.substr(25) != " GMT")
    return std::nullopt;
  auto month = std::find(kMonths.begin(), kMonths.end(), t.substr(8, 3));
  int day = 0, year = 0, hour = 0, minute = 0, second = 0;
  if (month == kMonths.end() || !Digits(t, 5, 2, day) || !Digits(t, 12, 4, year) || !Digits(t, 17, 2, hour) ||
      !Digits(t, 20, 2, minute) || !Digits(t, 23, 2, second) || day < 1 || day > 31 || hour > 23 || minute > 59 ||
      second > 60)
    return std::nullopt;
  const unsigned m = static_cast<unsigned>(month - kMonths.begin()) + 1;
  return DaysFromCivil(year, m, static_cast<unsigned>(day)) * 86400 + hour * 3600 + minute * 60 + second;
}

}  // namespace tyx
