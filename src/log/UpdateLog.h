#pragma once
#include <functional>
#include <string>

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/SystemInfo.h"

namespace tyx {

// Update.log beside the updater: one line per event, appended in the ANSI
// code page, the file opened and closed for every line.
class UpdateLog {
 public:
  UpdateLog(IFileSystem& files, ISystem& system, ICodePage& codePage, const std::string& ownFolder)
      : files_(files), system_(system), codePage_(codePage), path_(ownFolder + "\\Update.log") {}

  // Once the window exists, every line gives it a chance to repaint.
  void SetPump(std::function<void()> pump) { pump_ = std::move(pump); }
  // A line that cannot be written is lost without a word.
  void WriteLog(const std::string& message);
  const std::string& Path() const { return path_; }

 private:
  IFileSystem& files_;
  ISystem& system_;
  ICodePage& codePage_;
  std::string path_;
  std::function<void()> pump_;
};

}  // namespace tyx
