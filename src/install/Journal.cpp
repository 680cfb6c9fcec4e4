#include "install/Journal.h"

#include "platform/ErrorRecord.h"
#include "platform/FileNames.h"

namespace tyx {
namespace {

const char kFileName[] = "TyxUpdate.jnl";
const char kFinished[] = "END";

using State = Journal::Contents::State;

// A power cut can leave what was never flushed as zeros; such a line was
// never followed by its change.
bool IsTorn(const std::string& line) { return line.find('\0') != std::string::npos; }

bool IsKind(char c) { return c == 'K' || c == 'N' || c == 'U'; }

}  // namespace

Journal::Journal(IFileSystem& files, std::string backupFolder) : files_(files), path_(PathIn(backupFolder)) {}

std::string Journal::PathIn(const std::string& backupFolder) { return backupFolder + "\\" + kFileName; }

void Journal::Append(const std::string& text) {
  if (!files_.AppendBytes(path_, text)) throw ErrorRecord(75, "InstallUpdate", "Path/File access error");
  files_.Flush(path_);
}

void Journal::Record(const std::vector<Entry>& entries) {
  if (entries.empty()) return;
  std::string text;
  for (const Entry& e : entries) text += std::string(1, static_cast<char>(e.kind)) + " " + e.name + "\r\n";
  Append(text);
  started_ = true;
}

// On a line of its own even after a line that an interruption cut off.
void Journal::Finish() {
  Append(std::string("\r\n") + kFinished + "\r\n");
  finished_ = true;
}

std::optional<Journal::Contents> Journal::Read(IFileSystem& files, const std::string& backupFolder) {
  const std::string path = PathIn(backupFolder);
  if (!files.FileExists(path)) return std::nullopt;
  std::string text;
  if (!files.ReadBytes(path, text)) return Contents{State::Unreadable, {}, 0};
  Contents c{State::Finished, {}, 0};
  size_t number = 0;
  // The text after the last line end was cut off before its change was made.
  for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    const std::string line = text.substr(start, end - start);
    ++number;
    if (line.empty() || IsTorn(line)) continue;
    if (line == kFinished) {
      c.state = State::Finished;
      c.entries.clear();  // an earlier run in the same folder ended here
    } else if (line.size() > 2 && IsKind(line[0]) && line[1] == ' ' && IsPlainFileName(line.substr(2))) {
      c.state = State::Unfinished;
      c.entries.push_back({static_cast<Kind>(line[0]), line.substr(2)});
    } else {
      return Contents{State::Damaged, {}, number};
    }
  }
  return c;
}

}  // namespace tyx
