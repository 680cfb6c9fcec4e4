#pragma once
#include <string>

namespace tyx {

// Tokeniser with remembered state: a call with a text starts over and
// consumes nothing; a call with the empty text takes the next field.
class StrTok {
 public:
  std::string operator()(const std::string& text, const std::string& separator);

 private:
  std::string text_;
  std::string separator_;
  size_t position_ = 0;  // 0-based; past the end once the text is used up
};

}  // namespace tyx
