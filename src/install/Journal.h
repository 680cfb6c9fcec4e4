#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace tyx {

// The installation's write-ahead record, kept in its backup folder: each
// line says what is about to change in the application folder before it
// changes, so that an interrupted run can be undone by the next one.
class Journal {
 public:
  enum class Kind : char {
    Kept = 'K',       // the file's previous version is in the backup folder
    Created = 'N',    // the file did not exist before
    Unchanged = 'U',  // the copy over the file was refused; it is as it was
  };
  struct Entry {
    Kind kind;
    std::string name;
  };

  Journal(IFileSystem& files, std::string backupFolder);
  // Throws when the line cannot be written: the change must not happen then.
  void Record(Kind kind, const std::string& name);
  // The installation, or its undoing, is complete.
  void Finish();
  bool Started() const { return started_; }

  // The entries of an unfinished record in that folder, oldest first;
  // nothing when there is none.
  static std::optional<std::vector<Entry>> Unfinished(IFileSystem& files, const std::string& backupFolder);
  static bool IsJournal(const std::string& name);

 private:
  void Append(const std::string& line);
  IFileSystem& files_;
  std::string path_;
  bool started_ = false;
};

}  // namespace tyx
