#pragma once
#include <cstdint>
#include <string>

#include "platform/FileSystem.h"

namespace tyx {

// What has arrived of a download, in "<destination>.part", and beside it in
// "<destination>.resume" what it is a part of: the address, the length the
// server announced and its validator, which a range request must name to go
// on with it. Both lie in the temporary folder, which any program of the
// user may write: the side file is checked line by line, the part is opened
// without following a link, and neither is ever taken for the package.
class PartialDownload {
 public:
  PartialDownload(IFileSystem& files, const std::string& destination, const std::string& url);
  ~PartialDownload() { Close(); }
  PartialDownload(const PartialDownload&) = delete;
  PartialDownload& operator=(const PartialDownload&) = delete;

  // Takes up the part an earlier run left for this address; whatever else
  // lies there is removed.
  void Resume();
  // A new, empty part for a body of `total` bytes (-1: unknown) that
  // `validator` names; false when it cannot be made.
  bool Restart(const std::string& validator, int64_t total);
  bool Append(const char* data, uint32_t size);
  // Whether a range request may go on with it.
  bool Resumable() const { return file_ && !validator_.empty() && total_ > 0 && size_ > 0; }
  int64_t Size() const { return size_; }
  int64_t Total() const { return total_; }
  const std::string& Validator() const { return validator_; }
  const std::string& Path() const { return part_; }
  // Closes it, leaving it for a later run only when one can go on with it.
  void Keep();
  void Discard();
  // Replaces the destination with the finished part; throws ErrorRecord.
  void Complete();

 private:
  void Close();
  bool Load();
  bool WriteSideFile();
  IFileSystem& files_;
  std::string destination_, part_, side_, url_, validator_;
  int64_t total_ = -1, size_ = 0;
  uintptr_t file_ = 0;
};

// A count of bytes in decimal digits, as a header or the side file gives it;
// -1 for anything else.
int64_t ParseByteCount(const std::string& text);

// A server's ETag or Last-Modified that can stand in a header line.
bool UsableValidator(const std::string& text);

}  // namespace tyx
