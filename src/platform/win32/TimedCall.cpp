#include "platform/win32/TimedCall.h"

#include "platform/win32/Handles.h"

namespace tyx::win32 {

// Shared by the caller and the worker, so that a worker left behind never
// touches memory that has gone.
struct CallJob {
  KernelHandle start{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  KernelHandle done{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  std::function<void()> call;
};

namespace {

DWORD WINAPI Work(void* parameter) {
  std::unique_ptr<std::shared_ptr<CallJob>> hold(static_cast<std::shared_ptr<CallJob>*>(parameter));
  CallJob& job = **hold;
  for (;;) {
    WaitForSingleObject(job.start.get(), INFINITE);
    job.call();
    SetEvent(job.done.get());
  }
}

std::shared_ptr<CallJob> StartWorker() {
  auto job = std::make_shared<CallJob>();
  if (!job->start || !job->done) return nullptr;
  auto* hold = new std::shared_ptr<CallJob>(job);
  const KernelHandle thread(CreateThread(nullptr, 0, Work, hold, 0, nullptr));
  if (!thread) {
    delete hold;
    return nullptr;
  }
  return job;
}

bool Wait(HANDLE done, DWORD limitMs, bool serveMessages) {
  if (!serveMessages) return WaitForSingleObject(done, limitMs) == WAIT_OBJECT_0;
  const DWORD begun = GetTickCount();
  for (DWORD waited = 0; waited < limitMs; waited = GetTickCount() - begun) {
    if (MsgWaitForMultipleObjects(1, &done, FALSE, limitMs - waited, QS_ALLINPUT) == WAIT_OBJECT_0) return true;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return false;
}

}  // namespace

bool TimedCall::Run(std::function<void()> call, DWORD limitMs, bool serveMessages) {
  if (!job_) job_ = StartWorker();
  if (!job_) {
    call();
    return true;
  }
  job_->call = std::move(call);
  SetEvent(job_->start.get());
  if (Wait(job_->done.get(), limitMs, serveMessages)) return true;
  job_.reset();  // still running: its worker keeps the job
  return false;
}

}  // namespace tyx::win32
