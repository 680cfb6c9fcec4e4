// Presses OK on message boxes for the end-to-end runs: waits for boxes with the given title, records
// "title|text" of each in the record file (UTF-16LE) and closes it. Ends after `count` boxes or `seconds`.
//   DismissBox.exe TITLE COUNT SECONDS RECORD
// Or closes a top-level window as its user would, asking again until it has gone (a window may ignore the
// request while it is busy):
//   DismissBox.exe /close TITLE SECONDS
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
  const bool close = argc == 4 && std::wstring(argv[1]) == L"/close";
  if (argc < 5 && !close) return 2;
  const wchar_t* title = argv[1 + close];
  const int count = close ? 1 : _wtoi(argv[2]);
  const DWORD deadline = GetTickCount() + static_cast<DWORD>(_wtoi(argv[3])) * 1000;
  HWND closing = nullptr;
  int done = 0;
  while (done < count && GetTickCount() < deadline) {
    HWND found = FindWindowW(close ? nullptr : L"#32770", title);
    if (close) {
      done += closing && !found;
      if (found) PostMessageW(closing = found, WM_CLOSE, 0, 0);
      Sleep(250);
      continue;
    }
    if (!found) {
      Sleep(100);
      continue;
    }
    Sleep(300);  // let it paint, as a person would read it first
    wchar_t text[2048] = {};
    GetDlgItemTextW(found, 0xFFFF, text, 2048);
    std::wstring line = std::wstring(title) + L"|" + text;
    for (wchar_t& c : line) c = c == L'\r' || c == L'\n' ? L' ' : c;
    line += L"\n";
    HANDLE h = CreateFileW(argv[4], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0,
                           nullptr);
    DWORD written = 0;
    WriteFile(h, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(h);
    PostMessageW(found, WM_COMMAND, IDOK, 0);
    while (IsWindow(found) && GetTickCount() < deadline) Sleep(50);
    ++done;
  }
  return done == count ? 0 : 1;
}
