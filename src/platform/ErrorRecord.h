#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

namespace tyx {

// A failure raised by the cabinet reader and the file operations: the step
// that called them catches it and shows its description.
struct ErrorRecord : std::runtime_error {
  ErrorRecord(int32_t number, std::string source, const std::string& description)
      : std::runtime_error(description), number(number), source(std::move(source)) {}
  int32_t number;
  std::string source;
  std::string Description() const { return what(); }
};

}  // namespace tyx
