#include "descriptor/FetchDescriptor.h"

#include <vector>

#include "descriptor/ReleaseDescriptor.h"
#include "download/GetHttpInfo.h"
#include "download/ResumableDownload.h"

namespace tyx {
namespace {

struct Handle {
  IInternet& net;
  InternetHandle h;
  ~Handle() { net.CloseHandle(h); }
};

}  // namespace

std::optional<FetchedDescriptor> FetchDescriptor(Session& s, const std::string& url) {
  IInternet& net = s.platform.internet;
  // Opened as the download opens its own.
  const bool viaProxy = s.run.gProxy;
  Handle session{net, viaProxy ? net.Open(false, "Norva", INTERNET_OPEN_TYPE_PROXY, s.run.gProxyAdr, true, 0)
                               : net.Open(true, "", INTERNET_OPEN_TYPE_DIRECT, "", false, 1)};
  if (!session.h) return std::nullopt;
  net.SetOption(session.h, INTERNET_OPTION_RECEIVE_TIMEOUT, kStallMs);
  // Not kept for the package's requests: a refusal's page is left unread, and
  // a connection handed on with it has been seen to hold the next request.
  Handle file{net, net.OpenUrl(!viaProxy, session.h, url, "Connection: close\r\n", INTERNET_FLAG_RELOAD,
                               viaProxy ? 0u : 2u)};
  if (!file.h) return std::nullopt;
  net.SetOption(file.h, INTERNET_OPTION_RECEIVE_TIMEOUT, kStallMs);
  FetchedDescriptor fetched;
  QueryHttpHeader(net, file.h, fetched.text, HTTP_QUERY_STATUS_CODE);
  if (fetched.text != "200") return std::nullopt;
  QueryHttpHeader(net, file.h, fetched.date, HTTP_QUERY_DATE);
  fetched.text.clear();
  std::vector<char> buffer(8192);
  for (uint32_t read = 0;; fetched.text.append(buffer.data(), read)) {
    if (!net.ReadFile(file.h, buffer.data(), static_cast<uint32_t>(buffer.size()), read)) return std::nullopt;
    if (read == 0) return fetched;
    if (fetched.text.size() + read > kMaxDescriptorSize) return std::nullopt;
  }
}

}  // namespace tyx
