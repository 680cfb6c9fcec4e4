// Stands in for a product's executable in the end-to-end runs: it records in started.log beside itself that it
// was started, under which name and with which arguments. With a file window.txt beside it, it also opens a
// window with the title written there (UTF-8) and runs until it is asked to quit.
#include <windows.h>

#include <string>

namespace {

std::string Utf8(const std::wstring& w) {
  std::string out(static_cast<size_t>(w.size() * 3), '\0');
  out.resize(WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(),
                                 static_cast<int>(out.size()), nullptr, nullptr));
  return out;
}

void Record(const std::wstring& folder, const std::string& line) {
  HANDLE h = CreateFileW((folder + L"\\started.log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(h, (line + "\r\n").data(), static_cast<DWORD>(line.size() + 2), &written, nullptr);
  CloseHandle(h);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  wchar_t buffer[MAX_PATH];
  std::wstring path(buffer, GetModuleFileNameW(nullptr, buffer, MAX_PATH));
  std::wstring folder = path.substr(0, path.find_last_of(L'\\')), name = path.substr(folder.size() + 1);
  const wchar_t* args = GetCommandLineW();
  args = *args == L'"' ? wcschr(args + 1, L'"') + 1 : wcschr(args, L' ') ? wcschr(args, L' ') : L"";
  while (*args == L' ') ++args;
  Record(folder, "started " + Utf8(name) + "|" + Utf8(args));

  char text[512];
  DWORD n = 0;
  HANDLE file = CreateFileW((folder + L"\\window.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  ReadFile(file, text, sizeof text, &n, nullptr);
  CloseHandle(file);
  std::wstring title(n, L'\0');
  title.resize(MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(n), title.data(), static_cast<int>(n)));
  while (!title.empty() && title.back() <= L'\r') title.pop_back();
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = L"TyxStubApp";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                nullptr, instance, nullptr);
  Record(folder, "window " + Utf8(title));
  SetTimer(window, 1, 600000, nullptr);  // never outlives a test run, even an emulated one
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0 && msg.message != WM_TIMER) DispatchMessageW(&msg);
  Record(folder, (msg.message == WM_TIMER ? "timeout " : "quit ") + Utf8(name));
  return 0;
}
