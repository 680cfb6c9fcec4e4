#include "fakes/FakeServices.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "fakes/FakeOs.h"

namespace tyx::test {

bool FakeCabinet::IterateCabinet(const std::string& cabinet, const CabinetCallback& callback, uint32_t& lastError) {
  auto it = cabinets.find(cabinet);
  if (it == cabinets.end() || !std::filesystem::exists(NativePath(cabinet))) {
    lastError = 2;
    return false;
  }
  CabinetNotice info;
  callback(SPFILENOTIFY_CABINETINFO, info);
  for (const Entry& e : it->second) {
    CabinetNotice notice;
    if (e.name == "\x12") {
      if ((lastError = callback(SPFILENOTIFY_NEEDNEWCABINET, notice)) != 0) return false;
      continue;
    }
    notice.nameInCabinet = e.name;
    notice.fileSize = static_cast<uint32_t>(e.content.size());
    notice.dosDate = e.dosDate;
    notice.dosTime = e.dosTime;
    uint32_t answer = callback(SPFILENOTIFY_FILEINCABINET, notice);
    if (answer == FILEOP_ABORT) {
      lastError = 995;  // ERROR_OPERATION_ABORTED
      return false;
    }
    if (answer != FILEOP_DOIT) continue;
    CabinetNotice extracted;
    std::ofstream out(NativePath(notice.fullTargetName), std::ios::binary);
    out << e.content;
    extracted.win32Error = out ? 0 : 5;
    uint32_t rc = callback(SPFILENOTIFY_FILEEXTRACTED, extracted);
    if (rc != 0) {
      lastError = rc;
      return false;
    }
  }
  return true;
}

bool FakeCabinet::DosDateTimeToTime(uint16_t dosDate, uint16_t dosTime, LocalTime& time) {
  if (dosDate == 0) return false;
  time = {1980 + (dosDate >> 9), (dosDate >> 5) & 15, dosDate & 31, dosTime >> 11, (dosTime >> 5) & 63,
          (dosTime & 31) * 2};
  return true;
}

uint32_t FakeShell::ShellExecute(const std::string& file, const std::string& parameters, bool wantProcess,
                                 ProcessHandle& process) {
  started.push_back({file, parameters});
  process = wantProcess && result > 32 ? 77 : 0;
  if (process) ++openProcesses;
  return result;
}

ProcessHandle FakeShell::OpenProcess(uint32_t processId) {
  if (!processId) return 0;
  ++openProcesses;
  return processId;
}

bool FakeShell::GetExitCode(ProcessHandle process, uint32_t& code) {
  ++polls;
  bool quitAsked = false;
  for (WindowHandle q : quits) quitAsked |= q == process;
  if (process == 77) {
    code = polls >= quitPolls ? 0 : 259;
    return true;
  }
  if (quitAsked && !neverQuits && polls >= quitPolls) {
    for (auto it = windows.begin(); it != windows.end();)
      it = it->second == process ? windows.erase(it) : std::next(it);
    code = 0;
  } else {
    code = 259;
  }
  return true;
}

WindowHandle FakeShell::FindWindow(const std::string& title) {
  auto it = windows.find(title);
  return it == windows.end() ? 0 : it->second;
}

InternetHandle FakeInternet::New(const std::string& key) {
  ++openHandles;
  handles_[++next_] = {key, 0};
  return next_;
}

InternetHandle FakeInternet::Open(bool wide, const std::string& agent, uint32_t accessType, const std::string& proxy,
                                  bool, uint32_t flags) {
  (void)flags;
  opens.push_back(std::string(wide ? "wide " : "ansi ") + agent + " " + std::to_string(accessType) + " " + proxy);
  return New("session");
}

InternetHandle FakeInternet::OpenUrl(bool, InternetHandle, const std::string& url, uint32_t, uintptr_t) {
  return responses.count(url) ? New(url) : 0;
}

bool FakeInternet::ReadFile(InternetHandle file, char* buffer, uint32_t size, uint32_t& read) {
  Open_& h = handles_.at(file);
  const Response& r = responses.at(h.key);
  read = 0;
  if (h.offset >= r.failReadAfter) return false;
  size_t n = std::min<size_t>({size, r.chunk, r.body.size() - h.offset, r.failReadAfter - h.offset});
  std::copy_n(r.body.data() + h.offset, n, buffer);
  h.offset += n;
  read = static_cast<uint32_t>(n);
  return true;
}

void FakeInternet::CloseHandle(InternetHandle handle) {
  if (handle && handles_.erase(handle)) --openHandles;
}

InternetHandle FakeInternet::Connect(InternetHandle, const std::string& host, uint16_t port) {
  return New("http://" + host + (port == 80 ? "" : ":" + std::to_string(port)));
}

InternetHandle FakeInternet::OpenRequest(InternetHandle connection, const std::string&, const std::string& object,
                                         const std::string&, uint32_t) {
  return New(handles_.at(connection).key + object);
}

bool FakeInternet::SendRequest(InternetHandle request, const std::string&) {
  return responses.count(handles_.at(request).key) > 0;
}

bool FakeInternet::QueryInfo(InternetHandle request, uint32_t level, uint32_t bufferSize, std::string& text) {
  const Response& r = responses.at(handles_.at(request).key);
  std::string value = level == HTTP_QUERY_STATUS_CODE ? r.status
                      : level == HTTP_QUERY_LAST_MODIFIED ? r.lastModified
                      : level == HTTP_QUERY_CONTENT_RANGE ? r.contentRange
                      : r.contentLength == "auto" ? std::to_string(r.body.size())
                                                  : r.contentLength;
  if (value.empty() || value.size() + 1 > bufferSize) {
    text.clear();
    return false;
  }
  text = value;
  return true;
}

bool RecordingSurface::Covered(double x) const {
  for (auto [left, right] : navy)
    if (left <= x && x < right) return true;
  return false;
}

void RecordingSurface::PrintText(double, double, const std::string& text) {
  texts.push_back(text);
  navy.clear();
}

bool FakeWindow::ShowModal(IWindowEvents& events) {
  if (!opens) return false;
  events.OnActivate();
  if (timers[0]) events.OnMainTimer();
  if (timers[1]) events.OnEndTimer();
  return true;
}

void FakeWindow::SetCaption(Label label, const std::string& text) {
  if (label == Label::App) {
    appCaption = text;
  } else {
    statusCaption = text;
    statusHistory.push_back(text);
  }
}

}  // namespace tyx::test
