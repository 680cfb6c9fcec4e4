#pragma once
#include "platform/Process.h"
#include "platform/win32/Handles.h"

namespace tyx::win32 {

class Win32Process : public IProcess {
 public:
  std::string CommandLine() override;
  std::string OwnFolder() override;
  bool WaitForRunLock(uint32_t timeoutMs) override;

 private:
  KernelHandle lock_;  // held until the process ends
};

}  // namespace tyx::win32
