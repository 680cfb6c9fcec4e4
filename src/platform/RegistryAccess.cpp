#include "platform/RegistryAccess.h"

#include <exception>

namespace tyx {
namespace {

constexpr uint32_t kTextBuffer = 255;
// A settings value is a short text; anything larger is not one of ours.
constexpr uint32_t kLargestValue = 64 * 1024;
const char kTitle[] = "TyxUpdate";

// Closes the opened key however the call ends.
struct OpenedKey {
  IRegistry& registry;
  RegKey key = 0;
  ~OpenedKey() {
    if (key) registry.CloseKey(key);
  }
};

}  // namespace

std::string RegValueText(const RegValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  return std::to_string(std::get<int32_t>(value));
}

// A text longer than the first buffer is read again with the size the
// registry asks for, so that a long value is not mistaken for a missing one.
long RegistryAccess::QueryWhole(RegKey key, const std::string& name, uint32_t type, uint32_t& reportedType,
                                std::string& data) {
  uint32_t size = type == REG_DWORD_TYPE ? 4 : kTextBuffer;
  data.assign(size, '\0');
  long rc = registry_.QueryValue(key, name, reportedType, data, size);
  if (rc == REG_ERROR_MORE_DATA && type != REG_DWORD_TYPE && size > kTextBuffer && size <= kLargestValue) {
    data.assign(size, '\0');
    rc = registry_.QueryValue(key, name, reportedType, data, size);
  }
  if (rc == 0) data.resize(size < data.size() ? size : data.size());
  return rc;
}

bool RegistryAccess::ReadRegValue(uint32_t root, const std::string& keyPath, const std::string& valueName,
                                  uint32_t type, RegValue& result, bool reportErrors) {
  try {
    OpenedKey opened{registry_};
    long rc = registry_.OpenKey(root, keyPath, opened.key);
    if (rc != 0) {
      if (reportErrors)
        dialogs_.MessageBox("Error Opening Registry Key Entry:\r\nKey/Path=" + keyPath + "\r\nDLL Error " +
                                std::to_string(rc),
                            kTitle, MessageIcon::Exclamation);
      return false;
    }
    uint32_t reportedType = 0;
    std::string data;
    rc = QueryWhole(opened.key, valueName, type, reportedType, data);
    if (rc != 0) {
      if (reportErrors)
        dialogs_.MessageBox("Error Retrieving Registry Key Entry:\r\nKey=" + valueName + "\r\nDLL Returned=" +
                                std::to_string(rc),
                            "ODBC Registry", MessageIcon::Exclamation);
      return false;
    }
    if (reportedType == REG_SZ_TYPE) {
      // The stored text ends at its first zero; a value written without
      // one keeps its last character.
      result = codePage_.FromAnsi(data.substr(0, data.find('\0')));
    } else if (reportedType == REG_DWORD_TYPE) {
      int32_t number = 0;
      if (type == REG_DWORD_TYPE && data.size() >= 4)
        number = static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned char>(data[0])) |
                                      static_cast<uint32_t>(static_cast<unsigned char>(data[1])) << 8 |
                                      static_cast<uint32_t>(static_cast<unsigned char>(data[2])) << 16 |
                                      static_cast<uint32_t>(static_cast<unsigned char>(data[3])) << 24);
      result = number;
    } else {
      result = int32_t{1};
    }
    return true;
  } catch (const std::exception& e) {
    dialogs_.MessageBox(e.what(), kTitle, MessageIcon::Exclamation);
    return false;
  }
}

void RegistryAccess::ReadText(const std::string& keyPath, const std::string& valueName, std::string& text) {
  RegValue value = text;
  if (ReadRegValue(HKEY_CURRENT_USER_VALUE, keyPath, valueName, REG_SZ_TYPE, value, false))
    text = RegValueText(value);
}

bool RegistryAccess::WriteRegValue(uint32_t root, const std::string& keyPath, const std::string& valueName,
                                   uint32_t type, const RegValue& value) {
  try {
    OpenedKey opened{registry_};
    if (registry_.OpenKey(root, keyPath, opened.key) != 0) return false;
    std::string data;
    if (type == REG_DWORD_TYPE) {
      const auto* number = std::get_if<int32_t>(&value);
      auto n = static_cast<uint32_t>(number ? *number : std::stoi(RegValueText(value)));
      for (int i = 0; i < 4; ++i) data += static_cast<char>((n >> (8 * i)) & 0xFF);
    } else {
      data = codePage_.ToAnsi(RegValueText(value));
      data += '\0';
    }
    return registry_.SetValue(opened.key, valueName, type == REG_DWORD_TYPE ? REG_DWORD_TYPE : REG_SZ_TYPE, data) == 0;
  } catch (const std::exception& e) {
    dialogs_.MessageBox(e.what(), kTitle, MessageIcon::Exclamation);
    return false;
  }
}

}  // namespace tyx
