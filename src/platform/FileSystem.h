#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tyx {

// The file and folder operations of the program, with the semantics of the
// Windows script runtime's FileSystemObject. Every failure is thrown as an
// ErrorRecord with the script runtime's number and description.
class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  // Fails with "File already exists" when the folder is there.
  virtual void CreateFolder(const std::string& path) = 0;
  // The last part may hold wildcards; fails with "File not found" when
  // nothing matches. `force` deletes read-only files too.
  virtual void DeleteFile(const std::string& pattern, bool force) = 0;
  virtual void DeleteFolder(const std::string& path, bool force) = 0;
  // Fails with "File already exists" when the destination exists and
  // `overwrite` is false.
  virtual void CopyFile(const std::string& source, const std::string& destination, bool overwrite) = 0;
  // Fails with "File already exists" when the destination exists.
  virtual void MoveFile(const std::string& source, const std::string& destination) = 0;
  // Renames the file over the destination in the same folder: whoever opens
  // the destination finds the old file or the new one, never a part.
  virtual void ReplaceFile(const std::string& source, const std::string& destination) = 0;
  // Names of the files directly in the folder, in the order the file system gives.
  virtual std::vector<std::string> Files(const std::string& folder) = 0;
  // Names of the folders directly in it, links not included.
  virtual std::vector<std::string> Folders(const std::string& folder) = 0;
  // Removes the junctions and symbolic links directly in the folder, never
  // what they point to.
  virtual void RemoveLinks(const std::string& folder) = 0;
  // The file's first `maxBytes` bytes (all of a smaller file).
  virtual std::string ReadFile(const std::string& path, size_t maxBytes) = 0;
  // A fresh name of the form radXXXXX.tmp (no folder).
  virtual std::string GetTempName() = 0;
  // The system temporary folder without a trailing backslash.
  virtual std::string TemporaryFolder() = 0;
  // Whether the file carries the read-only attribute.
  virtual bool IsReadOnly(const std::string& path) = 0;
  // Puts what was written to the file on the disk, so that it survives a
  // power cut (FlushFileBuffers).
  virtual void Flush(const std::string& path) = 0;
  // A new file for writing (CreateFileW, CREATE_NEW, no sharing); 0 when it
  // cannot be made, also when the name is taken: a file or link planted
  // there is never written through.
  virtual uintptr_t CreateForWrite(const std::string& path) = 0;
  // An existing file opened for writing at its end (no sharing), with its
  // size; 0 when it is missing or is not a plain file of one name: a link
  // planted in its place is never written through.
  virtual uintptr_t OpenForAppend(const std::string& path, int64_t& size) = 0;
  // WriteFile; false when it failed, `written` tells how much went out.
  virtual bool Write(uintptr_t file, const char* data, uint32_t size, uint32_t& written) = 0;
  virtual void Close(uintptr_t file) = 0;
  // Appends raw bytes, creating the file; false on any failure.
  virtual bool AppendBytes(const std::string& path, const std::string& bytes) = 0;
  // The whole file as raw bytes; false when it cannot be read.
  virtual bool ReadBytes(const std::string& path, std::string& bytes) = 0;
  // Locks the file (made if missing) for this process until it ends, on any
  // machine that sees it: a byte-range lock, which network shares honour.
  enum class Lock { Held, Busy, Unavailable };
  virtual Lock TryLock(const std::string& path) = 0;
};

}  // namespace tyx
