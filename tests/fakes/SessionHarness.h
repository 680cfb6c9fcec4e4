#pragma once
#include "fakes/Harness.h"
#include "session/Session.h"

namespace tyx::test {

// A run of product `product` installed in <tmp>\app, with its data folder
// <tmp>\data and the staging folder <tmp>\temp\TyxNewVer.
struct SessionHarness : Harness {
  FakeWindow window;
  tyx::Run run;
  Session session{run, platform, log, window, {}};
  FormVariables& form() { return session.form; }

  explicit SessionHarness(const std::string& product = "Norva") {
    run.gProduct = product;
    run.gRegKey = "Software\\Tyx\\" + product;
    run.cApp = product + ".exe";
    run.gAppPath = dir.Path("app");
    run.gDataPath = dir.Path("data");
    run.gTempPath = dir.Path("temp");
    run.gNewVerPath = dir.Path("temp") + "\\TyxNewVer";
    run.gCmdLine = "x";
    run.gRegSubKey = "\\app";
    dir.Write("app/.keep", "");
    dir.Write("data/.keep", "");
    dir.Write("temp/TyxNewVer/.keep", "");
    std::filesystem::remove(dir.Native("temp/TyxNewVer/.keep"));
    registry.AddKey(run.gRegKey + run.gRegSubKey);
  }
  void SetWindows(uint32_t major) { system.major = major; }
  // A cabinet at <tmp>\relative with these entries.
  void MakeCabinet(const std::string& relative, std::vector<FakeCabinet::Entry> entries) {
    dir.Write(relative, "MSCF");
    cabinet.cabinets[dir.Path(relative)] = std::move(entries);
  }
};

}  // namespace tyx::test
