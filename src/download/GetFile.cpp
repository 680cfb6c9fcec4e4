#include "download/GetFile.h"

#include "download/ResumableDownload.h"
#include "platform/ErrorRecord.h"
#include "session/ProgressBar.h"

namespace tyx {
namespace {

const char kMakerSite[] = "https://www.tyx.invalid/";

struct SessionHandle {
  IInternet& net;
  InternetHandle h = 0;
  ~SessionHandle() { net.CloseHandle(h); }
};

uint8_t Download(Session& s, bool viaProxy, const std::string& destination, const std::string& address,
                 int32_t chunk, int32_t expected) {
  IInternet& net = s.platform.internet;
  uint8_t code = 3;
  try {
    SessionHandle session{net};
    if (viaProxy) {
      s.log.WriteLog("InternetOpen('Norva', 3, " + s.run.gProxyAdr + ", vbNullString, 0)");
      session.h = net.Open(false, "Norva", INTERNET_OPEN_TYPE_PROXY, s.run.gProxyAdr, true, 0);
      s.log.WriteLog(std::string("InternetOpenUrl (") + kMakerSite + ")");
    } else {
      session.h = net.Open(true, "", INTERNET_OPEN_TYPE_DIRECT, "", false, 1);
    }
    // A server that stops sending fails the read instead of holding the run for ever.
    net.SetOption(session.h, INTERNET_OPTION_RECEIVE_TIMEOUT, kStallMs);
    code = FetchResumable(s, {session.h, !viaProxy, viaProxy ? 0u : 2u, "https://" + address, chunk, expected},
                          destination);
  } catch (const ErrorRecord& e) {
    s.run.gLastError = e.Description();
    code = 3;
  }
  ClearProgress(s.window.StatusBox());
  if (code == 3) s.log.WriteLog(s.run.gLastError);
  return code;
}

}  // namespace

uint8_t GetFile(Session& s, const std::string& destination, const std::string& address, int32_t chunk,
                int32_t expected) {
  return Download(s, false, destination, address, chunk, expected);
}

uint8_t GetFileViaProxy(Session& s, const std::string& destination, const std::string& address, int32_t chunk,
                        int32_t expected) {
  return Download(s, true, destination, address, chunk, expected);
}

}  // namespace tyx
