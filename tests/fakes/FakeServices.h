#pragma once
// Stand-ins for the cabinet iteration, the shell and the update window.
#include <map>
#include <string>
#include <vector>

#include "platform/Cabinet.h"
#include "platform/Internet.h"
#include "platform/Shell.h"
#include "platform/Window.h"

namespace tyx::test {

// Cabinets by path; unpacking writes real files where the handler points.
class FakeCabinet : public ICabinet {
 public:
  struct Entry {
    std::string name;  // as stored, in ANSI (here: UTF-8)
    std::string content;
    uint16_t dosDate = 0x5B87, dosTime = 0x6000;  // 7.12.2025 12:00:00
  };
  // An entry named "\x12" stands for the notice that the cabinet goes on in another.
  std::map<std::string, std::vector<Entry>> cabinets;

  bool IterateCabinet(const std::string& cabinet, const CabinetCallback& callback, uint32_t& lastError) override;
  bool DosDateTimeToTime(uint16_t dosDate, uint16_t dosTime, LocalTime& time) override;
};

class FakeShell : public IShell {
 public:
  struct Started {
    std::string file, parameters;
  };
  std::vector<Started> started;
  uint32_t result = 42;  // what ShellExecute answers
  int beeps = 0;
  // Windows by title; a posted quit closes the window after `quitPolls` polls.
  std::map<std::string, WindowHandle> windows;
  std::vector<WindowHandle> quits;
  int quitPolls = 3;
  bool neverQuits = false;
  int polls = 0;
  int openProcesses = 0;

  uint32_t ShellExecute(const std::string& file, const std::string& parameters, bool wantProcess,
                        ProcessHandle& process) override;
  void Beep(uint32_t, uint32_t) override { ++beeps; }
  ProcessHandle OpenProcess(uint32_t processId) override;
  bool GetExitCode(ProcessHandle process, uint32_t& code) override;
  void WaitForever(ProcessHandle) override {}
  void CloseProcess(ProcessHandle) override { --openProcesses; }
  WindowHandle FindWindow(const std::string& title) override;
  void PostQuit(WindowHandle window) override { quits.push_back(window); }
  uint32_t WindowProcessId(WindowHandle window) override { return static_cast<uint32_t>(window); }

 private:
  WindowHandle quitting_ = 0;
};

// A web host: responses by URL (https) or by host and path (the size query).
class FakeInternet : public IInternet {
 public:
  struct Response {
    std::string status = "200";
    std::string body;
    std::string contentLength = "auto";  // "auto": the body's size; "" for none
    std::string lastModified = "Mon, 07 Dec 2026 10:00:00 GMT";
    size_t failReadAfter = std::string::npos;  // bytes after which a read fails
    uint32_t chunk = 8192;                     // at most this much per read
    std::string contentRange;
  };
  std::map<std::string, Response> responses;
  std::vector<std::string> opens;  // "wide|ansi agent access proxy" of each session
  int openHandles = 0;

  InternetHandle Open(bool wide, const std::string& agent, uint32_t accessType, const std::string& proxy,
                      bool emptyProxy, uint32_t flags) override;
  InternetHandle OpenUrl(bool wide, InternetHandle session, const std::string& url, uint32_t flags,
                         uintptr_t context) override;
  bool ReadFile(InternetHandle file, char* buffer, uint32_t size, uint32_t& read) override;
  void CloseHandle(InternetHandle handle) override;
  InternetHandle Connect(InternetHandle session, const std::string& host, uint16_t port) override;
  InternetHandle OpenRequest(InternetHandle connection, const std::string& verb, const std::string& object,
                             const std::string& version, uint32_t flags) override;
  bool SetOption(InternetHandle, uint32_t, uint32_t) override { return true; }
  bool SendRequest(InternetHandle request, const std::string& headers) override;
  bool QueryInfo(InternetHandle request, uint32_t level, uint32_t bufferSize, std::string& text) override;
  uint32_t LastError() override { return 12002; }

 private:
  struct Open_ {
    std::string key;
    size_t offset = 0;
  };
  std::map<InternetHandle, Open_> handles_;
  InternetHandle next_ = 100;
  InternetHandle New(const std::string& key);
};

// Keeps what a picture shows: its texts, and the navy bars of the latest one.
class RecordingSurface : public ISurface {
 public:
  std::vector<std::string> texts;
  std::vector<std::pair<double, double>> navy;  // left and right of each bar
  int pictures = 0;
  bool Covered(double x) const;

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
  void PrintText(double, double, const std::string& text) override;
  void Refresh() override { ++pictures; }
  void Clear() override { navy.clear(); }
};

class FakeWindow : public IWindow {
 public:
  std::vector<std::string> statusHistory;
  std::string appCaption, statusCaption;
  bool timers[2] = {false, false};
  MousePointer pointer = MousePointer::Default;
  RecordingSurface box;

  bool opens = true;

  // Runs the main timer once, then the end timer if it was enabled.
  bool ShowModal(IWindowEvents& events) override;
  void Unload() override {}
  void SetCaption(Label label, const std::string& text) override;
  std::string Caption(Label label) override { return label == Label::App ? appCaption : statusCaption; }
  void EnableTimer(Timer timer, bool enabled) override { timers[static_cast<int>(timer)] = enabled; }
  void SetMousePointer(MousePointer p) override { pointer = p; }
  void Pump() override {}
  ISurface& StatusBox() override { return box; }
};

}  // namespace tyx::test
