#include "platform/RemoveIfThere.h"

#include "platform/ErrorRecord.h"

namespace tyx {

void RemoveIfThere(IFileSystem& files, const std::string& path) {
  try {
    if (files.FileExists(path)) files.DeleteFile(path, true);
  } catch (const ErrorRecord&) {
  }
}

}  // namespace tyx
