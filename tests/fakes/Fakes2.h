#pragma once
// Stand-ins for the cabinet iteration, the shell and the update window.
#include <map>
#include <string>
#include <vector>

#include "platform/Cabinet.h"
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
  std::map<std::string, std::vector<Entry>> cabinets;
  std::map<std::string, uint32_t> broken;  // cabinets that fail at once with this code
  int iterations = 0;

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
  std::vector<uint32_t> beeps;
  // Windows by title; a posted quit closes the window after `quitPolls` polls.
  std::map<std::string, WindowHandle> windows;
  std::vector<WindowHandle> quits;
  int quitPolls = 3;
  bool neverQuits = false;
  int polls = 0;
  int openProcesses = 0;

  uint32_t ShellExecute(const std::string& file, const std::string& parameters, bool wantProcess,
                        ProcessHandle& process) override;
  void Beep(uint32_t frequency, uint32_t) override { beeps.push_back(frequency); }
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

// Records every drawing call as a line of text.
class RecordingSurface : public ISurface {
 public:
  std::vector<std::string> calls;
  double charWidth = 100, textHeight = 195;

  int Width() override { return 5592; }
  int Height() override { return 384; }
  void SetForeColor(uint32_t color) override;
  void SetBackColor(uint32_t color) override;
  void MeasureText(const std::string& text, double& width, double& height) override;
  void SetDrawMode(DrawMode mode) override;
  void FillRect(double x1, double y1, double x2, double y2, uint32_t color) override;
  void PrintText(double x, double y, const std::string& text) override;
  void Refresh() override { calls.push_back("refresh"); }
  void Clear() override { calls.push_back("clear"); }
};

class FakeWindow : public IWindow {
 public:
  std::vector<std::string> statusHistory;
  std::string appCaption, statusCaption;
  bool timers[2] = {false, false};
  MousePointer pointer = MousePointer::Default;
  int pumps = 0;
  bool unloaded = false;
  RecordingSurface box;

  // Runs the main timer once, then the end timer if it was enabled.
  void ShowModal(IWindowEvents& events) override;
  void Unload() override { unloaded = true; }
  void SetCaption(Label label, const std::string& text) override;
  std::string Caption(Label label) override { return label == Label::App ? appCaption : statusCaption; }
  void EnableTimer(Timer timer, bool enabled) override { timers[static_cast<int>(timer)] = enabled; }
  void SetMousePointer(MousePointer p) override { pointer = p; }
  void Pump() override { ++pumps; }
  ISurface& StatusBox() override { return box; }
};

}  // namespace tyx::test
