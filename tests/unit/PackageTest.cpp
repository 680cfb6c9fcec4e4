#include <gtest/gtest.h>

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

}  // namespace

TEST(Package, WhatTheParsersTake) {
  const std::string sig = "signature 0a\r\n";
  const std::string line = "12 " + kHash + " a.exe\r\n";
  const struct {
    const char* what;
    std::string text;
    bool list, taken;  // which parser, whether it takes the text
  } rows[] = {
      {"list", "TyxUpdate package 1\r\n" + line + sig, true, true},
      {"list of a file in a folder", "TyxUpdate package 1\r\n0 " + kHash + " sub\\b.txt\r\n" + sig, true, true},
      {"a name twice, in two cases", "TyxUpdate package 1\r\n" + line + "1 " + kHash + " A.EXE\r\n" + sig, true, false},
      {"a name leaving the folder", "TyxUpdate package 1\r\n1 " + kHash + " ..\\a.exe\r\n" + sig, true, false},
      {"upper-case hash", "TyxUpdate package 1\r\n1 " + std::string(64, 'A') + " a.exe\r\n" + sig, true, false},
      {"size with a leading zero", "TyxUpdate package 1\r\n012 " + kHash + " a.exe\r\n" + sig, true, false},
      {"no signature", "TyxUpdate package 1\r\n" + line, true, false},
      {"bytes after the signature", "TyxUpdate package 1\r\n" + line + sig + "x", true, false},
      {"another format", "TyxUpdate package 2\r\n" + line + sig, true, false},
      {"release", Release("Norva", "beta", "999999999"), false, true},
      {"unknown channel", Release("Norva", "stable", "7"), false, false},
      {"number 0", Release("Norva", "release", "0"), false, false},
      {"leading zero", Release("Norva", "release", "07"), false, false},
      {"number beyond nine digits", Release("Norva", "release", "1000000000"), false, false},
      {"blank in the product", Release("Norva Pro", "release", "7"), false, false},
      {"a line more", Release("Norva", "release", "7") + "x\r\n", false, false},
      {"no line end", Release("Norva", "release", "7").substr(0, 52), false, false},
  };
  for (const auto& r : rows) {
    const bool taken = r.list ? ParsePackageInf(r.text).has_value() : ParseReleaseInfo(r.text).has_value();
    EXPECT_EQ(taken, r.taken) << r.what;
  }
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
