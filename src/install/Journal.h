#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace tyx {

// The installation's write-ahead record, kept in its backup folder: each
// line says what may change in the application folder, and is on the disk
// before it changes, so that an interrupted run can be undone by the next.
// A name's last line tells how to undo it.
class Journal {
 public:
  enum class Kind : char {
    Kept = 'K',       // the previous version, once moved, is in the backup folder
    Created = 'N',    // the file did not exist before
    Unchanged = 'U',  // written by earlier versions: the file is as it was
  };
  struct Entry {
    Kind kind;
    std::string name;
  };
  // What a backup folder's record says.
  struct Contents {
    enum class State { Finished, Unfinished, Unreadable, Damaged } state;
    std::vector<Entry> entries;  // of an unfinished record, oldest first
    size_t badLine = 0;          // of a damaged one, counted from 1
  };

  Journal(IFileSystem& files, std::string backupFolder);
  // Writes the lines and puts them on the disk; throws when that fails: the
  // changes must not happen then.
  void Record(const std::vector<Entry>& entries);
  // The installation, or its undoing, is complete; on the disk when it returns.
  void Finish();
  bool Started() const { return started_; }
  bool Finished() const { return finished_; }
  const std::string& Path() const { return path_; }

  // Nothing when the folder holds no record.
  static std::optional<Contents> Read(IFileSystem& files, const std::string& backupFolder);
  static std::string PathIn(const std::string& backupFolder);

 private:
  void Append(const std::string& text);
  IFileSystem& files_;
  std::string path_;
  bool started_ = false;
  bool finished_ = false;
};

}  // namespace tyx
