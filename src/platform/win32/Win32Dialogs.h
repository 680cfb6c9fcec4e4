#pragma once
#include "platform/Dialogs.h"

namespace tyx::win32 {

// Message boxes owned by the update window while it is open.
class Win32Dialogs : public IDialogs {
 public:
  void MessageBox(const std::string& text, const std::string& title, MessageIcon icon) override;
  void SetOwner(void* window) { owner_ = window; }

 private:
  void* owner_ = nullptr;
};

}  // namespace tyx::win32
