#include "platform/win32/Win32FileSystem.h"

#include <algorithm>
#include <cstdio>

#include "platform/FsoErrors.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Wide.h"
#include "platform/win32/WinApi.h"

namespace tyx::win32 {
namespace {

[[noreturn]] void ThrowLastError() {
  DWORD code = GetLastError();
  throw FsoError(code, SystemErrorText(code));
}

DWORD Attributes(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()); }

std::wstring FolderOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

void MakeWritable(const std::wstring& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

bool IsLink(const WIN32_FIND_DATAW& data) { return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// Calls `visit` for every entry of the folder but "." and "..". A listing
// that cannot start or ends early is a failure, never a shorter list.
template <typename Visit>
void ForEachEntry(const std::wstring& folder, Visit visit) {
  WIN32_FIND_DATAW data;
  FindHandle find(folder + L"\\*", data);
  if (!find) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return;
    ThrowLastError();
  }
  do {
    std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") visit(name, data);
  } while (FindNextFileW(find.get(), &data));
  if (GetLastError() != ERROR_NO_MORE_FILES) ThrowLastError();
}

// A link (junction or symbolic link) goes itself; what it points to is
// never entered.
void RemoveEntry(const std::wstring& path, const WIN32_FIND_DATAW& data) {
  bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (!(folder ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str()))) ThrowLastError();
}

void RemoveTree(const std::wstring& folder, bool force) {
  ForEachEntry(folder, [&](const std::wstring& name, const WIN32_FIND_DATAW& data) {
    std::wstring path = folder + L"\\" + name;
    if (force && !IsLink(data)) MakeWritable(path, data.dwFileAttributes);  // not the link's target
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(data)) {
      RemoveTree(path, force);
    } else {
      RemoveEntry(path, data);
    }
  });
  if (!RemoveDirectoryW(folder.c_str())) ThrowLastError();
}

}  // namespace

bool Win32FileSystem::FileExists(const std::string& path) {
  DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::FolderExists(const std::string& path) {
  DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void Win32FileSystem::CreateFolder(const std::string& path) {
  if (!CreateDirectoryW(Wide(path).c_str(), nullptr)) ThrowLastError();
}

void Win32FileSystem::DeleteFile(const std::string& pattern, bool force) {
  std::wstring wide = Wide(pattern);
  std::wstring folder = FolderOf(wide);
  WIN32_FIND_DATAW data;
  FindHandle find(wide, data);
  if (!find) throw FsoError(ERROR_FILE_NOT_FOUND, "");
  bool deleted = false;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::wstring path = folder + data.cFileName;
    if (!force && (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) throw FsoError(ERROR_ACCESS_DENIED, "");
    if (force) MakeWritable(path, data.dwFileAttributes);
    if (!DeleteFileW(path.c_str())) ThrowLastError();
    deleted = true;
  } while (FindNextFileW(find.get(), &data));
  if (!deleted) throw FsoError(ERROR_FILE_NOT_FOUND, "");
}

void Win32FileSystem::DeleteFolder(const std::string& path, bool force) {
  if (!FolderExists(path)) throw FsoError(ERROR_PATH_NOT_FOUND, "");
  RemoveTree(Wide(path), force);
}

void Win32FileSystem::CopyFile(const std::string& source, const std::string& destination, bool overwrite) {
  // A new file has nothing to protect, and asking first whether it exists
  // costs Wine a scan of the folder.
  if (CopyFileW(Wide(source).c_str(), Wide(destination).c_str(), TRUE)) return;
  if (!overwrite || GetLastError() != ERROR_FILE_EXISTS) ThrowLastError();
  // Windows refuses to copy over a read-only file; not every emulation does.
  DWORD existing = Attributes(destination);
  if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY))
    throw FsoError(ERROR_ACCESS_DENIED, "");
  if (!CopyFileW(Wide(source).c_str(), Wide(destination).c_str(), FALSE)) ThrowLastError();
}

void Win32FileSystem::MoveFile(const std::string& source, const std::string& destination) {
  if (!FileExists(source) && !FolderExists(source)) throw FsoError(ERROR_FILE_NOT_FOUND, "");
  if (!MoveFileW(Wide(source).c_str(), Wide(destination).c_str())) ThrowLastError();
}

void Win32FileSystem::ReplaceFile(const std::string& source, const std::string& destination) {
  if (!MoveFileExW(Wide(source).c_str(), Wide(destination).c_str(), MOVEFILE_REPLACE_EXISTING)) ThrowLastError();
}

std::vector<std::string> Win32FileSystem::Files(const std::string& folder) {
  if (!FolderExists(folder)) throw FsoError(ERROR_PATH_NOT_FOUND, "");
  std::vector<std::string> names;
  ForEachEntry(Wide(folder), [&](const std::wstring& name, const WIN32_FIND_DATAW& data) {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(Utf8(name));
  });
  return names;
}

std::vector<std::string> Win32FileSystem::Folders(const std::string& folder) {
  if (!FolderExists(folder)) throw FsoError(ERROR_PATH_NOT_FOUND, "");
  std::vector<std::string> names;
  ForEachEntry(Wide(folder), [&](const std::wstring& name, const WIN32_FIND_DATAW& data) {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(data)) names.push_back(Utf8(name));
  });
  return names;
}

void Win32FileSystem::RemoveLinks(const std::string& folder) {
  std::wstring wide = Wide(folder);
  ForEachEntry(wide, [&](const std::wstring& name, const WIN32_FIND_DATAW& data) {
    if (IsLink(data)) RemoveEntry(wide + L"\\" + name, data);
  });
}

std::string Win32FileSystem::ReadFile(const std::string& path, size_t maxBytes) {
  KernelHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) ThrowLastError();
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  while (bytes.size() < maxBytes) {
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) ThrowLastError();
    if (read == 0) break;
    bytes.append(buffer, std::min<size_t>(read, maxBytes - bytes.size()));
  }
  return bytes;
}

std::string Win32FileSystem::GetTempName() {
  static unsigned counter = 0;
  unsigned value = (GetTickCount() ^ (GetCurrentProcessId() << 8) ^ (++counter * 2654435761u)) & 0xFFFFF;
  char name[16];
  std::snprintf(name, sizeof name, "rad%05X.tmp", value);
  return name;
}

std::string Win32FileSystem::TemporaryFolder() {
  wchar_t buffer[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  std::wstring path(buffer, n);
  while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return Utf8(path);
}

bool Win32FileSystem::IsReadOnly(const std::string& path) {
  DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY);
}

void Win32FileSystem::Flush(const std::string& path) {
  const std::wstring wide = Wide(path);
  // FlushFileBuffers needs write access, which a read-only file (one a
  // package brought so) refuses until its attribute is off for a moment.
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
  if (readOnly) MakeWritable(wide, attributes);
  KernelHandle file(CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  const bool flushed = file && FlushFileBuffers(file.get());
  const DWORD error = GetLastError();
  file = KernelHandle();
  if (readOnly) SetFileAttributesW(wide.c_str(), attributes);
  if (!flushed) throw FsoError(error, SystemErrorText(error));
}

uintptr_t Win32FileSystem::CreateForWrite(const std::string& path) {
  HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  return h == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<uintptr_t>(h);
}

uintptr_t Win32FileSystem::OpenForAppend(const std::string& path, int64_t& size) {
  KernelHandle file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  LARGE_INTEGER end{};
  if (!file || !GetFileInformationByHandle(file.get(), &info) || info.nNumberOfLinks != 1 ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
      !SetFilePointerEx(file.get(), LARGE_INTEGER{}, &end, FILE_END))
    return 0;
  size = end.QuadPart;
  return reinterpret_cast<uintptr_t>(file.release());
}

bool Win32FileSystem::Write(uintptr_t file, const char* data, uint32_t size, uint32_t& written) {
  DWORD n = 0;
  BOOL ok = WriteFile(reinterpret_cast<HANDLE>(file), data, size, &n, nullptr);
  written = n;
  return ok != FALSE;
}

void Win32FileSystem::Close(uintptr_t file) { CloseHandle(reinterpret_cast<HANDLE>(file)); }

bool Win32FileSystem::AppendBytes(const std::string& path, const std::string& bytes) {
  KernelHandle file(CreateFileW(Wide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

bool Win32FileSystem::ReadBytes(const std::string& path, std::string& bytes) {
  KernelHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  bytes.clear();
  char buffer[4096];
  DWORD n = 0;
  while (::ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) {
    if (n == 0) return true;
    bytes.append(buffer, n);
  }
  return false;
}

IFileSystem::Lock Win32FileSystem::TryLock(const std::string& path) {
  KernelHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError() == ERROR_SHARING_VIOLATION ? Lock::Busy : Lock::Unavailable;
  OVERLAPPED at{};
  if (!LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
    return GetLastError() == ERROR_LOCK_VIOLATION ? Lock::Busy : Lock::Unavailable;
  locks_.push_back(std::move(file));
  return Lock::Held;
}

}  // namespace tyx::win32
