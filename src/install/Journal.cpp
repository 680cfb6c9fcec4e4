#include "install/Journal.h"

#include "platform/ErrorRecord.h"
#include "platform/Text.h"

namespace tyx {
namespace {

const char kFileName[] = "TyxUpdate.jnl";
const char kFinished[] = "END";

}  // namespace

Journal::Journal(IFileSystem& files, std::string backupFolder)
    : files_(files), path_(std::move(backupFolder) + "\\" + kFileName) {}

void Journal::Append(const std::string& line) {
  if (!files_.AppendBytes(path_, line + "\r\n")) throw ErrorRecord(75, "InstallUpdate", "Path/File access error");
}

void Journal::Record(Kind kind, const std::string& name) {
  Append(std::string(1, static_cast<char>(kind)) + " " + name);
  started_ = true;
}

// On a line of its own even after a line that an interruption cut off.
void Journal::Finish() { Append(std::string("\r\n") + kFinished); }

bool Journal::IsJournal(const std::string& name) { return LowerCase(name) == LowerCase(kFileName); }

std::optional<std::vector<Journal::Entry>> Journal::Unfinished(IFileSystem& files, const std::string& backupFolder) {
  std::string text;
  if (!files.ReadBytes(backupFolder + "\\" + kFileName, text)) return std::nullopt;
  std::vector<Entry> entries;
  bool finished = false;
  // A line cut off by the interruption never got its change made.
  for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    std::string line = text.substr(start, end - start);
    if (line.empty()) continue;
    finished = line == kFinished;
    if (finished) {
      entries.clear();  // an earlier run in the same folder ended here
    } else if (line.size() > 2) {
      entries.push_back({static_cast<Kind>(line[0]), line.substr(2)});
    }
  }
  if (finished) return std::nullopt;
  return entries;
}

}  // namespace tyx
