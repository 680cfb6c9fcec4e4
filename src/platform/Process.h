#pragma once
#include <cstdint>
#include <string>

namespace tyx {

class IProcess {
 public:
  virtual ~IProcess() = default;
  // The arguments of the command line, without the program's own path.
  virtual std::string CommandLine() = 0;
  // The folder of the running executable, without a trailing backslash.
  virtual std::string OwnFolder() = 0;
  // Waits up to `timeoutMs` for the lock that one updater of this user holds
  // at a time, for as long as it runs (the staging folder and the temporary
  // update.cab are shared); false when another still has it.
  virtual bool WaitForRunLock(uint32_t timeoutMs) = 0;
};

}  // namespace tyx
