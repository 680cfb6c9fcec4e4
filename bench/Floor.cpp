// The floor of the platform for the benchmark: each stage of a web update
// done as directly as the Windows API allows, timed from inside so that
// starting the process does not count. Prints the seconds it took.
//
//   Floor.exe size HOST PATH        HEAD over HTTP/1.0 on port 80, Content-Length read
//   Floor.exe download URL FILE     WinINet download with 1 MiB reads into the file
//   Floor.exe designed URL FILE     the same with 8 KiB reads and two pumps of a window's queue after each
//   Floor.exe extract CAB FOLDER    one SetupIterateCabinetA pass into the folder
//   Floor.exe copy FROM TO          CopyFileW of every file of FROM into TO
//   Floor.exe log FILE COUNT        COUNT lines appended, the file opened and closed for each
//   Floor.exe window TITLE MS       a trivial program with a window: the form's size, shown for MS ms
#include <windows.h>
#include <setupapi.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Net {
  HINTERNET h;
  ~Net() {
    if (h) InternetCloseHandle(h);
  }
};

bool Size(const char* host, const char* path) {
  Net session{InternetOpenA("floor", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)};
  Net connection{InternetConnectA(session.h, host, 80, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0)};
  Net request{HttpOpenRequestA(connection.h, "HEAD", path, "HTTP/1.0", nullptr, nullptr, INTERNET_FLAG_RELOAD, 0)};
  char length[32] = {};
  DWORD size = sizeof length, index = 0;
  return request.h && HttpSendRequestA(request.h, nullptr, 0, nullptr, 0) &&
         HttpQueryInfoA(request.h, HTTP_QUERY_CONTENT_LENGTH, length, &size, &index);
}

// `designed`: as the update's fixed design does it, 8 KiB reads and two pumps
// of the window's message queue after each.
bool Download(const wchar_t* url, const wchar_t* file, bool designed) {
  Net session{InternetOpenW(nullptr, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0)};
  Net transfer{InternetOpenUrlW(session.h, url, nullptr, 0, INTERNET_FLAG_RELOAD, 0)};
  if (!transfer.h) return false;
  HANDLE out = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  std::vector<char> buffer(designed ? 8192 : 1 << 20);
  if (designed)
    CreateWindowExW(0, L"STATIC", L"floor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 688, 408, nullptr, nullptr,
                    nullptr, nullptr);
  DWORD read = 0, written = 0;
  bool ok = true;
  MSG msg;
  while ((ok = InternetReadFile(transfer.h, buffer.data(), static_cast<DWORD>(buffer.size()), &read)) && read > 0) {
    if (!WriteFile(out, buffer.data(), read, &written, nullptr) || written != read) ok = false;
    for (int pump = 0; designed && pump < 2; ++pump)
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  CloseHandle(out);
  return ok;
}

UINT CALLBACK Unpack(PVOID folder, UINT notification, UINT_PTR param1, UINT_PTR) {
  if (notification != SPFILENOTIFY_FILEINCABINET) return NO_ERROR;
  auto* info = reinterpret_cast<FILE_IN_CABINET_INFO_A*>(param1);
  std::snprintf(info->FullTargetName, MAX_PATH, "%s\\%s", static_cast<const char*>(folder), info->NameInCabinet);
  return FILEOP_DOIT;
}

bool Extract(const char* cabinet, char* folder) {
  return SetupIterateCabinetA(cabinet, 0, Unpack, folder) != FALSE;
}

bool Copy(const std::wstring& from, const std::wstring& to) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((from + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      ok = CopyFileW((from + L"\\" + data.cFileName).c_str(), (to + L"\\" + data.cFileName).c_str(), FALSE) && ok;
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return ok;
}

bool Log(const wchar_t* file, int count) {
  const char line[] = "[07.12.2026 15:00:00]Kop\xedrov\xe1n\xed souboru f0001.dat\r\n";
  for (int i = 0; i < count; ++i) {
    HANDLE h = CreateFileW(file, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (h == INVALID_HANDLE_VALUE || !WriteFile(h, line, sizeof line - 1, &written, nullptr)) return false;
    CloseHandle(h);
  }
  return true;
}

bool Window(const wchar_t* title, int ms) {
  HWND window = CreateWindowExW(0, L"STATIC", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 688, 408, nullptr,
                                nullptr, nullptr, nullptr);
  if (!window) return false;
  for (const DWORD end = GetTickCount() + static_cast<DWORD>(ms); GetTickCount() < end; Sleep(10)) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  return DestroyWindow(window) != FALSE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  char a[MAX_PATH], b[MAX_PATH];
  WideCharToMultiByte(CP_ACP, 0, argv[2], -1, a, MAX_PATH, nullptr, nullptr);
  WideCharToMultiByte(CP_ACP, 0, argv[3], -1, b, MAX_PATH, nullptr, nullptr);
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const std::wstring stage = argv[1];
  bool ok = stage == L"size"       ? Size(a, b)
            : stage == L"download" ? Download(argv[2], argv[3], false)
            : stage == L"designed" ? Download(argv[2], argv[3], true)
            : stage == L"extract"  ? Extract(a, b)
            : stage == L"copy"     ? Copy(argv[2], argv[3])
            : stage == L"log"      ? Log(argv[2], _wtoi(argv[3]))
            : stage == L"window"   ? Window(argv[2], _wtoi(argv[3]))
                                   : false;
  QueryPerformanceCounter(&end);
  if (!ok) return 1;
  std::printf("%.4f\n", static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
  return 0;
}
