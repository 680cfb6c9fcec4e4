#include "update/UpdateFlow.h"

#include <gtest/gtest.h>

#include "download/GetFile.h"
#include "download/GetHttpInfo.h"
#include "fakes/Fakes.h"

namespace tyx::test {

const std::string kUrl = "https://norva.tyx.invalid/tyx/norva/newverall/update.cab";

// Fetches kUrl into the temporary folder, through the proxy or not.
static uint8_t Get(Harness& h, int32_t expected, bool proxy = false) {
  const std::string dest = h.run.gTempPath + "\\update.cab", address = kUrl.substr(8);
  return proxy ? GetFileViaProxy(h.session, dest, address, 8, expected) : GetFile(h.session, dest, address, 8, expected);
}

TEST(Download, ArrivesWholeOrNeverReplacesTheDestination) {
  const std::string big(20000, 'x');
  struct Case {
    test::FakeInternet::Response response;  // status "": no connection
    uint32_t writeLimit;
    uint8_t code;
    const char* error;  // "": the body arrives
  } cases[] = {
      {{"200", ""}, UINT32_MAX, 0, ""},
      {{"200", std::string(100000, 'y')}, UINT32_MAX, 0, ""},
      {{"404"}, UINT32_MAX, 2, ""},
      {{"", "MSCF"}, UINT32_MAX, 3, "Server neodpověděl stavem HTTP"},
      {{"500", "<html>"}, UINT32_MAX, 3, "Server odpověděl stavem HTTP 500"},
      {{"200", big, "auto", "", 8192}, UINT32_MAX, 3, "Přenos souboru byl přerušen (chyba 12002)"},
      {{"200", "MSCF part", "100000"}, UINT32_MAX, 3, "Soubor nebyl stažen celý (9 z 100000 bajtů)"},
      {{"200", big}, 10000, 3, "selhal"},
      {{"-"}, UINT32_MAX, 1, ""},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    test::Harness h;
    h.dir.Write("temp/update.cab", "older package");
    if (c.response.status != "-") h.internet.responses[kUrl] = c.response;
    h.files.writeLimit = c.writeLimit;
    EXPECT_EQ(Get(h, static_cast<int32_t>(c.response.body.size()), i == 1), c.code) << c.error;
    EXPECT_NE(h.run.gLastError.find(c.error), std::string::npos) << h.run.gLastError;
    EXPECT_EQ(h.dir.Read("temp/update.cab"), c.code ? "older package" : c.response.body) << c.error;
    EXPECT_EQ(h.internet.openHandles + h.files.openFiles, 0) << c.error;
    EXPECT_EQ(h.files.Files(h.run.gTempPath), (Lines{".keep", "update.cab"})) << c.error;  // no temporary file left
    EXPECT_TRUE(h.window.navy.empty());  // the box is cleared at the end
  }
  test::Harness h;  // an unknown size shows the bytes
  h.internet.responses[kUrl].body = std::string(9000, 'x');
  Get(h, 0);
  EXPECT_EQ(h.window.texts[0], "8192");
}

TEST(Download, SizeQueryGivesTheLengthOrTheReasonWhyNot) {
  const struct {
    std::string length;
    int32_t size;
    const char* why;  // nullptr: no log line
    std::string range = "";
  } cases[] = {{"auto", 1234, nullptr}, {"0", 0, nullptr}, {"", 7, "Type mismatch"}, {"2147483648", 7, "Overflow"},
               {"12abc", 7, "Type mismatch"}, {std::string(1024, '1'), 7, "Type mismatch"},
               {"1", 104857600, nullptr, "bytes 0-0/104857600"}, {"1", 0, nullptr, "bytes */0"},
               {"1", 7, "Type mismatch", "bytes 0-0/*"}};
  for (const auto& c : cases) {
    test::Harness h;
    auto& response = h.internet.responses["http://norva.tyx.invalid/tyx/norva/newverall/update.cab"];
    response = {"200", std::string(1234, 'x'), c.length};
    response.contentRange = c.range;
    int32_t size = 7;
    std::string modified;
    GetHttpInfo(h.session, "norva.tyx.invalid", "/tyx/norva/newverall/update.cab", size, modified);
    EXPECT_EQ(size, c.size) << c.length << c.range;
    EXPECT_EQ(h.LogMessages(), c.why ? Lines{"Velikost souboru nebyla zjištěna. (" + std::string(c.why) + ")"} : Lines{});
    EXPECT_EQ(modified, c.why ? "" : "Mon, 07 Dec 2026 10:00:00 GMT");
    EXPECT_EQ(h.internet.openHandles, 0);
  }
}

TEST(DownloadStep, OnlyTypeTwoSharesThePackageOnlyAfterSuccessAndAFailureKeepsTheWindowOpen) {
  const struct {
    const char *type, *status;
    bool locked;
    const char *shared, *status_line;  // the data folder's package afterwards, the last status line
  } cases[] = {{"1", "200", false, "older", "Stažení souborů dokončeno"},
               {"2", "500", false, "older", "Server odpověděl stavem HTTP 500\t3"},
               {"2", "200", false, "MSCF new", "Stažení souborů dokončeno"},
               {"2", "200", true, "older", "Aktualizační soubor nelze uložit do adresáře s daty (Permission denied)"},
               {"1", nullptr, false, "older", "Nelze navázat připojení k internetu"}};
  for (const auto& c : cases) {
    test::Harness h;
    if (c.status) h.internet.responses[kUrl] = {c.status, "MSCF new"};
    h.dir.Write("data/update.cab", "older");
    h.dir.Write("temp/update.cab", "older package");
    if (c.locked) h.files.locked.push_back(h.run.gDataPath + "\\update.cab");
    h.session.form = {c.type, "norva.tyx.invalid", "/tyx/norva/newverall/"};
    WebUpdate(h.session);
    EXPECT_EQ(h.dir.Read("data/update.cab"), c.shared) << c.type << c.status_line;
    EXPECT_EQ(std::count(h.window.statusHistory.begin(), h.window.statusHistory.end(), c.status_line), 1);
    EXPECT_EQ(h.window.timers[1], c.status && *c.status == '2');  // extraction fails, the window closes all the same
    EXPECT_EQ(h.dir.Exists("temp/update.cab"), c.status && *c.status == '2');
    if (!c.status) {
      EXPECT_EQ(h.LogMessages(), (Lines{"Výpočet velikosti souboru update.cab",
                                        "Doména norva.tyx.invalid, cesta /tyx/norva/newverall/update.cab",
                                        "Velikost souboru nebyla zjištěna. ()",
                                        "Stažení souboru update.cab do " + h.run.gTempPath + "\\update.cab",
                                        "Nelze navázat připojení k internetu"}));
    }
  }
}

TEST(SourceDecision, TypeProxyChannelAndTheLocalPackage) {
  const std::string kMissing = "Aktualizační soubor 'update.cab' nebyl nalezen v adresáři s daty.";
  const struct {
    const char *product, *cmdLine, *channel, *type, *proxy;  // nullptr: value absent
    const char *logged, *path, *session;  // path: the host's and the path
  } cases[] = {
      {"Norva", "x", "", "0 ", nullptr, "0 ", "norva.tyx.invalid/tyx/norva/newverall/", "wide  1 "},
      {"Norva", "x", "", "00", "1", "00", "norva.tyx.invalid/tyx/norva/newverall/", "ansi Norva 3 "},  // ProxyAdr empty
      {"Norva", "x", "betas", "", "yes", "", "norva.tyx.invalid/tyx/norva/newverall/", "wide  1 "},
      {"NorvaPro", "x", "beta", "01", "01", "01", "norva.tyx.invalid/tyx/norvapro/betaall/", "wide  1 "},
      {"NorvaLite", "  ", "", "0", "true", "1", "norva.tyx.invalid/tyx/norvalite/newverall/", "wide  1 "},
      {"TalvikPro", "x", "beta", nullptr, nullptr, "1", "talvik.tyx.invalid/tyx/talvikpro/beta/", "wide  1 "},
      {"Talvik", "", "", "0", nullptr, "0", nullptr, nullptr},  // outside the Norva family an empty line is nothing
      {"Bremo", "x", "", "0", nullptr, "0", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    test::Harness h(c.product);
    h.run.gCmdLine = c.cmdLine;
    h.run.gChannel = c.channel;
    if (c.type) h.os.SetText(h.Key(), "NEWVERTYPE", c.type);
    if (c.proxy) h.os.SetText(h.Key(), "Proxy", c.proxy);
    if (std::string(c.product) == "Bremo") {  // a package the temporary folder has no room for
      h.dir.Write("data/update.cab", "MSCF and more");
      h.files.writeLimit = 4;
    }
    UpdateProduct(h.session);
    const Lines log = h.LogMessages();
    EXPECT_EQ(log[0], std::string("Typ aktualizace: ") + c.logged);
    EXPECT_EQ(std::count(log.begin(), log.end(), "InternetOpen('Norva', 3, , vbNullString, 0)"), c.proxy && *c.proxy == '1');
    if (c.path) {
      EXPECT_EQ(h.session.form.mHost + h.session.form.mPath, c.path) << c.product << c.channel;
      EXPECT_EQ(h.internet.opens.back(), c.session) << c.product << c.type;
      continue;
    }
    const std::string shown = h.run.gProduct == "Bremo"
        ? "Aktualizační soubor 'update.cab' nelze připravit k rozbalení (Disk full)" : kMissing;
    EXPECT_EQ(log, (Lines{"Typ aktualizace: 0", shown}));
    EXPECT_EQ(h.window.statusCaption, shown);
    EXPECT_TRUE(h.window.timers[1]);
    EXPECT_FALSE(h.dir.Exists("temp/update.cab"));  // neither a stale package nor a partial copy survives
  }
}

}  // namespace tyx::test
