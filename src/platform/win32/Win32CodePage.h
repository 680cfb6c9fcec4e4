#pragma once
#include "platform/CodePage.h"

namespace tyx::win32 {

class Win32CodePage : public ICodePage {
 public:
  std::string ToAnsi(const std::string& utf8) override;
  std::string FromAnsi(const std::string& ansi) override;
};

}  // namespace tyx::win32
