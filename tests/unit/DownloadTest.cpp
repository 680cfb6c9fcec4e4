#include "download/DownloadStep.h"

#include <gtest/gtest.h>

#include "download/GetFile.h"
#include "download/GetHttpInfo.h"
#include "fakes/SessionHarness.h"
#include "update/UpdateFlow.h"

namespace tyx {
namespace {

using test::SessionHarness;
using Response = test::FakeInternet::Response;

const std::string kUrl = "https://norva.tyx.invalid/tyx/norva/newverall/update.cab";
const std::string kSizeUrl = "http://norva.tyx.invalid/tyx/norva/newverall/update.cab";

class DownloadTest : public ::testing::Test {
 protected:
  uint8_t Get(int32_t expected = 0, bool proxy = false) {
    const std::string dest = h.run.gTempPath + "\\update.cab";
    const std::string address = "norva.tyx.invalid/tyx/norva/newverall/update.cab";
    return proxy ? GetFileViaProxy(h.session, dest, address, 8, expected) : GetFile(h.session, dest, address, 8, expected);
  }
  std::string Staged() { return h.dir.Read("temp/update.cab"); }
  void ExpectNothingLeftOpen() {
    EXPECT_EQ(h.internet.openHandles, 0);
    EXPECT_EQ(h.files.openFiles, 0);
    EXPECT_EQ(h.files.Files(h.run.gTempPath), (std::vector<std::string>{".keep", "update.cab"}));  // no temporary file left
  }
  SessionHarness h;
};

TEST_F(DownloadTest, SmallFileArrivesWholeAndReplacesTheDestination) {
  h.dir.Write("temp/update.cab", "older package");
  h.internet.responses[kUrl].body = "MSCF small";
  EXPECT_EQ(Get(), 0);
  EXPECT_EQ(Staged(), "MSCF small");
  ExpectNothingLeftOpen();
  // One read with data, one empty read: two progress pictures, then cleared.
  int pictures = 0;
  for (const std::string& c : h.window.box.calls) pictures += c == "refresh";
  EXPECT_EQ(pictures, 3);
  EXPECT_EQ(h.window.box.calls[h.window.box.calls.size() - 2], "clear");
  ASSERT_EQ(h.internet.opens.size(), 2u);
  EXPECT_TRUE(h.internet.opens[0].wide);
  EXPECT_EQ(h.internet.opens[0].access, INTERNET_OPEN_TYPE_DIRECT);
  EXPECT_EQ(h.internet.opens[0].flags, 1u);
  EXPECT_EQ(h.internet.opens[1].flags, INTERNET_FLAG_RELOAD);
  EXPECT_EQ(h.internet.opens[1].context, 2u);
}

TEST_F(DownloadTest, EmptyFileAndLargeFileInChunks) {
  h.internet.responses[kUrl].body = "";
  EXPECT_EQ(Get(), 0);
  EXPECT_EQ(Staged(), "");
  std::string big(100000, 'x');
  h.internet.responses[kUrl].body = big;
  EXPECT_EQ(Get(100000), 0);
  EXPECT_EQ(Staged(), big);
}

TEST_F(DownloadTest, ProxyUsesTheAnsiCallsAndSaysSo) {
  h.run.gProxyAdr = "";
  h.internet.responses[kUrl].body = "MSCF";
  EXPECT_EQ(Get(0, true), 0);
  EXPECT_FALSE(h.internet.opens[0].wide);
  EXPECT_EQ(h.internet.opens[0].agent, "Norva");
  EXPECT_EQ(h.internet.opens[0].access, INTERNET_OPEN_TYPE_PROXY);
  EXPECT_EQ(h.LogMessages(), (std::vector<std::string>{"InternetOpen('Norva', 3, , vbNullString, 0)",
                                                       "InternetOpenUrl (https://www.tyx.invalid/)"}));
}

TEST_F(DownloadTest, NoConnection) {
  h.dir.Write("temp/update.cab", "older package");
  EXPECT_EQ(Get(), 1);
  EXPECT_EQ(Staged(), "older package");
  EXPECT_EQ(h.internet.openHandles, 0);
}

TEST_F(DownloadTest, FailuresNeverReplaceTheDestination) {
  struct Case {
    Response response;
    uint8_t code;
    std::string error;
  };
  Response notFound, serverError, noStatus, readFails, shortBody;
  notFound.status = "404";
  serverError.status = "500";
  serverError.body = "<html>error</html>";
  readFails.body = std::string(20000, 'x');
  readFails.failReadAfter = 8192;
  shortBody.body = "MSCF part";
  shortBody.contentLength = "100000";
  noStatus.status = "";
  noStatus.body = "MSCF";
  const Case cases[] = {{notFound, 2, ""},
                        {noStatus, 3, "Server neodpověděl stavem HTTP"},
                        {serverError, 3, "Server odpověděl stavem HTTP 500"},
                        {readFails, 3, "Přenos souboru byl přerušen (chyba 12002)"},
                        {shortBody, 3, "Soubor nebyl stažen celý (9 z 100000 bajtů)"}};
  for (const Case& c : cases) {
    h.dir.Write("temp/update.cab", "older package");
    h.run.gLastError.clear();
    h.internet.responses[kUrl] = c.response;
    EXPECT_EQ(Get(), c.code) << c.error;
    EXPECT_EQ(h.run.gLastError, c.error);
    EXPECT_EQ(Staged(), "older package");
    ExpectNothingLeftOpen();
  }
}

TEST_F(DownloadTest, Type2CopyThatFailsIsShownAndTheUpdateGoesOn) {
  h.form().mNewVerType = "2";
  h.form().mHost = "norva.tyx.invalid";
  h.form().mPath = "/tyx/norva/newverall/";
  h.internet.responses[kUrl].body = "MSCF";
  h.dir.Write("data/update.cab", "older package");
  h.files.locked.push_back(h.run.gDataPath + "\\update.cab");
  WebUpdate(h.session);
  const auto& shown = h.window.statusHistory;
  EXPECT_NE(std::find(shown.begin(), shown.end(),
                      "Aktualizační soubor nelze uložit do adresáře s daty (Permission denied)"),
            shown.end());
  EXPECT_EQ(h.dir.Read("data/update.cab"), "older package");
  EXPECT_EQ(h.cabinet.iterations, 1);  // extraction still runs
  EXPECT_TRUE(h.window.timers[1]);
}

TEST_F(DownloadTest, FullDiskIsAFailure) {
  h.internet.responses[kUrl].body = std::string(20000, 'x');
  h.files.writeLimit = 10000;
  EXPECT_EQ(Get(), 3);
  EXPECT_NE(h.run.gLastError.find("selhal"), std::string::npos);
  EXPECT_FALSE(h.dir.Exists("temp/update.cab"));
  EXPECT_EQ(h.files.openFiles, 0);
}

TEST_F(DownloadTest, UnknownSizeShowsBytesExpectedSmallerShowsOver100) {
  h.internet.responses[kUrl].body = std::string(9000, 'x');
  Get(0);
  EXPECT_NE(std::find(h.window.box.calls.begin(), h.window.box.calls.end(), "print 2596 95 8192"),
            h.window.box.calls.end());
  h.window.box.calls.clear();
  Get(4500);
  bool over = false;
  for (const std::string& c : h.window.box.calls) over |= c.find(" 200%") != std::string::npos;
  EXPECT_TRUE(over);
}

TEST(SizeQuery, ReadsLengthOverPlainHttpWithRealTimeouts) {
  SessionHarness h;
  h.internet.responses[kSizeUrl].body = std::string(1234, 'x');
  int32_t size = 0;
  std::string modified;
  GetHttpInfo(h.session, "norva.tyx.invalid", "/tyx/norva/newverall/update.cab", size, modified);
  EXPECT_EQ(size, 1234);
  EXPECT_EQ(modified, "Mon, 07 Dec 2026 10:00:00 GMT");
  EXPECT_EQ(h.internet.requests,
            std::vector<std::string>{"GET http://norva.tyx.invalid/tyx/norva/newverall/update.cab HTTP/1.0"});
  EXPECT_EQ(h.internet.timeouts, (std::vector<uint32_t>{5000, 5000, 5000}));
  EXPECT_EQ(h.internet.opens[0].agent, "TYX downloader");
  EXPECT_EQ(h.internet.opens[0].access, INTERNET_OPEN_TYPE_PRECONFIG);
  EXPECT_EQ(h.internet.openHandles, 0);
  EXPECT_TRUE(h.LogMessages().empty());
}

TEST(SizeQuery, UnusableLengthsLeaveTheSizeAndSayWhy) {
  const std::string tooLong(1024, '1');  // does not fit the header buffer
  for (auto [length, why] : {std::pair<std::string, std::string>{"", "Type mismatch"}, {"2147483648", "Overflow"},
                             {"12abc", "Type mismatch"}, {tooLong, "Type mismatch"}}) {
    SessionHarness h;
    h.internet.responses[kSizeUrl].contentLength = length;
    int32_t size = 7;
    std::string modified = "before";
    GetHttpInfo(h.session, "norva.tyx.invalid", "/tyx/norva/newverall/update.cab", size, modified);
    EXPECT_EQ(size, 7);
    EXPECT_EQ(h.LogMessages(), std::vector<std::string>{std::string("Velikost souboru nebyla zjištěna. (") + why + ")"});
  }
  SessionHarness unreachable;
  int32_t size = 0;
  std::string modified;
  GetHttpInfo(unreachable.session, "nowhere.invalid", "/x", size, modified);
  EXPECT_EQ(unreachable.LogMessages(), std::vector<std::string>{"Velikost souboru nebyla zjištěna. ()"});
}

class DownloadStepTest : public ::testing::Test {
 protected:
  void Run(const std::string& type) {
    h.form().mNewVerType = type;
    h.form().mHost = "norva.tyx.invalid";
    h.form().mPath = "/tyx/norva/newverall/";
    WebUpdate(h.session);
  }
  SessionHarness h;
};

TEST_F(DownloadStepTest, UnsetTypeDoesNothing) {
  DownloadUpdate(h.session);
  EXPECT_TRUE(h.window.statusHistory.empty());
}

TEST_F(DownloadStepTest, FailedDownloadRemovesTheOldPackageAndKeepsTheWindowOpen) {
  h.dir.Write("temp/update.cab", "older package");
  Run("1");
  EXPECT_EQ(h.window.statusCaption, "Nelze navázat připojení k internetu");
  EXPECT_FALSE(h.dir.Exists("temp/update.cab"));
  EXPECT_FALSE(h.window.timers[1]);
  EXPECT_EQ(h.LogMessages(),
            (std::vector<std::string>{"Výpočet velikosti souboru update.cab",
                                      "Doména norva.tyx.invalid, cesta /tyx/norva/newverall/update.cab",
                                      "Velikost souboru nebyla zjištěna. ()",
                                      "Stažení souboru update.cab do " + h.run.gTempPath + "\\update.cab",
                                      "Nelze navázat připojení k internetu"}));
}

TEST_F(DownloadStepTest, RunTimeFailureShowsTextTabAndCode) {
  h.internet.responses[kUrl].status = "503";
  Run("1");
  EXPECT_EQ(h.window.statusCaption, "Server odpověděl stavem HTTP 503\t3");
}

TEST_F(DownloadStepTest, TypeTwoSharesThePackageOnlyAfterSuccess) {
  h.internet.responses[kUrl].status = "500";
  h.dir.Write("data/update.cab", "shared older");
  Run("2");
  EXPECT_EQ(h.dir.Read("data/update.cab"), "shared older");

  h.internet.responses[kUrl] = Response();
  h.internet.responses[kUrl].body = "MSCF new";
  h.MakeCabinet("temp/update.cab", {{"NorvaV.exe", "V"}});
  h.cabinet.cabinets.erase(h.run.gTempPath + "\\update.cab");
  Run("2");
  EXPECT_EQ(h.dir.Read("data/update.cab"), "MSCF new");
  EXPECT_TRUE(h.window.timers[1]);  // the extraction failed, and the window closes all the same
}

TEST_F(DownloadStepTest, TypeOneNeverWritesTheDataFolder) {
  h.internet.responses[kUrl].body = "MSCF new";
  Run("1");
  EXPECT_FALSE(h.dir.Exists("data/update.cab"));
  EXPECT_EQ(h.window.statusHistory[2], "Stažení souborů dokončeno");
}

}  // namespace
}  // namespace tyx
