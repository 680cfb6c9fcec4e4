#include "platform/win32/Win32Window.h"

#include "platform/win32/Handles.h"
#include "platform/win32/Wide.h"

namespace tyx::win32 {
namespace {

const wchar_t kFormClass[] = L"TyxUpdateForm";
const wchar_t kStatusClass[] = L"TyxUpdateStatus";
const wchar_t kTitle[] = L"TyxUpdate - aktualizace";
const wchar_t kSubheading[] = L"Probíhá aktualizace aplikace";
const wchar_t kFooter[] = L"Tyx software  \u2022  www.tyx.invalid  \u2022  podpora@tyx.invalid";
const COLORREF kFooterBlue = RGB(95, 159, 203);
constexpr UINT_PTR kTimerIds[2] = {1, 2};
constexpr UINT kTimerIntervals[2] = {1000, 3000};

// Arial in the Central European character set, which the Czech texts need.
HFONT MakeFont(const wchar_t* face, double points, bool bold, int dpi) {
  return CreateFontW(-MulDiv(static_cast<int>(points * 100), dpi, 7200), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0,
                     0, EASTEUROPE_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, face);
}

void Text(HDC dc, HFONT font, const RECT& r, const std::wstring& text, COLORREF color, UINT format = DT_LEFT) {
  RECT box = r;
  HGDIOBJ old = SelectObject(dc, font);
  SetTextColor(dc, color);
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format | DT_NOPREFIX | DT_SINGLELINE);
  SelectObject(dc, old);
}

}  // namespace

Win32Window::Win32Window(Win32Dialogs& dialogs) : dialogs_(dialogs) {
  WindowDC screen(nullptr);
  dpi_ = GetDeviceCaps(screen.get(), LOGPIXELSX) > 0 ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
  headingFont_ = MakeFont(L"Arial", 15.75, true, dpi_);
  subheadingFont_ = MakeFont(L"Arial", 12, true, dpi_);
  footerFont_ = MakeFont(L"Arial", 8.25, false, dpi_);
  statusFont_ = MakeFont(L"Tahoma", 8.25, false, dpi_);
  status_.SetFont(statusFont_);
}

Win32Window::~Win32Window() {
  if (window_) DestroyWindow(window_);
  for (HFONT f : {headingFont_, subheadingFont_, footerFont_, statusFont_}) DeleteObject(f);
}

RECT Win32Window::Twips(int left, int top, int width, int height) const {
  auto px = [this](int t) { return MulDiv(t, dpi_, 1440); };
  return {px(left), px(top), px(left + width), px(top + height)};
}

bool Win32Window::ShowModal(IWindowEvents& events) {
  events_ = &events;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW form{};
  form.lpfnWndProc = Proc;
  form.hInstance = instance;
  form.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  form.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  form.lpszClassName = kFormClass;
  RegisterClassW(&form);
  WNDCLASSW status = form;
  status.lpfnWndProc = StatusProc;
  status.hbrBackground = nullptr;
  status.lpszClassName = kStatusClass;
  RegisterClassW(&status);

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame = Twips(0, 0, 10080, 5535);
  AdjustWindowRect(&frame, style, FALSE);
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  window_ = CreateWindowExW(0, kFormClass, kTitle, style, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                            (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr, instance,
                            this);
  // Without it no timer would ever start the update, and the run would wait for ever.
  if (!window_) {
    events_ = nullptr;
    return false;
  }
  RECT box = Twips(1148 + 1140, 2010 + 1020, 5592, 384);
  statusWindow_ = CreateWindowExW(0, kStatusClass, L"", WS_CHILD | WS_VISIBLE, box.left, box.top,
                                  status_.PixelWidth(), status_.PixelHeight(), window_, nullptr, instance, this);
  status_.Attach(statusWindow_);
  dialogs_.SetOwner(window_);
  for (int t = 0; t < 2; ++t) EnableTimer(static_cast<Timer>(t), timers_[t]);
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
  MSG msg;
  while (!unloaded_ && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  dialogs_.SetOwner(nullptr);
  events_ = nullptr;
  return true;
}

void Win32Window::Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  for (int t = 0; t < 2; ++t) EnableTimer(static_cast<Timer>(t), false);
  status_.Attach(nullptr);
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
}

void Win32Window::SetCaption(Label label, const std::string& text) {
  (label == Label::App ? appCaption_ : statusCaption_) = Wide(text);
  RepaintLabel(label);
}

std::string Win32Window::Caption(Label label) { return Utf8(label == Label::App ? appCaption_ : statusCaption_); }

void Win32Window::RepaintLabel(Label label) {
  if (!window_) return;
  if (label == Label::App) {
    RECT r = Twips(210, 450, 7005, 375);
    InvalidateRect(window_, &r, TRUE);
    return;
  }
  // Drawn at once: through WM_PAINT, a change of the status line costs
  // several more round trips to the Wine server, and it changes twice for
  // every installed file.
  WindowDC dc(window_);
  DrawStatusLabel(dc.get());
}

RECT Win32Window::StatusLabel() const { return Twips(1148 + 1140, 2010 + 750, 5595, 195); }

void Win32Window::DrawStatusLabel(HDC dc) {
  RECT r = StatusLabel();
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  Text(dc, statusFont_, r, statusCaption_, RGB(0, 0, 0));
}

void Win32Window::EnableTimer(Timer timer, bool enabled) {
  int t = static_cast<int>(timer);
  timers_[t] = enabled;
  if (!window_) return;
  if (enabled)
    SetTimer(window_, kTimerIds[t], kTimerIntervals[t], nullptr);
  else
    KillTimer(window_, kTimerIds[t]);
}

void Win32Window::SetMousePointer(MousePointer pointer) {
  busy_ = pointer == MousePointer::Hourglass;
  SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(busy_ ? IDC_WAIT : IDC_ARROW)));
}

void Win32Window::Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    // A quit posted to this thread would otherwise be lost inside a step.
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

LRESULT CALLBACK Win32Window::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE)
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self || self->window_ != window) return DefWindowProcW(window, message, wParam, lParam);
  return self->Handle(message, wParam, lParam);
}

LRESULT CALLBACK Win32Window::StatusProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE)
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_PAINT && self) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    self->status_.Paint(dc);
    EndPaint(window, &ps);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Win32Window::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && events_) events_->OnActivate();
      break;
    case WM_TIMER:
      if (!events_) break;
      if (wParam == kTimerIds[0]) events_->OnMainTimer();
      if (wParam == kTimerIds[1]) events_->OnEndTimer();
      return 0;
    case WM_CLOSE:
      if (!events_ || events_->OnCloseRequest()) Unload();
      return 0;
    case WM_SETCURSOR:
      if (busy_) {
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
        return TRUE;
      }
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window_, &ps);
      Paint(dc);
      EndPaint(window_, &ps);
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

void Win32Window::Paint(HDC dc) {
  HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  RECT top = Twips(0, 0, 10080, 1215);
  FillRect(dc, &top, white);
  Text(dc, headingFont_, Twips(210, 450, 7005, 375), appCaption_, RGB(0, 0, 0));
  Text(dc, subheadingFont_, Twips(5490, 720, 4485, 435), kSubheading, RGB(0, 0, 0));
  // Image1: the maker's mark, in the upper part of its box so that the
  // sub-heading below stays readable.
  RECT mark = Twips(7530, 150, 2115, 500);
  HBRUSH markBrush = CreateSolidBrush(RGB(95, 159, 203));
  FillRect(dc, &mark, markBrush);
  DeleteObject(markBrush);
  Text(dc, subheadingFont_, mark, L"TYX", RGB(255, 255, 255), DT_CENTER | DT_VCENTER);

  RECT frame = Twips(1148, 2010, 7785, 2085);
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  DrawStatusLabel(dc);

  RECT bottom = Twips(0, 5250, 10080, 285);
  HBRUSH blue = CreateSolidBrush(kFooterBlue);
  FillRect(dc, &bottom, blue);
  DeleteObject(blue);
  Text(dc, footerFont_, Twips(938, 5250 + 30, 8205, 210), kFooter, RGB(255, 255, 255));
}

}  // namespace tyx::win32
