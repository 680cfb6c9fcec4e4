#pragma once
#include "platform/CodePage.h"
#include "platform/SystemInfo.h"

namespace tyx::win32 {

class Win32System : public ISystem {
 public:
  explicit Win32System(ICodePage& codePage) : codePage_(codePage) {}
  bool GetVersionEx(uint32_t& platformId, uint32_t& majorVersion) override;
  LocalTime Now() override;
  int64_t UnixTime() override;
  std::string ShortDate(const LocalTime& t) override;
  std::string LongTime(const LocalTime& t) override;
  uint32_t TickCount() override;
  void Sleep(uint32_t milliseconds) override;

 private:
  ICodePage& codePage_;
};

}  // namespace tyx::win32
