#include "download/ResumableDownload.h"

#include <iterator>
#include <limits>
#include <vector>

#include "download/GetHttpInfo.h"
#include "download/PartialDownload.h"
#include "session/ProgressBar.h"

namespace tyx {
namespace {

// The first try and three more, over about a minute.
constexpr uint32_t kPausesMs[] = {5000, 15000, 40000};
constexpr int kTries = 1 + static_cast<int>(std::size(kPausesMs));

enum class Outcome { Done, Cut, Failed, Stopped };

struct Try {
  Outcome outcome = Outcome::Failed;
  uint8_t code = 3;
  std::string why;
};

Try Cut(std::string why, uint8_t code = 3) { return {Outcome::Cut, code, std::move(why)}; }
Try Failed(uint8_t code, std::string why = "") { return {Outcome::Failed, code, std::move(why)}; }

struct UrlHandle {
  IInternet& net;
  InternetHandle h;
  ~UrlHandle() { net.CloseHandle(h); }
};

std::string Header(IInternet& net, InternetHandle url, uint32_t level) {
  std::string text;
  QueryHttpHeader(net, url, text, level);
  return text;
}

// A weak ETag never matches If-Range; Last-Modified stands in for it.
std::string ValidatorOf(IInternet& net, InternetHandle url) {
  const std::string etag = Header(net, url, HTTP_QUERY_ETAG);
  if (UsableValidator(etag) && etag.rfind("W/", 0) != 0) return etag;
  const std::string modified = Header(net, url, HTTP_QUERY_LAST_MODIFIED);
  return UsableValidator(modified) ? modified : "";
}

// Content-Range of an answer that goes on exactly where the part ends.
bool Continues(const std::string& range, const PartialDownload& part) {
  const std::string whole = std::to_string(part.Total());
  return range == "bytes " + std::to_string(part.Size()) + "-" + std::to_string(part.Total() - 1) + "/" + whole;
}

std::string Progress(int64_t size, int64_t total) {
  return "(" + std::to_string(size) + (total > 0 ? " z " + std::to_string(total) : "") + " bajtů)";
}

Try Transfer(Session& s, const DownloadRequest& r, PartialDownload& part, InternetHandle url) {
  IInternet& net = s.platform.internet;
  ISurface& box = s.window.StatusBox();
  std::vector<char> buffer(static_cast<size_t>(r.chunk) * 1024);
  const int64_t limit = part.Total() >= 0 ? part.Total() : kMaxPackageBytes;
  for (;;) {
    uint32_t read = 0;
    if (!net.ReadFile(url, buffer.data(), static_cast<uint32_t>(buffer.size()), read))
      return Cut("Přenos souboru byl přerušen (chyba " + std::to_string(net.LastError()) + ")");
    if (part.Size() + read > limit) {
      part.Discard();
      return Failed(3, "Soubor je větší než " + std::to_string(limit) + " bajtů");
    }
    if (read > 0 && !part.Append(buffer.data(), read)) {
      part.Discard();
      return Failed(3, "Zápis do dočasného souboru " + part.Path() + " selhal");
    }
    s.Pump();
    if (r.expected != 0)
      ShowProgress(box, static_cast<float>(part.Size()) / static_cast<float>(r.expected), false);
    else
      ShowProgressBytes(box, static_cast<float>(part.Size()), s.run.gProgressPos);
    s.Pump();
    if (read == 0) break;
    if (s.form.mCloseRequested) return {Outcome::Stopped, 3, ""};
  }
  if (part.Total() >= 0 && part.Size() != part.Total())
    return Cut("Soubor nebyl stažen celý (" + std::to_string(part.Size()) + " z " + std::to_string(part.Total()) +
               " bajtů)");
  return {Outcome::Done, 0, ""};
}

// One request: a range request when the part can be gone on with, else the
// whole file.
Try Request(Session& s, const DownloadRequest& r, PartialDownload& part) {
  IInternet& net = s.platform.internet;
  const bool resuming = part.Resumable();
  const std::string headers = resuming ? "Range: bytes=" + std::to_string(part.Size()) + "-\r\nIf-Range: " +
                                             part.Validator() + "\r\n"
                                       : "";
  UrlHandle url{net, net.OpenUrl(r.wide, r.session, r.url, headers, INTERNET_FLAG_RELOAD, r.context)};
  if (!url.h) return Cut("Nelze navázat připojení k internetu", 1);
  // The reads keep to the request's own time-out; the session's does not reach them everywhere.
  net.SetOption(url.h, INTERNET_OPTION_RECEIVE_TIMEOUT, kStallMs);
  std::string status;
  // Every https answer has a status; one that cannot be read is no proof of success.
  if (!net.QueryInfo(url.h, HTTP_QUERY_STATUS_CODE, 32, status)) return Failed(3, "Server neodpověděl stavem HTTP");
  status = status.substr(0, status.find('\0'));
  if (resuming && status == "206") {
    const std::string range = Header(net, url.h, HTTP_QUERY_CONTENT_RANGE);
    if (!Continues(range, part)) {
      part.Discard();
      return Cut("Server poslal jinou část souboru (" + range + ")");
    }
    s.ShowStatus("Stažení souboru navazuje na staženou část " + Progress(part.Size(), part.Total()));
  } else if (status == "200") {
    if (resuming) s.ShowStatus("Server neposlal navazující část; stažení začíná znovu od začátku");
    const int64_t declared = ParseByteCount(Header(net, url.h, HTTP_QUERY_CONTENT_LENGTH));
    if (declared > kMaxPackageBytes)
      return Failed(3, "Soubor je větší než " + std::to_string(kMaxPackageBytes) + " bajtů");
    if (!part.Restart(ValidatorOf(net, url.h), declared)) return Failed(2);
  } else if (status == "404") {
    part.Discard();
    return Failed(2);
  } else {
    return Failed(3, "Server odpověděl stavem HTTP " + status);
  }
  if (r.chunk <= 0 || r.chunk > std::numeric_limits<int32_t>::max() / 1024) return Failed(3, "Overflow");
  return Transfer(s, r, part, url.h);
}

// Waits with the window alive; false when the user closed it meanwhile.
bool Pause(Session& s, uint32_t ms) {
  ISystem& system = s.platform.system;
  const uint32_t start = system.TickCount();
  while (system.TickCount() - start < ms) {
    s.Pump();
    if (s.form.mCloseRequested) return false;
    system.Sleep(50);
  }
  return true;
}

}  // namespace

uint8_t FetchResumable(Session& s, const DownloadRequest& r, const std::string& destination) {
  PartialDownload part(s.platform.files, destination, r.url);
  part.Resume();
  for (int attempt = 0;; ++attempt) {
    Try t = Request(s, r, part);
    if (t.outcome == Outcome::Done) {
      part.Complete();
      return 0;
    }
    const bool last = t.outcome == Outcome::Failed || attempt + 1 == kTries || (t.code == 1 && attempt == 0);
    if (t.outcome == Outcome::Cut && !last) {
      s.ShowStatus(t.why + ". Další pokus za " + std::to_string(kPausesMs[attempt] / 1000) + " s.");
      if (!Pause(s, kPausesMs[attempt])) t.outcome = Outcome::Stopped;
    }
    if (t.outcome == Outcome::Stopped) {
      s.log.WriteLog("Stažení souboru zastaveno uživatelem " + Progress(part.Size(), part.Total()));
      part.Keep();
      return kDownloadStopped;
    }
    if (last) {
      part.Keep();
      if (t.code == 3) s.run.gLastError = t.why;
      return t.code;
    }
  }
}

}  // namespace tyx
