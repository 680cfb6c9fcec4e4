#pragma once
#include <cstdint>
#include <string>
#include <variant>

#include "platform/CodePage.h"
#include "platform/Dialogs.h"
#include "platform/Registry.h"

namespace tyx {

// A value as read: text for REG_SZ, a number otherwise.
using RegValue = std::variant<std::string, int32_t>;

// The value as text, as the callers compare it ("1", "0", ...).
std::string RegValueText(const RegValue& value);

class RegistryAccess {
 public:
  RegistryAccess(IRegistry& registry, ICodePage& codePage, IDialogs& dialogs)
      : registry_(registry), codePage_(codePage), dialogs_(dialogs) {}

  // Leaves `result` untouched unless the value was read.
  bool ReadRegValue(uint32_t root, const std::string& keyPath, const std::string& valueName, uint32_t type,
                    RegValue& result, bool reportErrors);
  // Reads a REG_SZ value into a text preset by the caller, errors not reported.
  void ReadText(const std::string& keyPath, const std::string& valueName, std::string& text);
  bool WriteRegValue(uint32_t root, const std::string& keyPath, const std::string& valueName, uint32_t type,
                     const RegValue& value);

 private:
  long QueryWhole(RegKey key, const std::string& name, uint32_t type, uint32_t& reportedType, std::string& data);
  IRegistry& registry_;
  ICodePage& codePage_;
  IDialogs& dialogs_;
};

}  // namespace tyx
