#include "update/UpdateFlow.h"

#include <gtest/gtest.h>

#include "descriptor/DescriptorStep.h"
#include "descriptor/DownloadCheck.h"
#include "descriptor/ReleaseDescriptor.h"
#include "download/GetFile.h"
#include "download/DownloadStep.h"
#include "download/GetHttpInfo.h"
#include "fakes/Fakes.h"
#include "window/UpdateForm.h"

namespace tyx::test {

const std::string kUrl = "https://norva.tyx.invalid/tyx/norva/newverall/update.cab";

// Fetches kUrl into the temporary folder, through the proxy or not.
static uint8_t Get(Harness& h, int32_t expected, bool proxy = false) {
  const std::string dest = h.run.gWorkPath + "\\update.cab", address = kUrl.substr(8);
  return proxy ? GetFileViaProxy(h.session, dest, address, 8, expected) : GetFile(h.session, dest, address, 8, expected);
}

// A package whose every byte tells where it lies.
static std::string Package(size_t size, int seed = 0) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251 + seed) % 256);
  return bytes;
}

// The side file as the download writes it.
static std::string SideFile(const std::string& url, size_t total, const std::string& validator) {
  return "TyxUpdate resume 1\r\n" + url + "\r\n" + std::to_string(total) + "\r\n" + validator + "\r\n";
}

TEST(Download, ArrivesWholeOrKeepsWhatCanBeResumed) {
  const std::string pkg = Package(20000), other = Package(20000, 1), date = "Mon, 07 Dec 2026 10:00:00 GMT";
  using Response = test::FakeInternet::Response;
  struct Case {
    const char* name;
    Response response;     // status "-": no host
    std::string earlier;   // an earlier run's part (7000 bytes and the side file), or all of it, a link, another's
    uint8_t code;
    const char* error;     // "": the package arrives
    std::string starts;    // where each request started: "-" the whole file, else its Range
    size_t sent;           // body bytes the host sent
    const char* shown = nullptr;  // a status line among those shown
    bool kept = false;     // the part and its side file wait for the next run
    uint32_t writeLimit = UINT32_MAX;
  } cases[] = {
      {"whole", {"200", pkg}, "", 0, "", "-", 20000},
      {"empty", {"200", ""}, "", 0, "", "-", 0},
      {"missing", {"404"}, "part", 2, "", "7000", 0},
      {"no status", {"", "MSCF"}, "", 3, "Server neodpověděl stavem HTTP", "-", 0},
      {"server error", {"500", "<html>"}, "part", 3, "Server odpověděl stavem HTTP 500", "7000", 0, nullptr, true},
      {"no host", {"-"}, "", 1, "", "-", 0},
      {"disk full", {"200", pkg}, "", 3, "Zápis do dočasného souboru", "-", 16384, nullptr, false, 10000},
      {"too large", {"200", pkg, "1073741825"}, "", 3, "Soubor je větší než 1073741824 bajtů", "-", 0},
      {"cut once", {"200", pkg, "auto", date, {8192}}, "", 0, "", "-,8192", 20000,
       "Stažení souboru navazuje na staženou část (8192 z 20000 bajtů)"},
      {"cut twice", {"200", pkg, "auto", date, {5000, 3000}}, "", 0, "", "-,5000,8000", 20000},
      {"cut every time", {"200", pkg, "auto", date, {9, 0, 0, 0}, true}, "", 3,
       "Soubor nebyl stažen celý (9 z 20000 bajtů)", "-,9,9,9", 9,
       "Soubor nebyl stažen celý (9 z 20000 bajtů). Další pokus za 40 s.", true},
      {"ranges ignored", {.body = pkg, .cuts = {8192}, .ranges = false}, "", 0, "", "-,8192", 28192,
       "Server neposlal navazující část; stažení začíná znovu od začátku"},
      {"wrong offset", {.body = pkg, .cuts = {8192}, .rangeFrom = 1}, "", 0, "", "-,8192,-", 28192,
       "Server poslal jinou část souboru (bytes 1-19999/20000). Další pokus za 15 s."},
      {"replaced", {.body = pkg, .cuts = {8192}, .replacedBy = other}, "", 0, "", "-,8192", 28192},
      {"no validator", {"200", pkg, "auto", "", {8192}}, "", 0, "", "-,-", 28192},
      {"weak etag", {.body = pkg, .cuts = {8192}, .etag = "W/\"4e20\""}, "", 0, "", "-,8192", 20000},
      {"earlier run", {"200", pkg}, "part", 0, "", "7000", 13000},
      {"earlier, whole", {"200", pkg}, "whole", 0, "", "-", 20000},
      {"planted link", {"200", pkg}, "link", 0, "", "-", 20000},
      {"other address", {"200", pkg}, "stranger", 0, "", "-", 20000},
  };
  for (const Case& c : cases) {
    test::Harness h;
    h.dir.Write("app/OldVer/update.cab", "older package");
    h.dir.Write("app/victim", "untouched");
    if (c.response.status != "-") h.internet.responses[kUrl] = c.response;
    if (!c.earlier.empty()) {
      h.dir.Write("app/OldVer/update.cab.resume", SideFile(c.earlier == "stranger" ? kUrl + "x" : kUrl, 20000, date));
      h.dir.Write("app/OldVer/update.cab.part", pkg.substr(0, c.earlier == "whole" ? 20000 : 7000));
    }
    if (c.earlier == "link") {
      fs::remove(h.dir.Native("app/OldVer/update.cab.part"));
      fs::create_symlink(h.dir.Native("app/victim"), h.dir.Native("app/OldVer/update.cab.part"));
    }
    h.files.writeLimit = c.writeLimit;
    EXPECT_EQ(Get(h, static_cast<int32_t>(c.response.body.size()), c.code == 2), c.code) << c.name;
    EXPECT_NE(h.run.gLastError.find(c.error), std::string::npos) << c.name << ": " << h.run.gLastError;
    EXPECT_EQ(h.dir.Read("app/OldVer/update.cab"), c.code ? "older package" : h.internet.responses[kUrl].body) << c.name;
    std::string starts;
    for (const std::string& request : h.internet.headers) {
      unsigned long from = 0;
      starts += (starts.empty() ? "" : ",") +
                (std::sscanf(request.c_str(), "Range: bytes=%lu-", &from) == 1 ? std::to_string(from) : "-");
    }
    EXPECT_EQ(starts, c.starts) << c.name;
    EXPECT_EQ(h.internet.sent, c.sent) << c.name;
    EXPECT_EQ(h.dir.Exists("app/OldVer/update.cab.part") && h.dir.Exists("app/OldVer/update.cab.resume"), c.kept) << c.name;
    if (c.kept) {
      EXPECT_EQ(h.dir.Read("app/OldVer/update.cab.part"), pkg.substr(0, c.sent + 7000 * !c.earlier.empty())) << c.name;
    }
    if (c.shown) {
      EXPECT_EQ(std::count(h.window.statusHistory.begin(), h.window.statusHistory.end(), c.shown), 1) << c.name;
    }
    EXPECT_EQ(h.dir.Read("app/victim"), "untouched") << c.name;
    EXPECT_EQ(h.internet.openHandles + h.files.openFiles, 0) << c.name;
    EXPECT_TRUE(h.window.navy.empty());  // the box is cleared at the end
  }
  test::Harness h;  // an unknown size shows the bytes
  h.internet.responses[kUrl].body = std::string(9000, 'x');
  Get(h, 0);
  EXPECT_EQ(h.window.texts[0], "8192");
}

TEST(Download, ClosingTheWindowStopsItAndTheNextRunGoesOn) {
  const std::string pkg = Package(20000);
  const struct {
    int closeAtPump;  // the size query pumps once, each chunk twice, a pause every 50 ms
    std::vector<size_t> cuts;
  } cases[] = {{3, {}}, {5, {8192}}};
  for (const auto& c : cases) {
    test::Harness h;
    h.internet.responses[kUrl] = {.body = pkg, .cuts = c.cuts};
    h.session.form = {"1", "norva.tyx.invalid", "/tyx/norva/newverall/"};
    h.window.closeAtPump = c.closeAtPump;
    UpdateForm(h.session, WebUpdate).ShowMainForm();
    EXPECT_TRUE(h.window.unloaded) << c.closeAtPump;
    EXPECT_EQ(h.LogMessages().back(), "Stažení souboru zastaveno uživatelem (8192 z 20000 bajtů)");
    EXPECT_EQ(h.dir.Read("app/OldVer/update.cab.part"), pkg.substr(0, 8192));

    h.session.form = {"1", "norva.tyx.invalid", "/tyx/norva/newverall/"};  // the next run
    EXPECT_TRUE(DownloadUpdate(h.session));
    EXPECT_EQ(h.dir.Read("app/OldVer/update.cab"), pkg);
    EXPECT_EQ(h.internet.sent, pkg.size());
    EXPECT_EQ(h.files.Files(h.run.gWorkPath), (Lines{"update.cab"}));
  }
}

TEST(Download, SizeQueryGivesTheLengthOrTheReasonWhyNot) {
  const struct {
    std::string length;
    int32_t size;
    const char* why;  // nullptr: no log line
    std::string range = "", status = "200";
  } cases[] = {{"auto", 1234, nullptr}, {"0", 0, nullptr}, {"", 7, "Type mismatch"}, {"2147483648", 7, "Overflow"},
               {"12abc", 7, "Type mismatch"}, {std::string(1024, '1'), 7, "Type mismatch"},
               {"1", 104857600, nullptr, "bytes 0-0/104857600"}, {"1", 0, nullptr, "bytes */0"},
               {"1", 7, "Type mismatch", "bytes 0-0/*"}, {"1", 7, "Type mismatch", "", "206"}};
  for (const auto& c : cases) {
    test::Harness h;
    auto& response = h.internet.responses["http://norva.tyx.invalid/tyx/norva/newverall/update.cab"];
    response = {c.status, std::string(1234, 'x'), c.length};
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

TEST(DownloadStep, OnlyTypeTwoSharesOnlyACheckedPackageAndAFailureKeepsTheWindowOpen) {
  const struct {
    const char *type, *status;
    bool valid, locked;
    const char *shared, *status_line;  // the data folder's package afterwards, a status line
  } cases[] = {{"1", "200", true, false, "older", "Aktualizace provedena"},
               {"2", "500", true, false, "older", "Server odpověděl stavem HTTP 500\t3"},
               {"2", "200", true, false, "MSCF new", "Aktualizace provedena"},
               {"2", "200", false, false, "older", "Chyba při rozbalování souborů!  (The system cannot find the file specified.)"},
               {"2", "200", true, true, "older", "Aktualizační soubor nelze uložit do adresáře s daty (Permission denied)"},
               {"1", nullptr, true, false, "older", "Nelze navázat připojení k internetu"}};
  for (const auto& c : cases) {
    test::Harness h;
    if (c.status) h.internet.responses[kUrl] = {c.status, "MSCF new"};
    h.dir.Write("data/update.cab", "older");
    h.dir.Write("app/OldVer/update.cab", "older package");
    if (c.locked) h.files.locked.push_back(h.run.gDataPath + "\\update.cab");
    if (c.valid) h.cabinet.cabinets[h.run.gWorkPath + "\\update.cab"] = {{"NorvaV.exe", "V"}};
    h.session.form = {c.type, "norva.tyx.invalid", "/tyx/norva/newverall/"};
    WebUpdate(h.session);
    EXPECT_EQ(h.dir.Read("data/update.cab"), c.shared) << c.type << c.status_line;
    EXPECT_EQ(std::count(h.window.statusHistory.begin(), h.window.statusHistory.end(), c.status_line), 1);
    EXPECT_EQ(h.window.timers[1], c.status && *c.status == '2');  // extraction fails, the window closes all the same
    EXPECT_EQ(h.dir.Exists("app/OldVer/update.cab"), c.status && *c.status == '2' && !c.valid);  // kept only when refused
    EXPECT_FALSE(h.files.Files(h.run.gDataPath).size() > 2) << "a copy left under a temporary name";
    if (!c.status) {
      EXPECT_EQ(h.LogMessages(), (Lines{"Výpočet velikosti souboru update.cab",
                                        "Doména norva.tyx.invalid, cesta /tyx/norva/newverall/update.cab",
                                        "Velikost souboru nebyla zjištěna. ()",
                                        "Stažení souboru update.cab do " + h.run.gWorkPath + "\\update.cab",
                                        "Nelze navázat připojení k internetu"}));
    }
  }
}

TEST(DownloadStep, TheHostsDescriptorDecidesWhetherAndWhatToDownload) {
  const std::string kDescriptorUrl = "https://norva.tyx.invalid/tyx/norva/newverall/release.inf";
  auto descriptor = [](const std::string& product, const std::string& channel, const std::string& rollout,
                       const std::string& signature = "676f6f64") {  // "good"
    return "TyxUpdate descriptor 1\r\nproduct " + product + "\r\nchannel " + channel + "\r\nnumber 7\r\npackage 8 " +
           std::string(64, '0') + "\r\nrollout " + rollout + "\r\nsignature " + signature + "\r\n";
  };
  const std::string kStart = "1796774400 10", kTwoDaysOn = "Fri, 11 Dec 2026 00:00:00 GMT";  // start 2026-12-09
  const struct {
    const char* what;
    std::string status, body, date, channel;
    int installed;      // the installed release; 0: none
    bool download;      // the answer
    std::string shown;  // the status line
  } rows[] = {
      {"no descriptor", "404", "", kTwoDaysOn, "", 6, true, ""},
      {"damaged", "200", "TyxUpdate descriptor 1\r\n", kTwoDaysOn, "", 6, false,
       "Popis vydání na serveru je poškozen. Aktualizace nebude provedena."},
      {"not the maker's", "200", descriptor("Norva", "release", "0 0", "0bad"), kTwoDaysOn, "", 6, false,
       "Popis vydání na serveru není podepsán výrobcem. Aktualizace nebude provedena."},
      {"another product", "200", descriptor("Talvik", "release", "0 0"), kTwoDaysOn, "", 6, false,
       "Popis vydání na serveru je určen pro produkt Talvik, ne pro Norva. Aktualizace nebude provedena."},
      {"beta on release", "200", descriptor("Norva", "beta", "0 0"), kTwoDaysOn, "", 6, false,
       "Popis vydání na serveru je určen pro kanál beta, ne pro release. Aktualizace nebude provedena."},
      {"installed", "200", descriptor("Norva", "release", "0 0"), kTwoDaysOn, "", 7, false,
       "Nainstalované vydání je aktuální (vydání 7). Není co stahovat."},
      {"not started", "200", descriptor("Norva", "release", kStart), "Tue, 08 Dec 2026 23:00:00 GMT", "", 6, false,
       "Vydání 7 se k této instalaci dostane později (zavádění je na 0 %)."},
      {"everyone", "200", descriptor("Norva", "release", kStart), "Sat, 19 Dec 2026 00:00:00 GMT", "", 0, true, ""},
      {"beta never held", "200", descriptor("Norva", "beta", kStart), "Tue, 08 Dec 2026 23:00:00 GMT", "beta", 6, true,
       ""},
      {"no date", "200", descriptor("Norva", "release", kStart), "", "", 6, true, ""},
  };
  for (const auto& r : rows) {
    test::Harness h;
    h.run.gChannel = r.channel;
    h.internet.responses[kDescriptorUrl] = {r.status, r.body};
    h.internet.responses[kDescriptorUrl].date = r.date;
    if (r.installed)
      h.dir.Write("app/TyxRelease.inf", "TyxUpdate release 1\r\nproduct Norva\r\nchannel release\r\nnumber " +
                                            std::to_string(r.installed) + "\r\n");
    h.session.form = {"1", "norva.tyx.invalid", "/tyx/norva/newverall/"};
    EXPECT_EQ(ReadDescriptor(h.session), r.download) << r.what;
    EXPECT_EQ(h.window.statusCaption, r.shown) << r.what;
    EXPECT_EQ(h.run.descriptor.has_value(), r.download && r.status == "200") << r.what;
    if (!r.download || r.status != "200") continue;
    // The package must then be the one the descriptor names before anything unpacks it.
    for (const std::string package : {"8 bytes!", "9 bytes!!"}) {
      h.dir.Write("app/OldVer/update.cab", package);
      EXPECT_EQ(MatchesDescriptor(h.session), package.size() == 8) << r.what;
      EXPECT_EQ(h.dir.Exists("app/OldVer/update.cab"), package.size() == 8) << r.what;
    }
  }
}

TEST(DownloadStep, ADeltaStandsInForThePackageOnlyWhenAllElseMatches) {
  const std::string kHost = "https://norva.tyx.invalid/tyx/norva/newverall/", kZero(64, '0');
  const std::string kDelta = "MSCF delta", kPackage = "MSCF whole package";
  const std::string kRelease = "TyxUpdate release 1\r\nproduct Norva\r\nchannel release\r\nnumber 7\r\n";
  auto line = [&](const std::string& name, size_t size) { return std::to_string(size) + " " + kZero + " " + name + "\r\n"; };
  const std::string kList = "TyxUpdate package 1\r\n" + line("TyxRelease.inf", kRelease.size()) + line("NorvaV.exe", 5) +
                            line("readme.txt", 3) + "signature 676f6f64\r\n";
  const std::string kFallBack = "Rozdílovou aktualizaci nelze použít (";
  const struct {
    const char* what;
    int installed;         // the installed release
    std::string readme;    // the installed readme.txt
    const char* delta;     // the host's answer for the delta
    std::string fallBack;  // why the whole package followed; empty: the delta was used, or none listed
  } rows[] = {
      {"used", 6, "old", "200", ""},
      {"changed by hand", 6, "edited", "200", "soubor readme.txt v adresáři aplikace se liší od vydání 6"},
      {"missing", 6, "old", "404", "soubor delta-6.cab nebyl nalezen"},
      {"damaged on the way", 6, "old", "200 damaged", "soubor delta-6.cab neodpovídá popisu vydání"},
      {"none from the installed release", 5, "old", "200", ""},
  };
  for (const auto& r : rows) {
    test::Harness h;
    h.dir.Write("app/TyxRelease.inf", "TyxUpdate release 1\r\nproduct Norva\r\nchannel release\r\nnumber " +
                                          std::to_string(r.installed) + "\r\n");
    h.dir.Write("app/readme.txt", r.readme);
    h.dir.Write("data/update.cab", "older");
    const bool used = r.fallBack.empty() && r.installed == 6;
    h.internet.responses[kHost + "delta-6.cab"] = {std::string(r.delta).substr(0, 3), kDelta + (r.delta[3] ? "!" : "")};
    if (!used) h.internet.responses[kHost + "update.cab"] = {"200", kPackage};
    h.cabinet.byBytes[kDelta] = {{"update.inf", kList}, {"TyxRelease.inf", kRelease}, {"NorvaV.exe", "V new"}};
    h.cabinet.byBytes[kPackage] = h.cabinet.byBytes[kDelta];
    h.cabinet.byBytes[kPackage].push_back({"readme.txt", "new"});
    ReleaseDescriptor d;
    d.release = {"Norva", "release", 7};
    d.size = kPackage.size();
    d.sha256 = kZero;
    d.deltas = {{6, "delta-6.cab", kDelta.size(), kZero}};
    h.run.descriptor = d;
    h.session.form = {"2", "norva.tyx.invalid", "/tyx/norva/newverall/"};
    WebUpdate(h.session);
    const Lines log = h.LogMessages();
    EXPECT_EQ(std::count(h.window.statusHistory.begin(), h.window.statusHistory.end(), "Aktualizace provedena"), 1)
        << r.what;
    EXPECT_EQ(h.dir.Read("app/NorvaV.exe"), "V new") << r.what;
    EXPECT_EQ(h.dir.Read("app/readme.txt"), used ? "old" : "new") << r.what;
    EXPECT_EQ(h.dir.Read("data/update.cab"), used ? "older" : kPackage) << r.what << ": only a whole package is shared";
    const bool fellBack = std::any_of(log.begin(), log.end(), [&](const std::string& l) {
      return l == kFallBack + r.fallBack + "). Stahuje se celý soubor update.cab.";
    });
    EXPECT_EQ(fellBack, !r.fallBack.empty()) << r.what;
    EXPECT_EQ(std::count(log.begin(), log.end(), "Soubory nezměněné od vydání 6 převzaty z adresáře aplikace: 1."),
              used) << r.what;
    EXPECT_FALSE(h.dir.Exists("app/OldVer/delta-6.cab")) << r.what;
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
    EXPECT_FALSE(h.dir.Exists("app/OldVer/update.cab"));  // neither a stale package nor a partial copy survives
  }
}

}  // namespace tyx::test
