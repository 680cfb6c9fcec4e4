#include "log/UpdateLog.h"

#include "platform/DateText.h"

namespace tyx {

void UpdateLog::WriteLog(const std::string& message) {
  std::string line = "[" + GeneralDate(system_, system_.Now()) + "]" + message;
  files_.AppendBytes(path_, codePage_.ToAnsi(line) + "\r\n");
  if (pump_) pump_();
}

}  // namespace tyx
