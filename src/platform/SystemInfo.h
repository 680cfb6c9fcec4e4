#pragma once
#include <cstdint>
#include <string>

namespace tyx {

struct LocalTime {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
  bool operator==(const LocalTime&) const = default;
};

// System queries: the version record, the long form of a path, the clock and
// the user's regional formats.
class ISystem {
 public:
  virtual ~ISystem() = default;
  // GetVersionExA with an OSVERSIONINFOA of size 148; false when the call fails.
  virtual bool GetVersionEx(uint32_t& platformId, uint32_t& majorVersion) = 0;
  virtual LocalTime Now() = 0;
  // Seconds since 1970 UTC.
  virtual int64_t UnixTime() = 0;
  virtual std::string ShortDate(const LocalTime& t) = 0;
  virtual std::string LongTime(const LocalTime& t) = 0;
  // Milliseconds since the system started, for time limits.
  virtual uint32_t TickCount() = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
};

}  // namespace tyx
