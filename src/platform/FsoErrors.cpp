#include "platform/FsoErrors.h"

namespace tyx {
namespace {

struct FsoText {
  int32_t number;
  const char* text;
};

FsoText Lookup(uint32_t code) {
  switch (code) {
    case 2: return {53, "File not found"};
    case 3: return {76, "Path not found"};
    case 5:
    case 19:
    case 32:
    case 33: return {70, "Permission denied"};
    case 15: return {68, "Device unavailable"};
    case 21: return {71, "Disk not ready"};
    case 39:
    case 112: return {61, "Disk full"};
    case 80:
    case 183: return {58, "File already exists"};
    case 123:
    case 161:
    case 206: return {52, "Bad file name or number"};
    default: return {0, nullptr};
  }
}

}  // namespace

ErrorRecord FsoError(uint32_t win32Code, const std::string& systemDescription) {
  FsoText t = Lookup(win32Code);
  if (t.text) return ErrorRecord(t.number, "Scripting.FileSystemObject", t.text);
  return ErrorRecord(static_cast<int32_t>(win32Code), "Scripting.FileSystemObject",
                     systemDescription.empty() ? "Unexpected error" : systemDescription);
}

}  // namespace tyx
