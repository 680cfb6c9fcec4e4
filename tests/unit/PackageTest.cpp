#include <gtest/gtest.h>

#include "descriptor/ReleaseDescriptor.h"
#include "descriptor/Rollout.h"
#include "fakes/Fakes.h"
#include "install/InstallUpdate.h"
#include "package/CabinetListing.h"
#include "package/PackageCheck.h"
#include "package/PackageInf.h"
#include "release/ReleaseCheck.h"
#include "release/ReleaseInfo.h"

namespace tyx::test {
namespace {

const std::string kHash(64, '0');  // what FakeCrypto gives every file
const std::string kNo = " Aktualizace nebude provedena.";

std::string Release(const std::string& product, const std::string& channel, const std::string& number) {
  return "TyxUpdate release 1\r\nproduct " + product + "\r\nchannel " + channel + "\r\nnumber " + number + "\r\n";
}

std::string Descriptor(const std::string& lines) {
  return "TyxUpdate descriptor 1\r\nproduct Norva\r\nchannel release\r\nnumber 7\r\n" + lines + "signature 0a\r\n";
}

}  // namespace

TEST(Package, WhatTheParsersTake) {
  const std::string sig = "signature 0a\r\n";
  const std::string line = "12 " + kHash + " a.exe\r\n";
  const std::string base = "package 12 " + kHash + "\r\nrollout 0 0\r\n";
  auto delta = [](int from, const std::string& file) {
    return "delta " + std::to_string(from) + " " + file + " 3 " + kHash + "\r\n";
  };
  const struct {
    const char* what;
    std::string text;
    char parser;  // 'l' update.inf, 'r' TyxRelease.inf, 'd' release.inf
    bool taken;
  } rows[] = {
      {"list", "TyxUpdate package 1\r\n" + line + sig, 'l', true},
      {"list of a file in a folder", "TyxUpdate package 1\r\n0 " + kHash + " sub\\b.txt\r\n" + sig, 'l', true},
      {"a name twice, in two cases", "TyxUpdate package 1\r\n" + line + "1 " + kHash + " A.EXE\r\n" + sig, 'l', false},
      {"a name leaving the folder", "TyxUpdate package 1\r\n1 " + kHash + " ..\\a.exe\r\n" + sig, 'l', false},
      {"upper-case hash", "TyxUpdate package 1\r\n1 " + std::string(64, 'A') + " a.exe\r\n" + sig, 'l', false},
      {"size with a leading zero", "TyxUpdate package 1\r\n012 " + kHash + " a.exe\r\n" + sig, 'l', false},
      {"no signature", "TyxUpdate package 1\r\n" + line, 'l', false},
      {"bytes after the signature", "TyxUpdate package 1\r\n" + line + sig + "x", 'l', false},
      {"another format", "TyxUpdate package 2\r\n" + line + sig, 'l', false},
      {"release", Release("Norva", "beta", "999999999"), 'r', true},
      {"unknown channel", Release("Norva", "stable", "7"), 'r', false},
      {"number 0", Release("Norva", "release", "0"), 'r', false},
      {"leading zero", Release("Norva", "release", "07"), 'r', false},
      {"number beyond nine digits", Release("Norva", "release", "1000000000"), 'r', false},
      {"blank in the product", Release("Norva Pro", "release", "7"), 'r', false},
      {"a line more", Release("Norva", "release", "7") + "x\r\n", 'r', false},
      {"no line end", Release("Norva", "release", "7").substr(0, 52), 'r', false},
      {"descriptor", Descriptor("package 12 " + kHash + "\r\nrollout 1796774400 7\r\n"), 'd', true},
      {"halted, and a line of a later format",
       Descriptor("package 12 " + kHash + "\r\nrollout 0 0\r\nhalted 1796774400\r\nlater 6 x\r\n"), 'd', true},
      {"deltas", Descriptor(base + delta(5, "delta-5.cab") + delta(6, "delta-6.cab")), 'd', true},
      {"two deltas from one release", Descriptor(base + delta(6, "a.cab") + delta(6, "b.cab")), 'd', false},
      {"one file for two deltas", Descriptor(base + delta(5, "a.cab") + delta(6, "a.cab")), 'd', false},
      {"a delta from this release", Descriptor(base + delta(7, "delta-7.cab")), 'd', false},
      {"a delta from release 0", Descriptor(base + delta(0, "delta-0.cab")), 'd', false},
      {"a delta leaving the folder", Descriptor(base + delta(6, "..\\delta-6.cab")), 'd', false},
      {"a delta that is the package", Descriptor(base + delta(6, "update.cab")), 'd', false},
      {"a delta in upper case", Descriptor(base + delta(6, "Delta-6.cab")), 'd', false},
      {"no rollout", Descriptor("package 12 " + kHash + "\r\n"), 'd', false},
      {"package twice", Descriptor("package 12 " + kHash + "\r\npackage 1 " + kHash + "\r\nrollout 0 0\r\n"), 'd',
       false},
      {"rollout over ten years", Descriptor("package 12 " + kHash + "\r\nrollout 0 3651\r\n"), 'd', false},
      {"negative start", Descriptor("package 12 " + kHash + "\r\nrollout -5 1\r\n"), 'd', false},
      {"a line no format knows", Descriptor("package 12 " + kHash + "\r\nrollout 0 0\r\nX y\r\n"), 'd', false},
  };
  for (const auto& r : rows) {
    const bool taken = r.parser == 'l'   ? ParsePackageInf(r.text).has_value()
                       : r.parser == 'r' ? ParseReleaseInfo(r.text).has_value()
                                         : ParseReleaseDescriptor(r.text).has_value();
    EXPECT_EQ(taken, r.taken) << r.what;
  }
}

TEST(Package, RolloutReachPlaceAndTheHostsDate) {
  const int64_t start = 1796774400, day = 86400;  // 2026-12-09 00:00 UTC
  const struct {
    uint32_t days;
    std::optional<int64_t> halted;
    int64_t now;
    double reach;
  } rows[] = {{10, {}, start - 1, 0},       {10, {}, start, 0},          {10, {}, start + day, 0.1},
              {10, {}, start + 20 * day, 1}, {0, {}, start, 1},           {0, {}, start - 1, 0},
              {10, start + 2 * day, start + 5 * day, 0.2}, {10, start - day, start + 5 * day, 0}};
  for (const auto& r : rows) {
    ReleaseDescriptor d;
    d.rolloutStart = start;
    d.rolloutDays = r.days;
    d.haltedAt = r.halted;
    EXPECT_DOUBLE_EQ(RolloutReach(d, r.now), r.reach) << r.days << " days, at " << r.now - start;
  }
  // Places spread evenly, and differ from release to release.
  int below = 0, moved = 0;
  for (int i = 0; i < 10000; ++i) {
    const std::string id = "installation" + std::to_string(i);
    below += RolloutPlace(id, 7) < 0.25;
    moved += (RolloutPlace(id, 7) < 0.25) != (RolloutPlace(id, 8) < 0.25);
  }
  EXPECT_NEAR(below, 2500, 200);
  EXPECT_NEAR(moved, 3750, 300);  // 2 x 0.25 x 0.75 of them
  EXPECT_EQ(ParseHttpDate("Wed, 09 Dec 2026 00:00:00 GMT"), start);
  EXPECT_EQ(ParseHttpDate("Sun, 29 Feb 2032 23:59:59 GMT"), 1961711999);
  for (const char* bad : {"Wed, 09 Dec 2026 00:00:00 UTC", "Wed, 9 Dec 2026 00:00:00 GMT", "Wed, 09 Dez 2026 00:00:00 GMT",
                          "Wed, 09 Dec 2026 24:00:00 GMT", "Wed, 09 Dec +026 00:00:00 GMT", ""})
    EXPECT_EQ(ParseHttpDate(bad), std::nullopt) << bad;
}

TEST(Package, CabinetListingAgainstTheSignedList) {
  PackageInf inf;
  inf.files = {{"a.exe", 100, kHash}, {"TyxRelease.inf", 60, kHash}, {"b.dll", 1 << 20, kHash}};
  const uint32_t packLimit = (1 << 20) + 100 + 60 + ((1 << 20) + 160) / 64 + 3 * 512 + (1 << 20);
  const struct {
    std::vector<CabEntry> entries;
    std::string refusal;
  } rows[] = {
      {{{"A.EXE", 100}, {"TyxRelease.inf", 60}, {"update.inf", 900}, {"pack.cab", packLimit}, {"pack.lst", 7},
        {"b.dll", 1 << 20}}, ""},
      {{{"a.exe", 100}, {"zeros.bin", 0}}, "Soubor zeros.bin není v podepsaném seznamu aktualizace."},
      {{{"a.exe", 4000000000u}}, "Soubor a.exe neodpovídá podpisu aktualizace."},
      {{{"a.exe", 100}, {"pack.cab", packLimit + 1}}, "Soubor pack.cab je větší než soubory podepsaného seznamu aktualizace."},
      {{{"pack.lst", 1201}}, "Soubor pack.lst je větší než seznam podepsaných souborů aktualizace."},
      {{{"a.exe", 100}, {"A.exe", 100}}, "Soubor A.exe je v aktualizačním souboru dvakrát."},
  };
  for (const auto& r : rows)
    EXPECT_EQ(CheckCabinetListing(inf, r.entries), r.refusal.empty() ? "" : r.refusal + kNo) << r.refusal;
}

TEST(Package, ReleaseAgainstProductChannelAndTheInstalledOne) {
  const struct {
    const char* installed;  // the application folder's TyxRelease.inf; nullptr: none
    const char* package;    // the staged TyxRelease.inf; nullptr: an unsigned package
    const char* channel;
    std::string refusal;
  } rows[] = {
      {nullptr, nullptr, "", ""},  // the move to signed packages: unsigned, nothing signed installed
      {"TyxUpdate release 1\r\nproduct Norva\r\nchannel release\r\nnumber 5\r\n", nullptr, "",
       "Aktualizační soubor není podepsán výrobcem a nainstalováno je podepsané vydání 5."},
      {nullptr, "TyxUpdate release 1\r\nproduct Norva\r\nchannel release\r\nnumber 5\r\n", "", ""},
      {"TyxUpdate release 1\r\nproduct Norva\r\nchannel release\r\nnumber 5\r\n",
       "TyxUpdate release 1\r\nproduct Norva\r\nchannel release\r\nnumber 5\r\n", "", ""},  // again, after a failure
      {"TyxUpdate release 1\r\nproduct Norva\r\nchannel release\r\nnumber 5\r\n",
       "TyxUpdate release 1\r\nproduct Norva\r\nchannel release\r\nnumber 4\r\n", "",
       "Aktualizační soubor obsahuje vydání 4, starší než nainstalované vydání 5."},
      {nullptr, "TyxUpdate release 1\r\nproduct Talvik\r\nchannel release\r\nnumber 9\r\n", "",
       "Aktualizační soubor je určen pro produkt Talvik, ne pro Norva."},
      {nullptr, "TyxUpdate release 1\r\nproduct Norva\r\nchannel beta\r\nnumber 9\r\n", "",
       "Aktualizační soubor je určen pro kanál beta, ne pro release."},
      {nullptr, "TyxUpdate release 1\r\nproduct Norva\r\nchannel release\r\nnumber 9\r\n", "beta", ""},
      {nullptr, "", "", "Aktualizační soubor neuvádí produkt, kanál a vydání."},  // signed, no record
      {"garbage", "TyxUpdate release 1\r\nproduct Norva\r\nchannel release\r\nnumber 9\r\n", "", "Soubor @ je poškozen."},
  };
  for (const auto& r : rows) {
    Harness h;
    h.run.gChannel = r.channel;
    if (r.installed) h.dir.Write("app/TyxRelease.inf", r.installed);
    if (r.package) {
      h.run.signedList.emplace();
      if (*r.package) {
        h.dir.Write("app/OldVer/TyxNewVer/TyxRelease.inf", r.package);
        h.run.signedList->files.push_back({"TyxRelease.inf", std::string(r.package).size(), kHash});
      }
    }
    std::string refusal = r.refusal;
    if (size_t at = refusal.find('@'); at != std::string::npos) refusal.replace(at, 1, h.dir.Path("app\\TyxRelease.inf"));
    EXPECT_EQ(CheckRelease(h.session), refusal.empty()) << refusal;
    EXPECT_EQ(h.window.statusCaption, refusal.empty() ? "" : refusal + kNo);
  }
}

TEST(Package, OnlyTheCheckedFilesAreInstalledAsTheyWereChecked) {
  const struct {
    std::string staged;  // b.dll as it lies in the staging folder at the installation
    bool caseTwin;       // a second B.DLL beside it, which one check would pass over; else evil.dll added
    std::string status;
  } rows[] = {
      {"new", false, "Aktualizace provedena"},
      {"changed", false, "Chyba při aktualizaci!  (Soubor b.dll neodpovídá podpisu aktualizace)"},
      {"new", true, "není v podepsaném seznamu aktualizace." + kNo},
  };
  for (const auto& r : rows) {
    Harness h;
    h.dir.Write("app/b.dll", "old");
    h.run.signedList.emplace();
    h.run.signedList->files = {{"NorvaV.exe", 1, kHash}, {"b.dll", 3, kHash}};
    h.dir.Write("app/OldVer/TyxNewVer/NorvaV.exe", "V");
    h.dir.Write("app/OldVer/TyxNewVer/b.dll", r.staged);
    if (r.caseTwin) h.dir.Write("app/OldVer/TyxNewVer/B.DLL", "new");
    else h.dir.Write("app/OldVer/TyxNewVer/evil.dll", "added after the check");
    const std::string refusal = r.caseTwin ? CheckPackageFiles(h.files, h.crypto, h.run.gNewVerPath, *h.run.signedList) : "";
    if (refusal.empty()) InstallUpdate(h.session);
    EXPECT_NE((refusal.empty() ? h.window.statusCaption : refusal).find(r.status), std::string::npos) << r.status;
    EXPECT_FALSE(h.dir.Exists("app/evil.dll"));
    EXPECT_EQ(h.dir.Read("app/b.dll"), r.staged == "new" && !r.caseTwin ? "new" : "old");
  }
}

}  // namespace tyx::test
