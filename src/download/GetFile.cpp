#include "download/GetFile.h"

#include <limits>
#include <vector>

#include "platform/ErrorRecord.h"
#include "platform/VersionInfo.h"
#include "session/ProgressBar.h"

namespace tyx {
namespace {

const char kMakerSite[] = "https://www.tyx.invalid/";

struct Transfer {
  InternetHandle session = 0, url = 0;
  uintptr_t file = 0;
};

// Thrown for a transfer that must not count as done; the code is the answer.
struct Failed {
  uint8_t code;
  std::string description;
};

std::string FreshTempPath(Session& s) {
  std::string path;
  do {
    path = GetLongPath(s.platform.system, s.platform.files.TemporaryFolder()) + "\\" + s.platform.files.GetTempName();
  } while (s.platform.files.FileExists(path));
  return path;
}

void CheckStatus(IInternet& net, InternetHandle url) {
  std::string status;
  // Every https answer has a status; one that cannot be read is no proof of success.
  if (!net.QueryInfo(url, HTTP_QUERY_STATUS_CODE, 32, status)) throw Failed{3, "Server neodpověděl stavem HTTP"};
  status = status.substr(0, status.find('\0'));
  if (status == "200") return;
  if (status == "404") throw Failed{2, ""};
  throw Failed{3, "Server odpověděl stavem HTTP " + status};
}

// The length the response itself declares, or -1.
int64_t DeclaredLength(IInternet& net, InternetHandle url) {
  std::string text;
  if (!net.QueryInfo(url, HTTP_QUERY_CONTENT_LENGTH, 32, text)) return -1;
  text = text.substr(0, text.find('\0'));
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 18) return -1;
  return std::stoll(text);
}

// A half-written temporary file is of no use to anyone.
void RemoveLeftover(IFileSystem& files, const std::string& temp) {
  try {
    if (!temp.empty() && files.FileExists(temp)) files.DeleteFile(temp, true);
  } catch (const ErrorRecord&) {
  }
}

uint8_t Download(Session& s, bool viaProxy, const std::string& destination, const std::string& address,
                 int32_t chunk, int32_t expected) {
  IInternet& net = s.platform.internet;
  IFileSystem& files = s.platform.files;
  ISurface& box = s.window.StatusBox();
  Transfer t;
  std::string temp;
  auto cleanUp = [&] {
    if (t.file) files.Close(t.file);
    t.file = 0;
    ClearProgress(box);
    net.CloseHandle(t.url);
    net.CloseHandle(t.session);
    t.url = t.session = 0;
  };
  try {
    temp = FreshTempPath(s);
    if (viaProxy) {
      s.log.WriteLog("InternetOpen('Norva', 3, " + s.run.gProxyAdr + ", vbNullString, 0)");
      t.session = net.Open(false, "Norva", INTERNET_OPEN_TYPE_PROXY, s.run.gProxyAdr, true, 0);
      s.log.WriteLog(std::string("InternetOpenUrl (") + kMakerSite + ")");
    } else {
      t.session = net.Open(true, "", INTERNET_OPEN_TYPE_DIRECT, "", false, 1);
    }
    t.url = net.OpenUrl(!viaProxy, t.session, "https://" + address, INTERNET_FLAG_RELOAD, viaProxy ? 0 : 2);
    if (!t.url) {
      cleanUp();
      return 1;
    }
    CheckStatus(net, t.url);
    const int64_t declared = DeclaredLength(net, t.url);
    t.file = files.CreateForWrite(temp);
    // A name taken since it was chosen is never written through, nor taken for the package.
    for (int tries = 0; !t.file && tries < 3 && files.FileExists(temp); ++tries) {
      temp = FreshTempPath(s);
      t.file = files.CreateForWrite(temp);
    }
    const bool created = t.file != 0;
    if (created) {
      if (chunk <= 0 || chunk > std::numeric_limits<int32_t>::max() / 1024) throw Failed{3, "Overflow"};
      std::vector<char> buffer(static_cast<size_t>(chunk) * 1024);
      int64_t total = 0;
      for (;;) {
        uint32_t read = 0;
        if (!net.ReadFile(t.url, buffer.data(), static_cast<uint32_t>(buffer.size()), read))
          throw Failed{3, "Přenos souboru byl přerušen (chyba " + std::to_string(net.LastError()) + ")"};
        uint32_t written = 0;
        if (read > 0 && (!files.Write(t.file, buffer.data(), read, written) || written != read))
          throw Failed{3, "Zápis do dočasného souboru " + temp + " selhal"};
        total += read;
        if (total > std::numeric_limits<int32_t>::max()) throw Failed{3, "Overflow"};
        s.Pump();
        if (expected != 0)
          ShowProgress(box, static_cast<float>(total) / static_cast<float>(expected), false);
        else
          ShowProgressBytes(box, static_cast<float>(total), s.run.gProgressPos);
        s.Pump();
        if (read == 0) break;
      }
      if (declared >= 0 && total != declared)
        throw Failed{3, "Soubor nebyl stažen celý (" + std::to_string(total) + " z " + std::to_string(declared) +
                            " bajtů)"};
    }
    cleanUp();
    if (!created || !files.FileExists(temp)) return 2;
    if (files.FileExists(destination)) files.DeleteFile(destination, true);
    files.MoveFile(temp, destination);
    return 0;
  } catch (const Failed& f) {
    cleanUp();
    RemoveLeftover(files, temp);
    if (f.code != 3) return f.code;
    s.run.gLastError = f.description;
  } catch (const ErrorRecord& e) {
    cleanUp();
    RemoveLeftover(files, temp);
    s.run.gLastError = e.Description();
  }
  s.log.WriteLog(s.run.gLastError);
  return 3;
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
