#include "platform/win32/TimedRead.h"

#include <cstring>
#include <vector>

#include "platform/win32/Handles.h"

namespace tyx::win32 {

// Shared by the caller and the worker, so that a worker left behind never
// writes to memory that has gone.
struct ReadJob {
  KernelHandle start{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  KernelHandle done{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  KernelHandle thread;
  HINTERNET file = nullptr;
  std::vector<char> buffer;
  DWORD read = 0, error = 0;
  BOOL ok = FALSE;
  bool quit = false;
};

namespace {

DWORD WINAPI Work(void* parameter) {
  std::unique_ptr<std::shared_ptr<ReadJob>> hold(static_cast<std::shared_ptr<ReadJob>*>(parameter));
  ReadJob& job = **hold;
  for (;;) {
    WaitForSingleObject(job.start.get(), INFINITE);
    if (job.quit) return 0;
    job.ok = InternetReadFile(job.file, job.buffer.data(), static_cast<DWORD>(job.buffer.size()), &job.read);
    job.error = job.ok ? 0 : GetLastError();
    SetEvent(job.done.get());
  }
}

std::shared_ptr<ReadJob> StartWorker() {
  auto job = std::make_shared<ReadJob>();
  if (!job->start || !job->done) return nullptr;
  auto* hold = new std::shared_ptr<ReadJob>(job);
  job->thread = KernelHandle(CreateThread(nullptr, 0, Work, hold, 0, nullptr));
  if (!job->thread) {
    delete hold;
    return nullptr;
  }
  return job;
}

}  // namespace

TimedRead::~TimedRead() {
  if (!job_) return;
  job_->quit = true;
  SetEvent(job_->start.get());
  WaitForSingleObject(job_->thread.get(), INFINITE);
}

BOOL TimedRead::Read(HINTERNET file, char* buffer, DWORD size, DWORD& read, DWORD timeoutMs) {
  if (!job_) job_ = StartWorker();
  if (!job_) return InternetReadFile(file, buffer, size, &read);
  job_->file = file;
  job_->buffer.resize(size);
  SetEvent(job_->start.get());
  if (WaitForSingleObject(job_->done.get(), timeoutMs) != WAIT_OBJECT_0) {
    job_.reset();  // still reading: its worker keeps the job
    read = 0;
    SetLastError(ERROR_INTERNET_TIMEOUT);
    return FALSE;
  }
  read = job_->read;
  if (read) std::memcpy(buffer, job_->buffer.data(), read);
  SetLastError(job_->error);
  return job_->ok;
}

}  // namespace tyx::win32
