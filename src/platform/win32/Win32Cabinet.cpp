#include "platform/win32/Win32Cabinet.h"

#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/win32/Wide.h"
#include "platform/win32/WinApi.h"
#include <setupapi.h>

namespace tyx::win32 {
namespace {

// Some SetupAPIs report success for a file cut short by a full disk, and
// for a cabinet whose files they could not find: one iteration's facts to
// check that against.
struct Iteration {
  const CabinetCallback& callback;
  uint32_t size = 0;  // listed for the file being unpacked
  uint32_t files = 0;
  uint32_t failure = 0;
};

// The number of files the cabinet's header declares (CFHEADER.cFiles).
uint32_t DeclaredFiles(const std::string& cabinet) {
  std::ifstream file(std::filesystem::path(Wide(cabinet)), std::ios::binary);
  unsigned char header[30] = {};
  if (!file.read(reinterpret_cast<char*>(header), sizeof header)) return 0;
  return header[28] | header[29] << 8;
}

// A file shorter than listed: the disk was full, or the data ran out.
uint32_t ShortFileError(const std::string& target, uint32_t listed) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &data)) return GetLastError();
  if (data.nFileSizeHigh == 0 && data.nFileSizeLow == listed) return 0;
  std::string folder = target.substr(0, target.find_last_of('\\') + 1);
  ULARGE_INTEGER free;
  if (data.nFileSizeHigh == 0 && data.nFileSizeLow < listed &&
      GetDiskFreeSpaceExA(folder.c_str(), &free, nullptr, nullptr) && free.QuadPart < listed - data.nFileSizeLow)
    return ERROR_DISK_FULL;
  return ERROR_INVALID_DATA;
}

UINT CALLBACK CabCallback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR) {
  auto& it = *static_cast<Iteration*>(context);
  CabinetNotice notice;
  if (notification == SPFILENOTIFY_FILEINCABINET) {
    // Not every SetupAPI ends the iteration when told a file failed.
    if (it.failure) return FILEOP_ABORT;
    ++it.files;
    auto* info = reinterpret_cast<FILE_IN_CABINET_INFO_A*>(param1);
    notice.nameInCabinet = info->NameInCabinet ? info->NameInCabinet : "";
    notice.fileSize = info->FileSize;
    notice.dosDate = info->DosDate;
    notice.dosTime = info->DosTime;
    UINT answer = it.callback(notification, notice);
    if (answer == FILEOP_DOIT) {
      size_t n = notice.fullTargetName.size() < MAX_PATH - 1 ? notice.fullTargetName.size() : MAX_PATH - 1;
      std::memcpy(info->FullTargetName, notice.fullTargetName.data(), n);
      info->FullTargetName[n] = '\0';
      it.size = info->FileSize;
    }
    return answer;
  }
  if (notification == SPFILENOTIFY_FILEEXTRACTED) {
    auto* paths = reinterpret_cast<FILEPATHS_A*>(param1);
    notice.win32Error = paths->Win32Error;
    if (!notice.win32Error && paths->Target) notice.win32Error = ShortFileError(paths->Target, it.size);
    if (!it.failure) it.failure = notice.win32Error;
  }
  return it.callback(notification, notice);
}

}  // namespace

bool Win32Cabinet::IterateCabinet(const std::string& cabinet, const CabinetCallback& callback, uint32_t& lastError) {
  Iteration it{callback};
  BOOL ok = SetupIterateCabinetA(codePage_.ToAnsi(cabinet).c_str(), 0, CabCallback, &it);
  lastError = ok ? 0 : GetLastError();
  if (ok && !it.failure && it.files < DeclaredFiles(cabinet)) it.failure = ERROR_INVALID_DATA;
  if (it.failure) lastError = it.failure;
  return ok && !it.failure;
}

bool Win32Cabinet::DosDateTimeToTime(uint16_t dosDate, uint16_t dosTime, LocalTime& time) {
  FILETIME ft;
  SYSTEMTIME st;
  if (!DosDateTimeToFileTime(dosDate, dosTime, &ft) || !FileTimeToSystemTime(&ft, &st)) return false;
  time = {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
  return true;
}

}  // namespace tyx::win32
