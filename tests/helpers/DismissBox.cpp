// Presses OK on message boxes for the end-to-end runs: waits for boxes with
// the given title, records "title|text" of each in the record file (UTF-8)
// and closes it. Ends after `count` boxes or `seconds`.
//   DismissBox.exe TITLE COUNT SECONDS RECORD
// Or closes a top-level window as its user would, asking again until it has
// gone (a window may ignore the request while it is busy):
//   DismissBox.exe /close TITLE SECONDS
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::string Utf8(const wchar_t* w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w, -1, out.data(), n, nullptr, nullptr);
  return out;
}

void Append(const wchar_t* path, const std::string& line) {
  HANDLE h = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  std::string data = line + "\n";
  WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
  CloseHandle(h);
}

int CloseWindow(const wchar_t* title, DWORD deadline) {
  HWND window = nullptr;
  while (GetTickCount() < deadline) {
    HWND found = FindWindowW(nullptr, title);
    if (window && !found) return 0;
    if (found) {
      window = found;
      PostMessageW(found, WM_CLOSE, 0, 0);
    }
    Sleep(250);
  }
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 4 && std::wstring(argv[1]) == L"/close")
    return CloseWindow(argv[2], GetTickCount() + static_cast<DWORD>(_wtoi(argv[3])) * 1000);
  if (argc < 5) return 2;
  const wchar_t* title = argv[1];
  int count = _wtoi(argv[2]);
  DWORD deadline = GetTickCount() + static_cast<DWORD>(_wtoi(argv[3])) * 1000;
  int done = 0;
  while (done < count && GetTickCount() < deadline) {
    HWND box = FindWindowW(L"#32770", title);
    if (!box) {
      Sleep(100);
      continue;
    }
    Sleep(300);  // let it paint, as a person would read it first
    wchar_t text[2048] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 2048);
    std::string line = Utf8(title) + "|" + Utf8(text);
    for (char& c : line)
      if (c == '\r') c = ' ';
    for (size_t p; (p = line.find('\n')) != std::string::npos;) line[p] = ' ';
    Append(argv[4], line);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    while (IsWindow(box) && GetTickCount() < deadline) Sleep(50);
    ++done;
  }
  return done == count ? 0 : 1;
}
