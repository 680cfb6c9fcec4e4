#pragma once
#include <string>

namespace tyx {

enum class MessageIcon { Exclamation, Information };

// Message boxes with a single OK button; the call returns when the user has
// closed the box.
class IDialogs {
 public:
  virtual ~IDialogs() = default;
  virtual void MessageBox(const std::string& text, const std::string& title, MessageIcon icon) = 0;
};

}  // namespace tyx
