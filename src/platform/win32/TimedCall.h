#pragma once
#include <functional>
#include <memory>

#include "platform/win32/WinApi.h"

namespace tyx::win32 {

struct CallJob;

// Runs blocking calls with an upper bound on the wait: a server or a desktop
// shell that stops answering must not hold the run for ever (some WinINet
// builds never apply a receive time-out). The calls run one after another on
// a worker thread of their own, so that every call on a connection comes from
// the same thread; a call that outlives its limit is left to end with the
// process, and the next call gets a new worker. A worker is never ended
// either: it waits for calls until the process ends (threads that ended while
// the process went on hung or crashed the emulated 32-bit build under Wine).
class TimedCall {
 public:
  // False when `call` did not end within `limitMs`. It must own what it uses.
  // With `serveMessages`, this thread's windows go on being served meanwhile.
  bool Run(std::function<void()> call, DWORD limitMs, bool serveMessages = false);

 private:
  std::shared_ptr<CallJob> job_;
};

}  // namespace tyx::win32
