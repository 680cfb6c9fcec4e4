#pragma once
// Small stand-ins for the platform. Files are real files in a temporary folder, the program's "\" mapping onto
// "/"; everything else lives in memory.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/ErrorRecord.h"
#include "platform/Text.h"
#include "session/Session.h"  // every platform interface, the log and the window

namespace tyx::test {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

inline fs::path NativePath(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

class TempDir {  // lower case: the command line is lower-cased, and so are the paths in it
 public:
  TempDir() {
    static int counter = 0;
    do root_ = fs::temp_directory_path() / ("tyxtest-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
    while (!fs::create_directory(root_));
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  std::string Path(std::string relative = "") const {  // with "\" separators
    std::replace(relative.begin(), relative.end(), '/', '\\');
    return root_.string() + (relative.empty() ? "" : "\\" + relative);
  }
  fs::path Native(const std::string& relative = "") const { return NativePath(Path(relative)); }
  void Write(const std::string& relative, const std::string& content) const {
    fs::create_directories(Native(relative).parent_path());
    std::ofstream(Native(relative), std::ios::binary) << content;
  }
  std::string Read(const std::string& relative) const { return Bytes(Native(relative)); }
  static std::string Bytes(const fs::path& file) {  // "" for a missing one
    std::stringstream s;
    s << std::ifstream(file, std::ios::binary).rdbuf();
    return s.str();
  }
  bool Exists(const std::string& relative) const { return fs::exists(Native(relative)); }

 private:
  fs::path root_;
};

struct PowerCut {};  // thrown where the power went

// Real files, with Windows' refusals, and the disk's cache: what was written stays unflushed until Flush, while
// creating, moving and removing reach the disk at once and in order. With `cutAt` k the power goes instead of
// the k-th change; PowerCutDrops() then leaves on disk what a power cut would.
class StdFileSystem : public IFileSystem {
 public:
  explicit StdFileSystem(std::string temp = "") : temp_(std::move(temp)) {}
  bool FileExists(const std::string& path) override { return fs::is_regular_file(NativePath(path)); }
  bool FolderExists(const std::string& path) override { return fs::is_directory(NativePath(path)); }
  void CreateFolder(const std::string& path) override {
    Step();
    if (fs::exists(NativePath(path))) Fail(58, "File already exists");
    if (!fs::is_directory(NativePath(path).parent_path())) Fail(76, "Path not found");
    fs::create_directory(NativePath(path));
  }
  void DeleteFile(const std::string& path, bool) override {
    Step();
    if (Locked(path)) Fail(70, "Permission denied");
    if (!fs::remove(NativePath(path))) Fail(53, "File not found");
    unflushed_.erase(NativePath(path));
  }
  void DeleteFolder(const std::string& path, bool) override {
    Step();
    fs::remove_all(NativePath(path));
    std::erase_if(unflushed_, [&](auto& f) { return f.first.string().rfind(NativePath(path).string() + "/", 0) == 0; });
  }
  void CopyFile(const std::string& source, const std::string& destination, bool overwrite) override {
    Step();
    if (Locked(destination)) Fail(70, "Permission denied");
    if (!overwrite && fs::exists(NativePath(destination))) Fail(58, "File already exists");
    Written(destination, 0);
    fs::copy_file(NativePath(source), NativePath(destination), fs::copy_options::overwrite_existing);
    if (fs::file_size(NativePath(destination)) <= writeLimit) return;
    fs::resize_file(NativePath(destination), writeLimit);  // cut short, as a full disk leaves it
    Fail(61, "Disk full");
  }
  void MoveFile(const std::string& source, const std::string& destination) override {
    Step();
    if (Locked(source)) Fail(70, "Permission denied");
    if (!fs::exists(NativePath(source))) Fail(53, "File not found");
    if (fs::exists(NativePath(destination))) Fail(58, "File already exists");
    fs::rename(NativePath(source), NativePath(destination));
    if (auto f = unflushed_.extract(NativePath(source))) unflushed_[NativePath(destination)] = f.mapped();
  }
  void ReplaceFile(const std::string& source, const std::string& destination) override {
    Step();
    if (Locked(destination)) Fail(70, "Permission denied");
    fs::rename(NativePath(source), NativePath(destination));
  }
  void Flush(const std::string& path) override {
    Step();
    if (!fs::is_regular_file(NativePath(path))) Fail(53, "File not found");
    unflushed_.erase(NativePath(path));
  }
  void PowerCutDrops() {
    for (auto& [file, since] : unflushed_) {
      if (since.isNew && newFilesVanish) {
        fs::remove(file);
        continue;
      }
      std::string bytes = TempDir::Bytes(file);
      std::fill(bytes.begin() + static_cast<long>(std::min(since.offset, bytes.size())), bytes.end(), '\0');
      std::ofstream(file, std::ios::binary) << bytes;
    }
    unflushed_.clear();
    cutAt = 0;
  }
  std::vector<std::string> Files(const std::string& folder) override { return Names(folder, false); }
  std::vector<std::string> Folders(const std::string& folder) override { return Names(folder, true); }
  void RemoveLinks(const std::string&) override {}  // links: the end-to-end runs under Wine
  std::string GetTempName() override { return "rad" + std::to_string(10000 + ++tempCounter_) + ".tmp"; }
  std::string TemporaryFolder() override { return temp_; }
  bool AppendBytes(const std::string& path, const std::string& bytes) override {
    Step();
    if (Locked(path)) return false;
    std::error_code error;
    Written(path, fs::file_size(NativePath(path), error));
    return !!(std::ofstream(NativePath(path), std::ios::binary | std::ios::app) << bytes);
  }
  bool ReadBytes(const std::string& path, std::string& bytes) override {
    bytes = TempDir::Bytes(NativePath(path));
    return fs::is_regular_file(NativePath(path)) && !Locked(path);
  }
  std::string ReadFile(const std::string& path, size_t maxBytes) override {
    if (!fs::is_regular_file(NativePath(path))) Fail(53, "File not found");
    return TempDir::Bytes(NativePath(path)).substr(0, maxBytes);
  }
  uintptr_t CreateForWrite(const std::string& path) override {
    Step();
    Written(path, 0);
    FILE* f = std::fopen(NativePath(path).c_str(), "wbx");  // CREATE_NEW
    openFiles += f != nullptr;
    return reinterpret_cast<uintptr_t>(f);
  }
  uintptr_t OpenForAppend(const std::string& path, int64_t& size) override {
    std::error_code error;
    if (!fs::is_regular_file(fs::symlink_status(NativePath(path), error)) || fs::hard_link_count(NativePath(path)) != 1)
      return 0;
    FILE* f = std::fopen(NativePath(path).c_str(), "ab");
    size = static_cast<int64_t>(fs::file_size(NativePath(path)));
    openFiles += f != nullptr;
    return reinterpret_cast<uintptr_t>(f);
  }
  bool Write(uintptr_t file, const char* data, uint32_t size, uint32_t& written) override {
    uint32_t n = std::min(size, writeLimit);
    writeLimit -= n;
    written = static_cast<uint32_t>(std::fwrite(data, 1, n, reinterpret_cast<FILE*>(file)));
    return written == size;
  }
  void Close(uintptr_t file) override { openFiles -= std::fclose(reinterpret_cast<FILE*>(file)) == 0; }
  bool IsReadOnly(const std::string& path) override {
    return (fs::status(NativePath(path)).permissions() & fs::perms::owner_write) == fs::perms::none;
  }
  Lock TryLock(const std::string& path) override { return busy.count(path) ? Lock::Busy : Lock::Held; }

  int openFiles = 0;
  uint32_t writeLimit = UINT32_MAX;  // bytes the disk takes before it is full (for a write or a copy)
  std::vector<std::string> locked;   // paths whose writes and deletes fail with "Permission denied"
  std::set<std::string> busy;        // lock files another run holds
  int cutAt = 0, steps = 0;          // the change the power goes at (0: never), the changes so far
  bool newFilesVanish = true;        // a power cut drops unflushed new files (else they read as zeros)

 private:
  [[noreturn]] static void Fail(int32_t number, const char* text) {
    throw ErrorRecord(number, "Scripting.FileSystemObject", text);
  }
  bool Locked(const std::string& path) const { return std::count(locked.begin(), locked.end(), path) > 0; }
  void Step() {
    if (++steps == cutAt) throw PowerCut{};
  }
  void Written(const std::string& path, size_t offset) {
    auto [at, fresh] = unflushed_.try_emplace(NativePath(path), Unflushed{offset, !fs::exists(NativePath(path))});
    if (!fresh) at->second.offset = std::min(at->second.offset, offset);
  }
  struct Unflushed {
    size_t offset;  // bytes before it are on the disk
    bool isNew;
  };
  std::map<fs::path, Unflushed> unflushed_;
  static std::vector<std::string> Names(const std::string& folder, bool folders) {
    std::vector<std::string> names;
    for (auto& e : fs::directory_iterator(NativePath(folder)))
      if (folders ? e.is_directory() && !e.is_symlink() : e.is_regular_file()) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string temp_;
  int tempCounter_ = 0;
};

// Every file's hash is 64 zeros; a signature is good when it is "good".
class FakeCrypto : public ICrypto {
 public:
  bool DigestFile(const std::string& path, FileDigest& digest) override {
    std::error_code error;
    digest = {fs::file_size(NativePath(path), error), std::string(64, '0')};
    return !error;
  }
  bool VerifySignature(const std::string&, const std::string& signature, std::string& keyName) override {
    keyName = "test";
    return signature == "good";
  }
  std::string Random(size_t count) override { return std::string(count, static_cast<char>(++draws)); }
  bool SignedPackagesOnly() override { return false; }
  int draws = 0;
};

// The registry, Windows' version and clock, the code page, the process, message boxes and the shell. A
// window's program ends once it has been asked to quit.
class FakeOs : public IRegistry, public ISystem, public ICodePage, public IProcess, public IDialogs, public IShell {
 public:
  struct Box {
    std::string text, title;
    MessageIcon icon;
  };
  auto& Values(const std::string& key) { return keys[LowerCase(key)]; }
  void SetText(const std::string& key, const std::string& name, const std::string& text) {
    Values(key)[name] = {1, text + '\0'};
  }

  long OpenKey(uint32_t, const std::string& path, RegKey& key) override {
    if (!keys.count(LowerCase(path))) return 2;
    handles_.push_back(LowerCase(path));
    key = handles_.size();
    return (++openKeys, 0);
  }
  long QueryValue(RegKey key, const std::string& name, uint32_t& type, std::string& data, uint32_t& size) override {
    auto& values = keys[handles_.at(key - 1)];
    if (!values.count(name)) return 2;
    type = values[name].first;
    const std::string& bytes = values[name].second;
    if (std::exchange(size, static_cast<uint32_t>(bytes.size())) < bytes.size()) return 234;
    std::copy(bytes.begin(), bytes.end(), data.begin());
    return 0;
  }
  long SetValue(RegKey key, const std::string& name, uint32_t type, const std::string& data) override {
    keys[handles_.at(key - 1)][name] = {type, data};
    return 0;
  }
  void CloseKey(RegKey) override { --openKeys; }
  bool GetVersionEx(uint32_t& platform, uint32_t& majorVersion) override {
    platform = platformId;
    majorVersion = major;
    return major != 0;
  }
  LocalTime Now() override { return now; }
  int64_t UnixTime() override { return 1796774400; }  // 2026-12-09 00:00 UTC
  std::string ShortDate(const LocalTime& t) override {
    return std::to_string(t.day) + "." + std::to_string(t.month) + "." + std::to_string(t.year);
  }
  std::string LongTime(const LocalTime& t) override {
    auto two = [](int v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    return std::to_string(t.hour) + ":" + two(t.minute) + ":" + two(t.second);
  }
  uint32_t TickCount() override { return ticks; }
  void Sleep(uint32_t ms) override { ticks += ms; }
  std::string ToAnsi(const std::string& utf8) override { return utf8; }
  std::string FromAnsi(const std::string& ansi) override { return ansi; }
  std::string CommandLine() override { return commandLine; }
  std::string OwnFolder() override { return ownFolder; }
  bool WaitForRunLock(uint32_t) override { return lockFree; }
  void MessageBox(const std::string& text, const std::string& title, MessageIcon icon) override {
    boxes.push_back({text, title, icon});
  }
  uint32_t ShellExecute(const std::string& file, const std::string& parameters, bool, ProcessHandle& process) override {
    started.push_back(file + "|" + parameters);
    process = 0;
    return shellResult;
  }
  bool RunsElevated() override { return elevated; }
  bool ShellExecuteAsDesktopUser(const std::string& file, const std::string& parameters) override {
    if (desktopShell) started.push_back("as user " + file + "|" + parameters);
    return desktopShell;
  }
  void Beep(uint32_t, uint32_t) override { ++beeps; }
  ProcessHandle OpenProcess(uint32_t id) override { return id ? (++openProcesses, id) : 0; }
  bool GetExitCode(ProcessHandle process, uint32_t& code) override {
    bool ends = !stubborn && std::count(quits.begin(), quits.end(), process);
    if (ends) std::erase_if(windows, [&](auto& w) { return w.second == process; });
    code = ends ? 0 : 259;
    return true;
  }
  void WaitForever(ProcessHandle) override {}
  void CloseProcess(ProcessHandle) override { --openProcesses; }
  WindowHandle FindWindow(const std::string& title) override { return windows.count(title) ? windows[title] : 0; }
  void PostQuit(WindowHandle window) override {
    quits.push_back(window);
    if (onQuit) onQuit();
  }
  uint32_t WindowProcessId(WindowHandle window) override { return static_cast<uint32_t>(window); }

  std::map<std::string, std::map<std::string, std::pair<uint32_t, std::string>>> keys;  // type and data by name
  int openKeys = 0;
  uint32_t platformId = 2, major = 6, ticks = 1000;
  LocalTime now{2026, 12, 7, 14, 5, 9};
  std::string commandLine, ownFolder;
  bool lockFree = true;
  std::vector<Box> boxes;
  std::vector<std::string> started;  // "file|parameters"
  uint32_t shellResult = 42;
  bool elevated = false, desktopShell = true;
  int beeps = 0, openProcesses = 0;
  std::map<std::string, WindowHandle> windows;  // by title
  std::vector<WindowHandle> quits;
  bool stubborn = false;  // windows ignore the request to quit
  std::function<void()> onQuit;  // what a program does as it quits

 private:
  std::vector<std::string> handles_;
};

// Cabinets by path; unpacking writes real files where the handler points. An entry named "\x12" stands for
// the notice that the cabinet goes on in another.
class FakeCabinet : public ICabinet {
 public:
  struct Entry {
    std::string name, content;
  };
  std::map<std::string, std::vector<Entry>> cabinets;
  std::map<std::string, std::vector<Entry>> byBytes;  // for a path that holds one cabinet, then another
  bool IterateCabinet(const std::string& cabinet, const CabinetCallback& callback, uint32_t& lastError) override {
    std::ostringstream bytes;
    bytes << std::ifstream(NativePath(cabinet), std::ios::binary).rdbuf();
    const auto found = byBytes.count(bytes.str()) ? byBytes.find(bytes.str()) : cabinets.find(cabinet);
    if (found == cabinets.end()) return (lastError = 2, false);
    for (const Entry& e : found->second) {
      CabinetNotice notice{e.name, static_cast<uint32_t>(e.content.size()), 0x5B87, 0x6000};  // 7.12.2025 12:00
      if (e.name == "\x12") {
        if ((lastError = callback(SPFILENOTIFY_NEEDNEWCABINET, notice)) != 0) return false;
        continue;
      }
      uint32_t answer = callback(SPFILENOTIFY_FILEINCABINET, notice);
      if (answer != FILEOP_DOIT) continue;
      CabinetNotice done;
      done.win32Error = std::ofstream(NativePath(notice.fullTargetName), std::ios::binary) << e.content ? 0 : 5;
      if ((lastError = callback(SPFILENOTIFY_FILEEXTRACTED, done)) != 0) return false;
    }
    return true;
  }
  bool DosDateTimeToTime(uint16_t date, uint16_t time, LocalTime& t) override {
    t = {1980 + (date >> 9), (date >> 5) & 15, date & 31, time >> 11, (time >> 5) & 63, (time & 31) * 2};
    return true;
  }
};

// A web host: answers by URL (https for the download, http for the size query). A download's range request gets
// 206 and the rest unless its If-Range names another validator than the package's ETag or Last-Modified.
class FakeInternet : public IInternet {
 public:
  struct Response {
    std::string status = "200", body, contentLength = "auto";  // "auto": the body's size; "": none
    std::string lastModified = "Mon, 07 Dec 2026 10:00:00 GMT";
    std::vector<size_t> cuts;  // the k-th download's connection breaks after so many bytes of its body
    bool cutQuietly = false;   // the read then ends the data instead of failing
    std::string contentRange, etag, date;
    bool ranges = true;          // false: answers a range request with the whole file
    long rangeFrom = -1;         // answers a range request from this byte, whatever it asked
    std::string replacedBy;      // the package published anew, with a new date, for the second download on
  };
  std::map<std::string, Response> responses;
  std::vector<std::string> opens;    // "wide|ansi agent access proxy" of each session
  std::vector<std::string> headers;  // of each download's request
  int openHandles = 0;
  size_t sent = 0;  // body bytes of all downloads

  InternetHandle Open(bool wide, const std::string& agent, uint32_t access, const std::string& proxy, bool,
                      uint32_t) override {
    opens.push_back(std::string(wide ? "wide " : "ansi ") + agent + " " + std::to_string(access) + " " + proxy);
    return New("session", {});
  }
  InternetHandle OpenUrl(bool, InternetHandle, const std::string& url, const std::string& request, uint32_t,
                         uintptr_t) override {
    headers.push_back(request);
    if (!responses.count(url)) return 0;
    Response& host = responses[url];
    const size_t k = downloads_[url]++;
    if (k == 1 && !host.replacedBy.empty()) {
      host.body = host.replacedBy;
      host.lastModified = "Tue, 08 Dec 2026 10:00:00 GMT";
    }
    Response answer = host;
    answer.cuts = {k < host.cuts.size() ? host.cuts[k] : std::string::npos};
    unsigned long from = 0;
    if (host.ranges && host.status == "200" && std::sscanf(request.c_str(), "Range: bytes=%lu-", &from) == 1 &&
        (Names(request, host.lastModified) || (host.etag.rfind("W/", 0) != 0 && Names(request, host.etag)))) {
      from = host.rangeFrom >= 0 ? static_cast<unsigned long>(host.rangeFrom) : from;
      if (from >= host.body.size()) return New(url, {"416"});
      answer.status = "206";
      answer.contentRange = "bytes " + std::to_string(from) + "-" + std::to_string(host.body.size() - 1) + "/" +
                            std::to_string(host.body.size());
      answer.body = host.body.substr(from);
    }
    return New(url, answer);
  }
  bool ReadFile(InternetHandle file, char* buffer, uint32_t size, uint32_t& read) override {
    Handle& h = handles_.at(file);
    const size_t cut = h.answer.cuts.empty() ? std::string::npos : h.answer.cuts[0];
    if (h.offset >= cut && h.offset < h.answer.body.size()) return (read = 0, h.answer.cutQuietly);
    read = static_cast<uint32_t>(std::min<size_t>({size, 8192, h.answer.body.size() - h.offset, cut - h.offset}));
    std::copy_n(h.answer.body.data() + h.offset, read, buffer);
    h.offset += read;
    sent += read;
    return true;
  }
  void CloseHandle(InternetHandle handle) override { openHandles -= handle && handles_.erase(handle); }
  InternetHandle Connect(InternetHandle, const std::string& host, uint16_t) override { return New("http://" + host, {}); }
  InternetHandle OpenRequest(InternetHandle connection, const std::string&, const std::string& object,
                             const std::string&, uint32_t) override {
    const std::string key = handles_.at(connection).key + object;
    return New(key, responses.count(key) ? responses[key] : Response{});
  }
  bool SetOption(InternetHandle, uint32_t, uint32_t) override { return true; }
  bool SendRequest(InternetHandle request, const std::string&) override { return responses.count(handles_.at(request).key) > 0; }
  bool QueryInfo(InternetHandle request, uint32_t level, uint32_t bufferSize, std::string& text) override {
    const Response& r = handles_.at(request).answer;
    text = level == HTTP_QUERY_STATUS_CODE     ? r.status
           : level == HTTP_QUERY_LAST_MODIFIED ? r.lastModified
           : level == HTTP_QUERY_CONTENT_RANGE ? r.contentRange
           : level == HTTP_QUERY_ETAG          ? r.etag
           : level == HTTP_QUERY_DATE          ? r.date
           : r.contentLength == "auto"         ? std::to_string(r.body.size())
                                               : r.contentLength;
    if (!text.empty() && text.size() < bufferSize) return true;
    return (text.clear(), false);
  }
  uint32_t LastError() override { return 12002; }

 private:
  struct Handle {
    std::string key;
    Response answer;
    size_t offset = 0;
  };
  static bool Names(const std::string& request, const std::string& validator) {  // a request without If-Range too
    return request.find("If-Range: ") == std::string::npos ||
           (!validator.empty() && request.find("If-Range: " + validator + "\r\n") != std::string::npos);
  }
  InternetHandle New(const std::string& key, Response answer) {
    handles_[++next_] = {key, std::move(answer)};
    return (++openHandles, next_);
  }
  std::map<InternetHandle, Handle> handles_;
  std::map<std::string, size_t> downloads_;  // by URL
  InternetHandle next_ = 100;
};

// The window, which runs the main timer once if enabled; its progress box keeps the texts printed and the navy
// bars drawn since it was last cleared.
class FakeWindow : public IWindow, public ISurface {
 public:
  std::vector<std::string> statusHistory, texts;
  std::string appCaption, statusCaption;
  bool timers[2] = {false, false}, opens = true, unloaded = false;
  int pumps = 0, closeAtPump = 0;
  MousePointer pointer = MousePointer::Default;
  std::vector<std::pair<double, double>> navy;
  bool Covered(double x) const {
    return std::any_of(navy.begin(), navy.end(), [x](auto bar) { return bar.first <= x && x < bar.second; });
  }

  bool ShowModal(IWindowEvents& events) override {
    if (!opens) return false;
    events_ = &events;
    events.OnActivate();
    if (timers[0]) events.OnMainTimer();
    return true;
  }
  void Unload() override { unloaded = true; }
  void SetCaption(Label label, const std::string& text) override {
    if (label == Label::App) return void(appCaption = text);
    statusHistory.push_back(statusCaption = text);
  }
  std::string Caption(Label label) override { return label == Label::App ? appCaption : statusCaption; }
  void EnableTimer(Timer timer, bool enabled) override { timers[static_cast<int>(timer)] = enabled; }
  void SetMousePointer(MousePointer p) override { pointer = p; }
  void Pump() override {  // the user asks to close the window at the pump `closeAtPump`
    if (++pumps == closeAtPump && events_ && events_->OnCloseRequest()) Unload();
  }
  ISurface& StatusBox() override { return *this; }
  int Width() override { return 5592; }
  int Height() override { return 384; }
  void SetForeColor(uint32_t) override {}
  void SetBackColor(uint32_t) override {}
  void MeasureText(const std::string& text, double& width, double& height) override {
    width = 100.0 * static_cast<double>(text.size());
    height = 195;
  }
  void SetDrawMode(DrawMode) override {}
  void FillRect(double x1, double, double x2, double, uint32_t color) override {
    if (color == kNavy) navy.push_back({x1, x2});
  }
  void PrintText(double, double, const std::string& text) override {
    texts.push_back(text);
  }
  void Refresh() override {}
  void Clear() override { navy.clear(); }

 private:
  IWindowEvents* events_ = nullptr;
};

// A whole machine: the updater in <tmp>\own, the temporary folder <tmp>\temp; a run of `product` installed in
// <tmp>\app with its data in <tmp>\data, staging in <tmp>\temp\TyxNewVer.
struct Harness {
  TempDir dir;
  StdFileSystem files{dir.Path("temp")};
  FakeOs os;
  FakeCabinet cabinet;
  FakeInternet internet;
  FakeWindow window;
  FakeCrypto crypto;
  Platform platform{files, os, os, os, os, os, cabinet, os, internet, crypto};
  UpdateLog log{files, os, os, dir.Path("own")};
  tyx::Run run;
  Session session{run, platform, log, window, {}};

  explicit Harness(const std::string& product = "Norva")
      : run{.gCmdLine = "x", .gDataPath = dir.Path("data"), .gAppPath = dir.Path("app"), .cApp = product + ".exe",
            .gProduct = product, .gRegKey = "Software\\Tyx\\" + product, .gRegSubKey = "\\app",
            .gWorkPath = dir.Path("app\\OldVer"), .gNewVerPath = dir.Path("app\\OldVer\\TyxNewVer")} {
    for (const char* f : {"own/TyxUpdate.exe", "temp/.keep", "app/.keep", "data/.keep"}) dir.Write(f, "");
    fs::create_directories(dir.Native("app/OldVer"));  // made by the run lock
    os.ownFolder = dir.Path("own");
    os.Values(Key());
  }
  std::string Key() const { return run.gRegKey + run.gRegSubKey; }
  void Cabinet(const std::string& relative, std::vector<FakeCabinet::Entry> entries) {  // at <tmp>\relative
    dir.Write(relative, "MSCF");
    cabinet.cabinets[dir.Path(relative)] = std::move(entries);
  }
  std::vector<std::string> LogMessages() const {  // without time stamps
    std::vector<std::string> messages;
    std::istringstream in(dir.Read("own/Update.log"));
    for (std::string line; std::getline(in, line);) messages.push_back(line.substr(line.find(']') + 1));
    for (std::string& m : messages) m.pop_back();  // the CR
    return messages;
  }
};

}  // namespace tyx::test
