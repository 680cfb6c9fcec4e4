#include "download/PartialDownload.h"

#include <sstream>
#include <vector>

#include "download/ResumableDownload.h"
#include "platform/ErrorRecord.h"
#include "platform/RemoveIfThere.h"

namespace tyx {
namespace {

const char kSideHeader[] = "TyxUpdate resume 1";

bool ParseLength(const std::string& text, int64_t& value) {
  value = ParseByteCount(text);
  return value > 0 && value <= kMaxPackageBytes;
}

}  // namespace

int64_t ParseByteCount(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 18) return -1;
  return std::stoll(text);
}

bool UsableValidator(const std::string& text) {
  if (text.empty() || text.size() > 200) return false;
  for (unsigned char c : text)
    if (c < 0x20 || c > 0x7E) return false;
  return true;
}

PartialDownload::PartialDownload(IFileSystem& files, const std::string& destination, const std::string& url)
    : files_(files), destination_(destination), part_(destination + ".part"), side_(destination + ".resume"),
      url_(url) {}

void PartialDownload::Close() {
  if (file_) files_.Close(file_);
  file_ = 0;
}

void PartialDownload::Resume() {
  if (!Load()) Discard();
}

// The side file as this program writes it, for this address, and a part
// shorter than the whole.
bool PartialDownload::Load() {
  std::string text;
  try {
    if (!files_.FileExists(side_)) return false;
    text = files_.ReadFile(side_, 512);
  } catch (const ErrorRecord&) {
    return false;
  }
  std::vector<std::string> lines;
  for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(text.substr(at, end - at));
  int64_t total = 0, size = 0;
  if (lines.size() != 4 || text.size() != lines[0].size() + lines[1].size() + lines[2].size() + lines[3].size() + 8 ||
      lines[0] != kSideHeader || lines[1] != url_ || !ParseLength(lines[2], total) || !UsableValidator(lines[3]))
    return false;
  file_ = files_.OpenForAppend(part_, size);
  if (!file_ || size <= 0 || size >= total) return false;
  validator_ = lines[3];
  total_ = total;
  size_ = size;
  return true;
}

bool PartialDownload::Restart(const std::string& validator, int64_t total) {
  Discard();
  file_ = files_.CreateForWrite(part_);
  if (!file_) return false;
  validator_ = validator;
  total_ = total;
  size_ = 0;
  // Without a validator and a length no later run could tell it belongs to the same package.
  if (!UsableValidator(validator_) || total_ <= 0 || !WriteSideFile()) validator_.clear();
  return true;
}

bool PartialDownload::WriteSideFile() {
  std::ostringstream text;
  text << kSideHeader << "\r\n" << url_ << "\r\n" << total_ << "\r\n" << validator_ << "\r\n";
  const std::string bytes = text.str();
  uintptr_t side = files_.CreateForWrite(side_);
  if (!side) return false;
  uint32_t written = 0;
  const bool ok = files_.Write(side, bytes.data(), static_cast<uint32_t>(bytes.size()), written) &&
                  written == bytes.size();
  files_.Close(side);
  return ok;
}

bool PartialDownload::Append(const char* data, uint32_t size) {
  uint32_t written = 0;
  const bool ok = files_.Write(file_, data, size, written) && written == size;
  size_ += written;
  return ok;
}

void PartialDownload::Keep() {
  if (Resumable()) {
    Close();
    return;
  }
  Discard();
}

void PartialDownload::Discard() {
  Close();
  RemoveIfThere(files_, side_);
  RemoveIfThere(files_, part_);
  validator_.clear();
  total_ = -1;
  size_ = 0;
}

void PartialDownload::Complete() {
  Close();
  RemoveIfThere(files_, side_);
  if (files_.FileExists(destination_)) files_.DeleteFile(destination_, true);
  files_.MoveFile(part_, destination_);
}

}  // namespace tyx
