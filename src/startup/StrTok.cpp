#include "startup/StrTok.h"

namespace tyx {

std::string StrTok::operator()(const std::string& text, const std::string& separator) {
  if (!text.empty()) {
    text_ = text;
    separator_ = separator;
    position_ = 0;
    return {};
  }
  if (position_ > text_.size()) return {};
  size_t found = separator_.empty() ? std::string::npos : text_.find(separator_, position_);
  if (found == std::string::npos) {
    std::string rest = text_.substr(position_);
    position_ = text_.size() + 1;
    return rest;
  }
  // An empty field reads as a single blank, which the caller trims away.
  std::string field = found == position_ ? std::string(" ") : text_.substr(position_, found - position_);
  position_ = found + separator_.size();
  return field;
}

}  // namespace tyx
