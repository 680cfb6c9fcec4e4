#include "fakes/FakeOs.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "platform/ErrorRecord.h"

namespace fs = std::filesystem;

namespace tyx::test {
namespace {

[[noreturn]] void Fail(int32_t number, const char* text) { throw ErrorRecord(number, "Scripting.FileSystemObject", text); }

// "*" and "?" in the last part of a pattern.
bool Matches(const std::string& pattern, const std::string& name) {
  if (pattern.empty()) return name.empty();
  if (pattern[0] == '*') {
    for (size_t i = 0; i <= name.size(); ++i)
      if (Matches(pattern.substr(1), name.substr(i))) return true;
    return false;
  }
  if (name.empty()) return false;
  if (pattern[0] == '?' || std::tolower(static_cast<unsigned char>(pattern[0])) ==
                               std::tolower(static_cast<unsigned char>(name[0])))
    return Matches(pattern.substr(1), name.substr(1));
  return false;
}

bool IsReadOnly(const fs::path& p) {
  return (fs::status(p).permissions() & fs::perms::owner_write) == fs::perms::none;
}

}  // namespace

std::string NativePath(const std::string& path) {
  std::string p = path;
  std::replace(p.begin(), p.end(), '\\', '/');
  return p;
}

// Lower case only: the command line is lower-cased, and so are the paths in it.
TempDir::TempDir() {
  static int counter = 0;
  for (;;) {
    root_ = fs::temp_directory_path() /
            ("tyxtest-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
    if (fs::create_directory(root_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  for (auto& entry : fs::recursive_directory_iterator(root_, ec))
    fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(root_, ec);
}

std::string TempDir::Path(const std::string& relative) const {
  std::string p = root_.string();
  if (!relative.empty()) p += "\\" + relative;
  std::replace(p.begin() + static_cast<long>(root_.string().size()), p.end(), '/', '\\');
  return p;
}

fs::path TempDir::Native(const std::string& relative) const { return NativePath(Path(relative)); }

void TempDir::Write(const std::string& relative, const std::string& content) const {
  fs::path p = Native(relative);
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << content;
}

std::string TempDir::Read(const std::string& relative) const {
  std::ifstream in(Native(relative), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool TempDir::Exists(const std::string& relative) const { return fs::exists(Native(relative)); }

void StdFileSystem::FailIfLocked(const std::string& path) const {
  if (std::find(locked.begin(), locked.end(), path) != locked.end()) Fail(70, "Permission denied");
}

bool StdFileSystem::FileExists(const std::string& path) { return fs::is_regular_file(NativePath(path)); }
bool StdFileSystem::FolderExists(const std::string& path) { return fs::is_directory(NativePath(path)); }

void StdFileSystem::CreateFolder(const std::string& path) {
  FailIfLocked(path);
  fs::path p = NativePath(path);
  if (fs::exists(p)) Fail(58, "File already exists");
  if (!fs::is_directory(p.parent_path())) Fail(76, "Path not found");
  fs::create_directory(p);
}

void StdFileSystem::DeleteFile(const std::string& pattern, bool force) {
  fs::path p = NativePath(pattern);
  std::string namePattern = p.filename().string();
  bool deleted = false;
  std::error_code ec;
  if (fs::is_directory(p.parent_path())) {
    for (auto& entry : fs::directory_iterator(p.parent_path(), ec)) {
      if (!entry.is_regular_file() || !Matches(namePattern, entry.path().filename().string())) continue;
      FailIfLocked(pattern.substr(0, pattern.rfind('\\') + 1) + entry.path().filename().string());
      if (IsReadOnly(entry.path()) && !force) Fail(70, "Permission denied");
      fs::remove(entry.path());
      deleted = true;
    }
  }
  if (!deleted) Fail(53, "File not found");
}

void StdFileSystem::DeleteFolder(const std::string& path, bool) {
  FailIfLocked(path);
  if (!fs::is_directory(NativePath(path))) Fail(76, "Path not found");
  fs::remove_all(NativePath(path));
}

void StdFileSystem::CopyFile(const std::string& source, const std::string& destination, bool overwrite) {
  FailIfLocked(destination);
  fs::path from = NativePath(source), to = NativePath(destination);
  if (!fs::is_regular_file(from)) Fail(53, "File not found");
  if (!fs::is_directory(to.parent_path())) Fail(76, "Path not found");
  if (fs::exists(to) && !overwrite) Fail(58, "File already exists");
  if (fs::exists(to) && IsReadOnly(to)) Fail(70, "Permission denied");
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

void StdFileSystem::MoveFile(const std::string& source, const std::string& destination) {
  FailIfLocked(source);
  fs::path from = NativePath(source), to = NativePath(destination);
  if (!fs::exists(from)) Fail(53, "File not found");
  if (fs::exists(to)) Fail(58, "File already exists");
  if (!fs::is_directory(to.parent_path())) Fail(76, "Path not found");
  fs::rename(from, to);
}

std::vector<std::string> StdFileSystem::Files(const std::string& folder) {
  if (!fs::is_directory(NativePath(folder))) Fail(76, "Path not found");
  std::vector<std::string> names;
  for (auto& entry : fs::directory_iterator(NativePath(folder)))
    if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> StdFileSystem::Folders(const std::string& folder) {
  if (!fs::is_directory(NativePath(folder))) Fail(76, "Path not found");
  std::vector<std::string> names;
  for (auto& entry : fs::directory_iterator(NativePath(folder)))
    if (entry.is_directory() && !entry.is_symlink()) names.push_back(entry.path().filename().string());
  return names;
}

void StdFileSystem::RemoveLinks(const std::string& folder) {
  for (auto& entry : fs::directory_iterator(NativePath(folder)))
    if (entry.is_symlink()) fs::remove(entry.path());
}

std::string StdFileSystem::ReadFile(const std::string& path, size_t maxBytes) {
  std::ifstream in(NativePath(path), std::ios::binary);
  if (!in) Fail(53, "File not found");
  std::string bytes(maxBytes, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(maxBytes));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

bool FakeCrypto::DigestFile(const std::string& path, FileDigest& digest) {
  std::error_code error;
  digest.size = fs::file_size(NativePath(path), error);
  digest.sha256 = std::string(64, '0');
  return !error;
}

std::string StdFileSystem::GetTempName() { return "rad" + std::to_string(10000 + ++tempCounter_) + ".tmp"; }

bool StdFileSystem::AppendBytes(const std::string& path, const std::string& bytes) {
  if (std::find(locked.begin(), locked.end(), path) != locked.end()) return false;
  std::ofstream out(NativePath(path), std::ios::binary | std::ios::app);
  out << bytes;
  return static_cast<bool>(out);
}

bool StdFileSystem::ReadBytes(const std::string& path, std::string& bytes) {
  std::ifstream in(NativePath(path), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  bytes = s.str();
  return static_cast<bool>(in);
}

uintptr_t StdFileSystem::CreateForWrite(const std::string& path) {
  if (std::find(locked.begin(), locked.end(), path) != locked.end()) return 0;
  FILE* f = std::fopen(NativePath(path).c_str(), "wb");
  if (f) ++openFiles;
  return reinterpret_cast<uintptr_t>(f);
}

bool StdFileSystem::Write(uintptr_t file, const char* data, uint32_t size, uint32_t& written) {
  uint32_t n = size < writeLimit ? size : writeLimit;
  writeLimit -= n;
  written = static_cast<uint32_t>(std::fwrite(data, 1, n, reinterpret_cast<FILE*>(file)));
  return written == size;
}

void StdFileSystem::Close(uintptr_t file) {
  std::fclose(reinterpret_cast<FILE*>(file));
  --openFiles;
}

std::string FakeRegistry::Lower(const std::string& s) {
  std::string out = s;
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

const FakeRegistry::Value* FakeRegistry::Get(const std::string& path, const std::string& name) const {
  auto key = keys_.find(Lower(path));
  if (key == keys_.end()) return nullptr;
  auto value = key->second.find(name);
  return value == key->second.end() ? nullptr : &value->second;
}

long FakeRegistry::OpenKey(uint32_t, const std::string& path, RegKey& key) {
  if (!keys_.count(Lower(path))) return 2;
  handles_.push_back(Lower(path));
  key = handles_.size();
  ++open;
  return 0;
}

long FakeRegistry::QueryValue(RegKey key, const std::string& name, uint32_t& type, std::string& data,
                              uint32_t& size) {
  auto& values = keys_[handles_.at(key - 1)];
  auto it = values.find(name);
  if (it == values.end()) return 2;
  type = it->second.type;
  uint32_t buffer = size;
  size = static_cast<uint32_t>(it->second.data.size());
  if (size > buffer) return 234;
  std::copy(it->second.data.begin(), it->second.data.end(), data.begin());
  return 0;
}

long FakeRegistry::SetValue(RegKey key, const std::string& name, uint32_t type, const std::string& data) {
  keys_[handles_.at(key - 1)][name] = {type, data};
  return 0;
}

uint32_t FakeSystem::GetLongPathName(const std::string& path, uint32_t bufferChars, std::string& longPath) {
  auto it = longForms.find(path);
  std::string result = it != longForms.end() ? it->second : fs::exists(NativePath(path)) ? path : "";
  if (result.empty()) return 0;
  if (result.size() >= bufferChars) return static_cast<uint32_t>(result.size() + 1);
  longPath = result;
  return static_cast<uint32_t>(result.size());
}

std::string FakeSystem::ShortDate(const LocalTime& t) {
  return std::to_string(t.day) + "." + std::to_string(t.month) + "." + std::to_string(t.year);
}

std::string FakeSystem::LongTime(const LocalTime& t) {
  auto two = [](int v) { return (v < 10 ? "0" : "") + std::to_string(v); };
  return std::to_string(t.hour) + ":" + two(t.minute) + ":" + two(t.second);
}

}  // namespace tyx::test
