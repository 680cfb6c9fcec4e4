#include "platform/win32/Win32Cabinet.h"

#include <cstring>

#include "platform/win32/WinApi.h"
#include <setupapi.h>

namespace tyx::win32 {
namespace {

UINT CALLBACK CabCallback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR) {
  const auto& callback = *static_cast<const CabinetCallback*>(context);
  CabinetNotice notice;
  if (notification == SPFILENOTIFY_FILEINCABINET) {
    auto* info = reinterpret_cast<FILE_IN_CABINET_INFO_A*>(param1);
    notice.nameInCabinet = info->NameInCabinet ? info->NameInCabinet : "";
    notice.fileSize = info->FileSize;
    notice.dosDate = info->DosDate;
    notice.dosTime = info->DosTime;
    UINT answer = callback(notification, notice);
    if (answer == FILEOP_DOIT) {
      size_t n = notice.fullTargetName.size() < MAX_PATH - 1 ? notice.fullTargetName.size() : MAX_PATH - 1;
      std::memcpy(info->FullTargetName, notice.fullTargetName.data(), n);
      info->FullTargetName[n] = '\0';
    }
    return answer;
  }
  if (notification == SPFILENOTIFY_FILEEXTRACTED) {
    notice.win32Error = reinterpret_cast<FILEPATHS_A*>(param1)->Win32Error;
  }
  return callback(notification, notice);
}

}  // namespace

bool Win32Cabinet::IterateCabinet(const std::string& cabinet, const CabinetCallback& callback, uint32_t& lastError) {
  BOOL ok = SetupIterateCabinetA(codePage_.ToAnsi(cabinet).c_str(), 0, CabCallback, const_cast<CabinetCallback*>(&callback));
  lastError = ok ? 0 : GetLastError();
  return ok != FALSE;
}

bool Win32Cabinet::DosDateTimeToTime(uint16_t dosDate, uint16_t dosTime, LocalTime& time) {
  FILETIME ft;
  SYSTEMTIME st;
  if (!DosDateTimeToFileTime(dosDate, dosTime, &ft) || !FileTimeToSystemTime(&ft, &st)) return false;
  time = {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
  return true;
}

}  // namespace tyx::win32
