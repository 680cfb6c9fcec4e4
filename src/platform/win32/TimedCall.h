#pragma once
#include <functional>
#include <memory>

#include "platform/win32/WinApi.h"

namespace tyx::win32 {

struct CallJob;

// Runs blocking calls with an upper bound on the wait. Some WinINet builds
// never apply a receive time-out, and a server that stops answering would hold
// the run for ever. The calls run one after another on a worker thread of
// their own, so that every call on a connection comes from the same thread; a
// call that outlives its limit is left to end with the process, and the next
// call gets a new worker.
class TimedCall {
 public:
  TimedCall() = default;
  TimedCall(const TimedCall&) = delete;
  TimedCall& operator=(const TimedCall&) = delete;
  ~TimedCall();
  // False when `call` did not end within `limitMs`. It must own what it uses.
  bool Run(std::function<void()> call, DWORD limitMs);

 private:
  std::shared_ptr<CallJob> job_;
};

}  // namespace tyx::win32
