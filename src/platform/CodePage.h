#pragma once
#include <string>

namespace tyx {

// The boundary to the system ANSI code page: files and registry values are
// stored in it, texts inside the program are UTF-8.
class ICodePage {
 public:
  virtual ~ICodePage() = default;
  virtual std::string ToAnsi(const std::string& utf8) = 0;
  virtual std::string FromAnsi(const std::string& ansi) = 0;
};

}  // namespace tyx
