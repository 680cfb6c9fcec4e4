#pragma once
#include <memory>

#include "platform/win32/WinApi.h"
#include <wininet.h>

namespace tyx::win32 {

struct ReadJob;

// InternetReadFile with an upper bound on the wait. Some WinINet builds never
// apply a receive time-out, and a server that stops sending would hold the run
// for ever. The read runs on a worker thread; one that outlives the time-out is
// left to end with the process, and the next read gets a new worker.
class TimedRead {
 public:
  TimedRead() = default;
  TimedRead(const TimedRead&) = delete;
  TimedRead& operator=(const TimedRead&) = delete;
  ~TimedRead();
  // As InternetReadFile; fails with ERROR_INTERNET_TIMEOUT after `timeoutMs`.
  BOOL Read(HINTERNET file, char* buffer, DWORD size, DWORD& read, DWORD timeoutMs);

 private:
  std::shared_ptr<ReadJob> job_;
};

}  // namespace tyx::win32
