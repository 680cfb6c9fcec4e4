// The size query and the download against any status, Content-Length,
// Last-Modified and body: the size is never negative, only a 200 answer
// gives a package, and that package is exactly the body; nothing stays open.
// Input: status, Content-Length and Last-Modified on the first three lines,
// then the body.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "download/GetFile.h"
#include "download/GetHttpInfo.h"
#include "fakes/SessionHarness.h"

namespace {

const char kHost[] = "norva.tyx.invalid";
const char kPath[] = "/tyx/norva/newverall/update.cab";

std::string Line(std::string& rest) {
  size_t end = rest.find('\n');
  std::string line = rest.substr(0, end);
  rest = end == std::string::npos ? "" : rest.substr(end + 1);
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static tyx::test::SessionHarness h;
  std::string rest(reinterpret_cast<const char*>(data), size);
  tyx::test::FakeInternet::Response response;
  response.status = Line(rest);
  response.contentLength = Line(rest);
  response.lastModified = Line(rest);
  response.body = rest;
  h.internet.responses[std::string("https://") + kHost + kPath] = response;
  h.internet.responses[std::string("http://") + kHost + kPath] = response;

  int32_t expected = 0;
  std::string lastModified;
  tyx::GetHttpInfo(h.session, kHost, kPath, expected, lastModified);
  if (expected < 0) std::abort();
  const std::string destination = h.run.gTempPath + "\\update.cab";
  uint8_t code = tyx::GetFile(h.session, destination, std::string(kHost) + kPath, 8, expected);
  const bool stored = h.dir.Exists("temp/update.cab");
  // WinINet's buffers end in NULs; the status is what comes before them.
  const std::string status = response.status.substr(0, response.status.find('\0'));
  if (code == 0 && (status != "200" || !stored || h.dir.Read("temp/update.cab") != response.body))
    std::abort();
  if (code != 0 && stored) std::abort();
  if (h.internet.openHandles != 0 || h.files.openFiles != 0) std::abort();
  std::filesystem::remove(h.dir.Native("temp/update.cab"));
  std::filesystem::remove(h.dir.Native("own/Update.log"));
  return 0;
}
