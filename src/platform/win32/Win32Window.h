#pragma once
#include <string>

#include "platform/Window.h"
#include "platform/win32/Win32Dialogs.h"
#include "platform/win32/Win32Surface.h"
#include "platform/win32/WinApi.h"

namespace tyx::win32 {

// frmAktualizace on the Win32 window manager: the banner, the status frame,
// the footer and picStatus, laid out in twips as designed.
class Win32Window : public IWindow {
 public:
  explicit Win32Window(Win32Dialogs& dialogs);
  ~Win32Window() override;

  bool ShowModal(IWindowEvents& events) override;
  void Unload() override;
  void SetCaption(Label label, const std::string& text) override;
  std::string Caption(Label label) override;
  void EnableTimer(Timer timer, bool enabled) override;
  void SetMousePointer(MousePointer pointer) override;
  void Pump() override;
  ISurface& StatusBox() override { return status_; }

  HWND Handle() const { return window_; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK StatusProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc);
  RECT Twips(int left, int top, int width, int height) const;
  void RepaintLabel(Label label);
  RECT StatusLabel() const;
  void DrawStatusLabel(HDC dc);

  Win32Dialogs& dialogs_;
  IWindowEvents* events_ = nullptr;
  HWND window_ = nullptr;
  HWND statusWindow_ = nullptr;
  bool unloaded_ = false;
  bool busy_ = false;
  bool timers_[2] = {false, false};
  std::wstring appCaption_ = L"Aktualizace";
  std::wstring statusCaption_;
  HFONT headingFont_, subheadingFont_, footerFont_, statusFont_;
  Win32Surface status_{5592, 384};
  int dpi_ = 96;
};

}  // namespace tyx::win32
