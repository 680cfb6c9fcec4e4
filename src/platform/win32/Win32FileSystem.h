#pragma once
#include <vector>

#include "platform/FileSystem.h"
#include "platform/win32/Handles.h"

namespace tyx::win32 {

// The script runtime's file operations, on the wide Win32 calls.
class Win32FileSystem : public IFileSystem {
 public:
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  void CreateFolder(const std::string& path) override;
  void DeleteFile(const std::string& pattern, bool force) override;
  void DeleteFolder(const std::string& path, bool force) override;
  void CopyFile(const std::string& source, const std::string& destination, bool overwrite) override;
  void MoveFile(const std::string& source, const std::string& destination) override;
  void ReplaceFile(const std::string& source, const std::string& destination) override;
  std::vector<std::string> Files(const std::string& folder) override;
  std::vector<std::string> Folders(const std::string& folder) override;
  void RemoveLinks(const std::string& folder) override;
  std::string ReadFile(const std::string& path, size_t maxBytes) override;
  std::string GetTempName() override;
  std::string TemporaryFolder() override;
  bool IsReadOnly(const std::string& path) override;
  void Flush(const std::string& path) override;
  uintptr_t CreateForWrite(const std::string& path) override;
  uintptr_t OpenForAppend(const std::string& path, int64_t& size) override;
  bool Write(uintptr_t file, const char* data, uint32_t size, uint32_t& written) override;
  void Close(uintptr_t file) override;
  bool AppendBytes(const std::string& path, const std::string& bytes) override;
  bool ReadBytes(const std::string& path, std::string& bytes) override;
  Lock TryLock(const std::string& path) override;

 private:
  std::vector<KernelHandle> locks_;  // held until the program ends
};

}  // namespace tyx::win32
