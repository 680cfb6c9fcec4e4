#pragma once
#include "platform/CodePage.h"
#include "platform/Registry.h"

namespace tyx::win32 {

class Win32Registry : public IRegistry {
 public:
  explicit Win32Registry(ICodePage& codePage) : codePage_(codePage) {}
  long OpenKey(uint32_t root, const std::string& path, RegKey& key) override;
  long QueryValue(RegKey key, const std::string& name, uint32_t& type, std::string& data, uint32_t& size) override;
  long SetValue(RegKey key, const std::string& name, uint32_t type, const std::string& data) override;
  void CloseKey(RegKey key) override;

 private:
  ICodePage& codePage_;
};

}  // namespace tyx::win32
