#pragma once
#include "platform/Process.h"

namespace tyx::win32 {

class Win32Process : public IProcess {
 public:
  std::string CommandLine() override;
  std::string OwnFolder() override;
  bool WaitForRunLock(uint32_t timeoutMs) override;
};

}  // namespace tyx::win32
