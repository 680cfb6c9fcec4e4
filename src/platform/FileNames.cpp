#include "platform/FileNames.h"

#include "platform/Text.h"

namespace tyx {
namespace {

// Windows opens these devices whatever extension follows the name, and in
// any folder.
bool IsDeviceName(const std::string& part) {
  std::string base = LowerCase(part.substr(0, part.find('.')));
  base.erase(base.find_last_not_of(' ') + 1);
  if (base == "con" || base == "prn" || base == "aux" || base == "nul" || base == "conin$" || base == "conout$")
    return true;
  if (base.rfind("com", 0) != 0 && base.rfind("lpt", 0) != 0) return false;
  const std::string number = base.substr(3);
  return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "¹" ||
         number == "²" || number == "³";
}

}  // namespace

bool IsSafeEntryName(const std::string& name) {
  if (name.empty() || name[0] == '\\' || name[0] == '/') return false;
  if (name.find(':') != std::string::npos) return false;
  size_t start = 0;
  for (;;) {
    size_t end = name.find_first_of("\\/", start);
    std::string part = name.substr(start, end == std::string::npos ? std::string::npos : end - start);
    // Windows drops trailing dots and blanks, so ". ." and "..." are ".." too.
    if (part.find_first_not_of(". ") == std::string::npos && part.find("..") != std::string::npos) return false;
    if (IsDeviceName(part)) return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

bool IsPlainFileName(const std::string& name) {
  for (unsigned char c : name)
    if (c < 0x20 || std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos) return false;
  // Windows drops trailing dots and blanks: "a.dll." is "a.dll", ". ." is "..".
  return !name.empty() && name.back() != '.' && name.back() != ' ' && IsSafeEntryName(name);
}

}  // namespace tyx
