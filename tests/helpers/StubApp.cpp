// Stands in for a product's executable in the end-to-end runs: it records in
// started.log beside itself that it was started, under which name and with
// which arguments. With a file window.txt beside it, it also opens a window
// with the title written there and runs until it is asked to quit.
#include <windows.h>

#include <string>

namespace {

std::wstring OwnPath() {
  wchar_t buffer[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  return std::wstring(buffer, n);
}

std::string ToUtf8(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
  return out;
}

void Record(const std::wstring& folder, const std::string& line) {
  HANDLE h = CreateFileW((folder + L"\\started.log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  std::string data = line + "\r\n";
  WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
  CloseHandle(h);
}

std::wstring ReadTitle(const std::wstring& folder) {
  HANDLE h = CreateFileW((folder + L"\\window.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  char buffer[512];
  DWORD n = 0;
  ReadFile(h, buffer, sizeof buffer, &n, nullptr);
  CloseHandle(h);
  std::string text(buffer, n);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  int wn = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring title(static_cast<size_t>(wn), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), title.data(), wn);
  return title;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  std::wstring path = OwnPath();
  std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
  std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
  const wchar_t* args = GetCommandLineW();
  if (*args == L'"') {
    args = wcschr(args + 1, L'"');
    args = args ? args + 1 : L"";
  } else {
    while (*args && *args != L' ') ++args;
  }
  while (*args == L' ') ++args;
  Record(folder, "started " + ToUtf8(name) + "|" + ToUtf8(args));

  std::wstring title = ReadTitle(folder);
  if (title.empty()) return 0;
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = L"TyxStubApp";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                nullptr, instance, nullptr);
  Record(folder, "window " + ToUtf8(title));
  SetTimer(window, 1, 600000, nullptr);  // never outlives a test run, even an emulated one
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER) break;
    DispatchMessageW(&msg);
  }
  Record(folder, msg.message == WM_TIMER ? "timeout " + ToUtf8(name) : "quit " + ToUtf8(name));
  return 0;
}
