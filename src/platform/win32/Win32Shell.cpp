#include "platform/win32/Win32Shell.h"

#include <memory>

#include "platform/win32/ComHandles.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Wide.h"
#include "platform/win32/WinApi.h"
#include <shellapi.h>
#undef ShellExecute
#include <exdisp.h>
#include <shldisp.h>
#include <shlobj.h>

namespace tyx::win32 {
namespace {

// The shell's result code for the thread's error after a failed start.
uint32_t ShellCodeOf(DWORD error, uint32_t otherwise) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND: return ERROR_FILE_NOT_FOUND;
    case ERROR_PATH_NOT_FOUND: return ERROR_PATH_NOT_FOUND;
    case ERROR_ACCESS_DENIED: return SE_ERR_ACCESSDENIED;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return SE_ERR_OOM;
    case ERROR_BAD_FORMAT:
    case ERROR_BAD_EXE_FORMAT: return ERROR_BAD_FORMAT;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return SE_ERR_SHARE;
    case ERROR_NO_ASSOCIATION: return SE_ERR_NOASSOC;
    case ERROR_DDE_FAIL: return SE_ERR_DDEFAIL;
    case ERROR_DLL_NOT_FOUND: return SE_ERR_DLLNOTFOUND;
    default: return otherwise;
  }
}

}  // namespace

uint32_t Win32Shell::ShellExecute(const std::string& file, const std::string& parameters, bool wantProcess,
                                  ProcessHandle& process) {
  const std::string ansiFile = codePage_.ToAnsi(file), ansiParameters = codePage_.ToAnsi(parameters);
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  // The shell's own error box would come on top of ours.
  info.fMask = SEE_MASK_FLAG_NO_UI | (wantProcess ? SEE_MASK_NOCLOSEPROCESS : 0);
  info.hwnd = GetDesktopWindow();
  info.lpVerb = "Open";
  info.lpFile = ansiFile.c_str();
  info.lpParameters = ansiParameters.c_str();
  info.lpDirectory = "C:\\";
  info.nShow = SW_SHOWNOACTIVATE;
  BOOL ok = ShellExecuteExA(&info);
  DWORD error = GetLastError();
  process = wantProcess && ok ? reinterpret_cast<ProcessHandle>(info.hProcess) : 0;
  auto result = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(info.hInstApp));
  if (ok) return result > 32 ? result : 33;  // started, although the shell left no instance value
  if (result > 32) return ShellCodeOf(error, 0);
  // Wine calls every start it could not make a bad format; the thread's
  // error tells which it was (a locked executable, say).
  return result == ERROR_BAD_FORMAT ? ShellCodeOf(error, result) : result;
}

bool Win32Shell::RunsElevated() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
  KernelHandle token(raw);
  // Only a split token is raised above the user's own rights; with UAC off an
  // administrator's one token is the desktop's too. Windows XP knows neither.
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  DWORD size = 0;
  return GetTokenInformation(token.get(), TokenElevationType, &type, sizeof type, &size) &&
         type == TokenElevationTypeFull;
}

namespace {

// Long enough for a shell busy starting another program, even emulated.
constexpr DWORD kDesktopStartLimitMs = 120000;

bool StartThroughDesktop(const std::wstring& file, const std::wstring& parameters) {
  // The desktop's folder view hands out the shell's automation object, which
  // starts programs inside the desktop's process, with its token.
  ComApartment apartment;
  ComPtr<IShellWindows> windows;
  ComPtr<IDispatch> desktop, background, application;
  ComPtr<IServiceProvider> services;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IShellFolderViewDual> folderView;
  ComPtr<IShellDispatch2> shell;
  Variant location(static_cast<LONG>(CSIDL_DESKTOP)), none;
  long window = 0;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                              windows.outVoid())) ||
      windows->FindWindowSW(location.get(), none.get(), SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, desktop.out()) !=
          S_OK ||
      !desktop.get() || FAILED(desktop->QueryInterface(IID_IServiceProvider, services.outVoid())) ||
      FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.outVoid())) ||
      FAILED(browser->QueryActiveShellView(view.out())) ||
      FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.outVoid())) ||
      FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.outVoid())) ||
      FAILED(folderView->get_Application(application.out())) ||
      FAILED(application->QueryInterface(IID_IShellDispatch2, shell.outVoid())))
    return false;
  Variant name(file), arguments(parameters), folder(std::wstring(L"C:\\")), verb(std::wstring(L"open")),
      show(static_cast<LONG>(SW_SHOWNOACTIVATE));
  return SUCCEEDED(shell->ShellExecute(name.get()->bstrVal, *arguments, *folder, *verb, *show));
}

}  // namespace

bool Win32Shell::ShellExecuteAsDesktopUser(const std::string& file, const std::string& parameters) {
  // A shell that never answers must not hold the run for ever. It may send to
  // every top-level window meanwhile: this thread's go on being served.
  auto started = std::make_shared<bool>(false);
  return desktop_.Run([started, f = Wide(file), p = Wide(parameters)] { *started = StartThroughDesktop(f, p); },
                     kDesktopStartLimitMs, true) &&
         *started;
}

void Win32Shell::Beep(uint32_t frequency, uint32_t milliseconds) { ::Beep(frequency, milliseconds); }

ProcessHandle Win32Shell::OpenProcess(uint32_t processId) {
  return reinterpret_cast<ProcessHandle>(::OpenProcess(0x1F0FFF, FALSE, processId));
}

bool Win32Shell::GetExitCode(ProcessHandle process, uint32_t& code) {
  DWORD c = 0;
  if (!GetExitCodeProcess(reinterpret_cast<HANDLE>(process), &c)) return false;
  code = c;
  return true;
}

void Win32Shell::WaitForever(ProcessHandle process) {
  WaitForSingleObject(reinterpret_cast<HANDLE>(process), INFINITE);
}

void Win32Shell::CloseProcess(ProcessHandle process) { CloseHandle(reinterpret_cast<HANDLE>(process)); }

WindowHandle Win32Shell::FindWindow(const std::string& title) {
  return reinterpret_cast<WindowHandle>(FindWindowA(nullptr, codePage_.ToAnsi(title).c_str()));
}

void Win32Shell::PostQuit(WindowHandle window) { PostMessageA(reinterpret_cast<HWND>(window), WM_QUIT, 0, 0); }

uint32_t Win32Shell::WindowProcessId(WindowHandle window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &pid);
  return pid;
}

}  // namespace tyx::win32
