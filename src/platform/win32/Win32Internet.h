#pragma once
#include <map>
#include <memory>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Internet.h"
#include "platform/win32/TimedCall.h"
#include "platform/win32/WinApi.h"
#include <wininet.h>

namespace tyx::win32 {

class Win32Internet : public IInternet {
 public:
  explicit Win32Internet(ICodePage& codePage) : codePage_(codePage) {}
  InternetHandle Open(bool wide, const std::string& agent, uint32_t accessType, const std::string& proxy,
                      bool emptyProxy, uint32_t flags) override;
  InternetHandle OpenUrl(bool wide, InternetHandle session, const std::string& url, const std::string& headers,
                         uint32_t flags, uintptr_t context) override;
  bool ReadFile(InternetHandle file, char* buffer, uint32_t size, uint32_t& read) override;
  void CloseHandle(InternetHandle handle) override;
  InternetHandle Connect(InternetHandle session, const std::string& host, uint16_t port) override;
  InternetHandle OpenRequest(InternetHandle connection, const std::string& verb, const std::string& object,
                             const std::string& version, uint32_t flags) override;
  bool SetOption(InternetHandle handle, uint32_t option, uint32_t value) override;
  bool SendRequest(InternetHandle request, const std::string& headers) override;
  bool QueryInfo(InternetHandle request, uint32_t level, uint32_t bufferSize, std::string& text) override;
  uint32_t LastError() override;

 private:
  ICodePage& codePage_;
  // Every WinINet call runs on one worker thread, so that a call that waits
  // too long can be left behind. What is done on a handle given a receive
  // time-out keeps to it, whatever WinINet does with it.
  std::map<InternetHandle, uint32_t> receiveTimeouts_;
  TimedCall worker_;
  struct ReadResult {
    std::vector<char> data;
    DWORD read = 0;
  };
  std::shared_ptr<ReadResult> lastRead_;

  // Runs `call` on the worker, within the receive time-out of `limitOf` if it
  // has one, and brings its last error back to this thread.
  template <class T>
  T OnWorker(InternetHandle limitOf, T timedOut, std::function<T()> call);
  // A handle opened under `parent` keeps to the parent's time-out.
  InternetHandle Child(InternetHandle parent, HINTERNET child);
};

}  // namespace tyx::win32
