#pragma once
// Small stand-ins for the platform interfaces. Files are real files in a
// temporary folder: the program's "\" separators map onto "/".
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Crypto.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"

namespace tyx::test {

std::string NativePath(const std::string& path);

class TempDir {
 public:
  TempDir();
  ~TempDir();
  // The folder in the program's own notation (with "\" separators).
  std::string Path(const std::string& relative = "") const;
  std::filesystem::path Native(const std::string& relative = "") const;
  void Write(const std::string& relative, const std::string& content) const;
  std::string Read(const std::string& relative) const;
  bool Exists(const std::string& relative) const;

 private:
  std::filesystem::path root_;
};

class StdFileSystem : public IFileSystem {
 public:
  explicit StdFileSystem(std::string tempFolder = "") : tempFolder_(std::move(tempFolder)) {}
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  void CreateFolder(const std::string& path) override;
  void DeleteFile(const std::string& pattern, bool force) override;
  void DeleteFolder(const std::string& path, bool force) override;
  void CopyFile(const std::string& source, const std::string& destination, bool overwrite) override;
  void MoveFile(const std::string& source, const std::string& destination) override;
  std::vector<std::string> Files(const std::string& folder) override;
  std::vector<std::string> Folders(const std::string& folder) override;
  void RemoveLinks(const std::string& folder) override;
  std::string ReadFile(const std::string& path, size_t maxBytes) override;
  std::string GetTempName() override;
  std::string TemporaryFolder() override { return tempFolder_; }
  bool AppendBytes(const std::string& path, const std::string& bytes) override;
  bool ReadBytes(const std::string& path, std::string& bytes) override;
  uintptr_t CreateForWrite(const std::string& path) override;
  bool Write(uintptr_t file, const char* data, uint32_t size, uint32_t& written) override;
  void Close(uintptr_t file) override;

  int openFiles = 0;
  uint32_t writeLimit = UINT32_MAX;  // bytes a write may take before the disk is full

  // Paths whose next write or delete fails with "Permission denied".
  std::vector<std::string> locked;

 private:
  void FailIfLocked(const std::string& path) const;
  std::string tempFolder_;
  int tempCounter_ = 0;
};

// Every file's hash is 64 zeros; a signature is good when it is "good".
class FakeCrypto : public ICrypto {
 public:
  bool DigestFile(const std::string& path, FileDigest& digest) override;
  bool VerifySignature(const std::string&, const std::string& signature) override { return signature == "good"; }
  bool SignedPackagesOnly() override { return signedOnly; }
  bool signedOnly = false;
};

class FakeRegistry : public IRegistry {
 public:
  struct Value {
    uint32_t type;
    std::string data;
  };
  void AddKey(const std::string& path) { keys_[Lower(path)]; }
  void SetText(const std::string& path, const std::string& name, const std::string& text) {
    keys_[Lower(path)][name] = {1, text + std::string(1, '\0')};
  }
  void SetRaw(const std::string& path, const std::string& name, uint32_t type, const std::string& data) {
    keys_[Lower(path)][name] = {type, data};
  }
  bool HasKey(const std::string& path) const { return keys_.count(Lower(path)) > 0; }
  const Value* Get(const std::string& path, const std::string& name) const;

  long OpenKey(uint32_t root, const std::string& path, RegKey& key) override;
  long QueryValue(RegKey key, const std::string& name, uint32_t& type, std::string& data, uint32_t& size) override;
  long SetValue(RegKey key, const std::string& name, uint32_t type, const std::string& data) override;
  void CloseKey(RegKey key) override { --open; (void)key; }

  int open = 0;  // keys opened and not yet closed

 private:
  static std::string Lower(const std::string& s);
  std::map<std::string, std::map<std::string, Value>> keys_;
  std::vector<std::string> handles_;
};

class FakeSystem : public ISystem {
 public:
  bool GetVersionEx(uint32_t& platformId, uint32_t& majorVersion) override {
    platformId = this->platformId;
    majorVersion = major;
    return versionCallWorks;
  }
  uint32_t GetLongPathName(const std::string& path, uint32_t bufferChars, std::string& longPath) override;
  LocalTime Now() override { return now; }
  std::string ShortDate(const LocalTime& t) override;
  std::string LongTime(const LocalTime& t) override;
  uint32_t TickCount() override { return ticks; }
  void Sleep(uint32_t milliseconds) override { ticks += milliseconds; }

  uint32_t platformId = 2, major = 6;
  bool versionCallWorks = true;
  LocalTime now{2026, 12, 7, 14, 5, 9};
  uint32_t ticks = 1000;
  std::map<std::string, std::string> longForms;  // short -> long; others map to themselves if they exist
};

class IdentityCodePage : public ICodePage {
 public:
  std::string ToAnsi(const std::string& utf8) override { return utf8; }
  std::string FromAnsi(const std::string& ansi) override { return ansi; }
};

class FakeProcess : public IProcess {
 public:
  std::string CommandLine() override { return commandLine; }
  std::string OwnFolder() override { return ownFolder; }
  bool WaitForRunLock(uint32_t) override { return lockFree; }
  std::string commandLine, ownFolder;
  bool lockFree = true;
};

class FakeDialogs : public IDialogs {
 public:
  struct Box {
    std::string text, title;
    MessageIcon icon;
  };
  void MessageBox(const std::string& text, const std::string& title, MessageIcon icon) override {
    boxes.push_back({text, title, icon});
  }
  std::vector<Box> boxes;
};

}  // namespace tyx::test
