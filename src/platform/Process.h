#pragma once
#include <string>

namespace tyx {

class IProcess {
 public:
  virtual ~IProcess() = default;
  // The arguments of the command line, without the program's own path.
  virtual std::string CommandLine() = 0;
  // The folder of the running executable, without a trailing backslash.
  virtual std::string OwnFolder() = 0;
};

}  // namespace tyx
