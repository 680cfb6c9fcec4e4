#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/SystemInfo.h"

namespace tyx {

// SetupAPI's cabinet notifications and answers.
constexpr uint32_t SPFILENOTIFY_CABINETINFO = 0x10;
constexpr uint32_t SPFILENOTIFY_FILEINCABINET = 0x11;
constexpr uint32_t SPFILENOTIFY_NEEDNEWCABINET = 0x12;
constexpr uint32_t SPFILENOTIFY_FILEEXTRACTED = 0x13;
constexpr uint32_t FILEOP_ABORT = 0;
constexpr uint32_t FILEOP_DOIT = 1;
constexpr uint32_t FILEOP_SKIP = 2;

// One notification's record: FILE_IN_CABINET_INFO_A for a file in the
// cabinet, FILEPATHS_A for an extracted one. Texts are ANSI bytes.
struct CabinetNotice {
  std::string nameInCabinet;
  uint32_t fileSize = 0;
  uint16_t dosDate = 0;
  uint16_t dosTime = 0;
  std::string fullTargetName;  // set by the handler for FILEOP_DOIT, at most 259 bytes
  uint32_t win32Error = 0;
};

using CabinetCallback = std::function<uint32_t(uint32_t notification, CabinetNotice& notice)>;

class ICabinet {
 public:
  virtual ~ICabinet() = default;
  // SetupIterateCabinetA; false with the thread's last error when it failed.
  // The callback must not throw.
  virtual bool IterateCabinet(const std::string& cabinet, const CabinetCallback& callback, uint32_t& lastError) = 0;
  // DosDateTimeToFileTime and FileTimeToSystemTime; false when either fails.
  virtual bool DosDateTimeToTime(uint16_t dosDate, uint16_t dosTime, LocalTime& time) = 0;
};

}  // namespace tyx
