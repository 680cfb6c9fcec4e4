#include "download/DownloadStep.h"

#include <gtest/gtest.h>

#include "download/GetFile.h"
#include "download/GetHttpInfo.h"
#include "download/SourceDecision.h"
#include "fakes/SessionHarness.h"
#include "product/Catalogue.h"
#include "update/UpdateFlow.h"

namespace tyx {
namespace {

using test::SessionHarness;
using Response = test::FakeInternet::Response;

const std::string kUrl = "https://norva.tyx.invalid/tyx/norva/newverall/update.cab";
const std::string kSizeUrl = "http://norva.tyx.invalid/tyx/norva/newverall/update.cab";
const std::string kMissing = "Aktualizační soubor 'update.cab' nebyl nalezen v adresáři s daty.";

struct Web : SessionHarness {
  uint8_t Get(int32_t expected = 0, bool proxy = false) {
    const std::string dest = run.gTempPath + "\\update.cab", address = kUrl.substr(8);
    return proxy ? GetFileViaProxy(session, dest, address, 8, expected) : GetFile(session, dest, address, 8, expected);
  }
  void Update(const std::string& type) {
    form().mNewVerType = type;
    form().mHost = "norva.tyx.invalid";
    form().mPath = "/tyx/norva/newverall/";
    WebUpdate(session);
  }
  bool Shown(const std::string& text) const {
    return std::find(window.statusHistory.begin(), window.statusHistory.end(), text) != window.statusHistory.end();
  }
};

TEST(Download, ArrivesWholeInChunksThroughEitherOpen) {
  for (size_t size : {0u, 10u, 100000u}) {
    Web h;
    h.dir.Write("temp/update.cab", "older package");
    h.internet.responses[kUrl].body = std::string(size, 'x');
    EXPECT_EQ(h.Get(static_cast<int32_t>(size), size == 10), 0);
    EXPECT_EQ(h.dir.Read("temp/update.cab"), std::string(size, 'x'));
    EXPECT_EQ(h.internet.openHandles + h.files.openFiles, 0);
    EXPECT_EQ(h.files.Files(h.run.gTempPath), (std::vector<std::string>{".keep", "update.cab"}));
    EXPECT_TRUE(h.window.box.navy.empty());  // cleared at the end
  }
}

TEST(Download, FailuresNeverReplaceTheDestination) {
  struct Case {
    const char *status, *contentLength;
    std::string body;
    size_t failAfter;
    uint32_t writeLimit;
    uint8_t code;
    const char* error;
  } cases[] = {
      {"404", "auto", "", std::string::npos, UINT32_MAX, 2, ""},
      {"", "auto", "MSCF", std::string::npos, UINT32_MAX, 3, "Server neodpověděl stavem HTTP"},
      {"500", "auto", "<html>", std::string::npos, UINT32_MAX, 3, "Server odpověděl stavem HTTP 500"},
      {"200", "auto", std::string(20000, 'x'), 8192, UINT32_MAX, 3, "Přenos souboru byl přerušen (chyba 12002)"},
      {"200", "100000", "MSCF part", std::string::npos, UINT32_MAX, 3, "Soubor nebyl stažen celý (9 z 100000 bajtů)"},
      {"200", "auto", std::string(20000, 'x'), std::string::npos, 10000, 3, "selhal"},
      {nullptr, "", "", 0, UINT32_MAX, 1, ""},  // no connection
  };
  for (const Case& c : cases) {
    Web h;
    h.dir.Write("temp/update.cab", "older package");
    if (c.status) h.internet.responses[kUrl] = {c.status, c.body, c.contentLength, "", c.failAfter, 8192};
    h.files.writeLimit = c.writeLimit;
    EXPECT_EQ(h.Get(), c.code) << c.error;
    EXPECT_NE(h.run.gLastError.find(c.error), std::string::npos) << c.error;
    EXPECT_EQ(h.dir.Read("temp/update.cab"), "older package") << c.error;
    EXPECT_EQ(h.internet.openHandles + h.files.openFiles, 0) << c.error;
    EXPECT_EQ(h.files.Files(h.run.gTempPath).size(), 2u) << c.error;  // no temporary file left
  }
}

TEST(Download, UnknownSizeShowsBytesASmallerOneOver100Percent) {
  Web h;
  h.internet.responses[kUrl].body = std::string(9000, 'x');
  h.Get(0);
  EXPECT_EQ(h.window.box.texts[0], "8192");
  h.Get(4500);
  EXPECT_EQ(h.window.box.texts.back(), "200%");
}

TEST(SizeQuery, LengthOrTheReasonWhyNot) {
  struct Case {
    std::string length;
    int32_t size;
    const char* why;  // nullptr: no log line
    std::string range = "";
  } cases[] = {{"auto", 1234, nullptr},
               {"0", 0, nullptr},
               {"", 7, "Type mismatch"},
               {"2147483648", 7, "Overflow"},
               {"12abc", 7, "Type mismatch"},
               {std::string(1024, '1'), 7, "Type mismatch"},
               {"1", 104857600, nullptr, "bytes 0-0/104857600"},
               {"1", 0, nullptr, "bytes */0"},
               {"1", 7, "Type mismatch", "bytes 0-0/*"}};
  for (const Case& c : cases) {
    SessionHarness h;
    h.internet.responses[kSizeUrl].body = std::string(1234, 'x');
    h.internet.responses[kSizeUrl].contentLength = c.length;
    h.internet.responses[kSizeUrl].contentRange = c.range;
    int32_t size = 7;
    std::string modified;
    GetHttpInfo(h.session, "norva.tyx.invalid", "/tyx/norva/newverall/update.cab", size, modified);
    EXPECT_EQ(size, c.size) << c.length;
    EXPECT_EQ(h.LogMessages(), c.why ? std::vector<std::string>{std::string("Velikost souboru nebyla zjištěna. (") +
                                                                c.why + ")"}
                                     : std::vector<std::string>{});
    EXPECT_EQ(h.internet.openHandles, 0);
    if (!c.why) {
      EXPECT_EQ(modified, "Mon, 07 Dec 2026 10:00:00 GMT");
    }
  }
}

TEST(DownloadStep, FailedDownloadRemovesTheOldPackageAndKeepsTheWindowOpen) {
  Web h;
  h.dir.Write("temp/update.cab", "older package");
  h.Update("1");
  EXPECT_EQ(h.window.statusCaption, "Nelze navázat připojení k internetu");
  EXPECT_FALSE(h.dir.Exists("temp/update.cab"));
  EXPECT_FALSE(h.window.timers[1]);
  EXPECT_EQ(h.LogMessages(),
            (std::vector<std::string>{"Výpočet velikosti souboru update.cab",
                                      "Doména norva.tyx.invalid, cesta /tyx/norva/newverall/update.cab",
                                      "Velikost souboru nebyla zjištěna. ()",
                                      "Stažení souboru update.cab do " + h.run.gTempPath + "\\update.cab",
                                      "Nelze navázat připojení k internetu"}));
  h.internet.responses[kUrl].status = "503";
  h.Update("1");
  EXPECT_EQ(h.window.statusCaption, "Server odpověděl stavem HTTP 503\t3");
}

TEST(DownloadStep, OnlyTypeTwoSharesThePackageAndOnlyAfterSuccess) {
  struct Case {
    const char *type, *status;
    bool locked;
    const char* shared;  // the data folder's package afterwards
  } cases[] = {{"1", "200", false, "older"}, {"2", "500", false, "older"}, {"2", "200", false, "MSCF new"},
               {"2", "200", true, "older"}};
  for (const Case& c : cases) {
    Web h;
    h.internet.responses[kUrl] = {c.status, "MSCF new"};
    h.dir.Write("data/update.cab", "older");
    if (c.locked) h.files.locked.push_back(h.run.gDataPath + "\\update.cab");
    h.Update(c.type);
    EXPECT_EQ(h.dir.Read("data/update.cab"), c.shared) << c.type << c.status;
    EXPECT_EQ(h.Shown("Aktualizační soubor nelze uložit do adresáře s daty (Permission denied)"), c.locked);
    EXPECT_EQ(h.window.timers[1], *c.status == '2');  // extraction failed, the window closes all the same
    if (*c.status == '2') {
      EXPECT_TRUE(h.Shown("Stažení souborů dokončeno"));
    }
  }
  Web unset;
  DownloadUpdate(unset.session);
  EXPECT_TRUE(unset.window.statusHistory.empty());
}

TEST(SourceDecision, LocalPackageMissingOrNotCopiableEndsTheRun) {
  for (bool present : {false, true}) {
    SessionHarness h;
    h.registry.SetText(h.run.gRegKey + h.run.gRegSubKey, "NEWVERTYPE", "0");
    h.dir.Write(present ? "data/update.cab" : "temp/update.cab", "MSCF");
    if (present) h.files.locked.push_back(h.run.gTempPath + "\\update.cab");
    UpdateProduct(h.session);
    const std::string shown =
        present ? "Aktualizační soubor 'update.cab' nelze připravit k rozbalení (Permission denied)" : kMissing;
    EXPECT_EQ(h.LogMessages(), (std::vector<std::string>{"Typ aktualizace: 0", shown}));
    EXPECT_EQ(h.window.statusCaption, shown);
    EXPECT_TRUE(h.window.timers[1]);
    EXPECT_FALSE(h.dir.Exists("temp/update.cab"));  // a stale package never survives
  }
}

TEST(SourceDecision, TypeProxyAndChannel) {
  struct Case {
    const char *product, *cmdLine, *channel, *type, *proxy;  // nullptr: value absent
    const char *logged, *path, *session;
  } cases[] = {
      {"Norva", "x", "", "0 ", nullptr, "0 ", "/tyx/norva/newverall/", "wide  1 "},
      {"Norva", "x", "", "00", "1", "00", "/tyx/norva/newverall/", "ansi Norva 3 "},  // ProxyAdr empty
      {"Norva", "x", "betas", "", "yes", "", "/tyx/norva/newverall/", "wide  1 "},
      {"Norva", "x", "", "01", "01", "01", "/tyx/norva/newverall/", "wide  1 "},
      {"NorvaLite", "  ", "", "0", "true", "1", "/tyx/norvalite/newverall/", "wide  1 "},
      {"TalvikPro", "x", "beta", nullptr, nullptr, "1", "/tyx/talvikpro/beta/", "wide  1 "},
  };
  for (const Case& c : cases) {
    SessionHarness h(c.product);
    h.run.gCmdLine = c.cmdLine;
    h.run.gChannel = c.channel;
    if (c.type) h.registry.SetText(h.run.gRegKey + h.run.gRegSubKey, "NEWVERTYPE", c.type);
    if (c.proxy) h.registry.SetText(h.run.gRegKey + h.run.gRegSubKey, "Proxy", c.proxy);
    UpdateProduct(h.session);
    EXPECT_EQ(h.LogMessages()[0], std::string("Typ aktualizace: ") + c.logged);
    EXPECT_EQ(h.form().mPath, c.path) << c.product << c.channel;
    ASSERT_FALSE(h.internet.opens.empty());
    EXPECT_EQ(h.internet.opens.back(), c.session) << c.product << c.type;
    auto log = h.LogMessages();
    EXPECT_EQ(std::count(log.begin(), log.end(), "InternetOpen('Norva', 3, , vbNullString, 0)"), c.session[0] == 'a');
  }
  SessionHarness t("Talvik");  // outside the Norva family an empty command line changes nothing
  t.run.gCmdLine = "";
  t.registry.SetText(t.run.gRegKey + t.run.gRegSubKey, "NEWVERTYPE", "0");
  DecideSource(t.session);
  EXPECT_EQ(t.LogMessages()[0], "Typ aktualizace: 0");
}

TEST(SourceTable, FamiliesShareHosts) {
  WebSource a, b, c, d;
  ASSERT_TRUE(FindWebSource("Talvik", false, a) && FindWebSource("TalvikPro", true, b) &&
              FindWebSource("Bremo", false, c) && FindWebSource("NorvaPro", true, d));
  EXPECT_EQ(a.host, b.host);
  EXPECT_NE(a.host, c.host);
  EXPECT_NE(a.host, d.host);
  EXPECT_EQ(d.path, "/tyx/norvapro/betaall/");
  EXPECT_FALSE(FindWebSource("norva", false, a));
}

}  // namespace
}  // namespace tyx
