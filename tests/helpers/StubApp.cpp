// Stands in for a product's executable in the end-to-end runs: it records in started.log beside itself (UTF-16)
// that it was started, under which name and with which arguments, and by which program. Started with "/window TITLE", it also opens a
// window of that title and runs until it is asked to quit; "/hold" before it keeps its own executable open the way
// a loader on Windows does, so that nobody can delete or replace it while it runs.
#include <windows.h>
#include <tlhelp32.h>

#include <string>

namespace {

void Record(const std::wstring& folder, const std::wstring& line) {
  HANDLE h = CreateFileW((folder + L"\\started.log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(h, (line + L"\r\n").data(), static_cast<DWORD>((line.size() + 2) * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(h);
}

// The executable's name of the process that started this one; "?" once it has ended.
std::wstring ParentName() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{sizeof entry};
  DWORD parent = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
  std::wstring name = L"?";
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    if (entry.th32ProcessID == parent) name = entry.szExeFile;
  CloseHandle(snapshot);
  return name;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  wchar_t buffer[MAX_PATH];
  std::wstring path(buffer, GetModuleFileNameW(nullptr, buffer, MAX_PATH));
  std::wstring folder = path.substr(0, path.find_last_of(L'\\')), name = path.substr(folder.size() + 1);
  const wchar_t* args = GetCommandLineW();
  args = *args == L'"' ? wcschr(args + 1, L'"') + 1 : wcschr(args, L' ') ? wcschr(args, L' ') : L"";
  while (*args == L' ') ++args;
  Record(folder, L"started " + name + L"|" + args);
  Record(folder, L"parent " + ParentName());
  if (wcsncmp(args, L"/hold ", 6) == 0) {
    args += 6;  // the handle stays open until the process ends
    if (CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr) !=
        INVALID_HANDLE_VALUE)
      Record(folder, L"held " + name);
  }
  if (wcsncmp(args, L"/window ", 8) != 0) return 0;
  std::wstring title = args + 8;
  if (title.size() > 1 && title.front() == L'"') title = title.substr(1, title.size() - 2);  // quoted for its blank
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = L"TyxStubApp";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                nullptr, instance, nullptr);
  Record(folder, L"window " + title);
  SetTimer(window, 1, 600000, nullptr);  // never outlives a test run, even an emulated one
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0 && msg.message != WM_TIMER) DispatchMessageW(&msg);
  Record(folder, (msg.message == WM_TIMER ? L"timeout " : L"quit ") + name);
  return 0;
}
