#include "platform/DateText.h"

namespace tyx {

std::string GeneralDate(ISystem& system, const LocalTime& t) {
  bool midnight = t.hour == 0 && t.minute == 0 && t.second == 0;
  bool zeroDate = t.year == 1899 && t.month == 12 && t.day == 30;
  if (zeroDate) return system.LongTime(t);
  if (midnight) return system.ShortDate(t);
  return system.ShortDate(t) + " " + system.LongTime(t);
}

}  // namespace tyx
