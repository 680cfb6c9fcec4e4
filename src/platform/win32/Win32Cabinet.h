#pragma once
#include "platform/Cabinet.h"
#include "platform/CodePage.h"

namespace tyx::win32 {

class Win32Cabinet : public ICabinet {
 public:
  explicit Win32Cabinet(ICodePage& codePage) : codePage_(codePage) {}
  bool IterateCabinet(const std::string& cabinet, const CabinetCallback& callback, uint32_t& lastError) override;
  bool DosDateTimeToTime(uint16_t dosDate, uint16_t dosTime, LocalTime& time) override;

 private:
  ICodePage& codePage_;
};

}  // namespace tyx::win32
