// The Win32 layer against Wine's real services.
#include <gtest/gtest.h>

#include <functional>

#include "cabinet/ExtractCab.h"
#include "install/ExecCmd.h"
#include "platform/RegistryAccess.h"
#include "platform/VersionInfo.h"
#include "platform/win32/CryptHandles.h"
#include "platform/win32/Wide.h"
#include "platform/win32/Win32Cabinet.h"
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32Crypto.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32PackTools.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/Win32Window.h"
#include "session/ProgressBar.h"

namespace tyx::win32 {
namespace {

class Win32 : public ::testing::Test {
 protected:
  void SetUp() override {
    root = files.TemporaryFolder() + "\\win32-test-" + files.GetTempName();
    files.CreateFolder(root);
  }
  void TearDown() override { files.DeleteFolder(root, true); }
  // A cabinet of (entry name, content) pairs as the packaging tool writes it (MSZIP); its bytes.
  std::string CabinetOf(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::vector<std::pair<std::string, std::string>> sources;
    for (const auto& [name, content] : entries) {
      sources.push_back({codePage.ToAnsi(name), root + "\\" + files.GetTempName()});
      files.AppendBytes(sources.back().second, content);
    }
    const std::string cab = root + "\\" + files.GetTempName();
    EXPECT_TRUE(Win32PackTools().WriteCabinet(cab, sources, error)) << error;
    return Read(cab.substr(root.size() + 1));
  }
  int32_t ErrorOf(const std::function<void()>& f) {
    try {
      f();
    } catch (const ErrorRecord& e) {
      error = e.Description();
      return e.number;
    }
    return 0;
  }
  void Put(const std::string& name, const std::string& content, DWORD attributes = 0) {
    ASSERT_TRUE(files.AppendBytes(root + "\\" + name, content));
    if (attributes) SetFileAttributesW(Wide(root + "\\" + name).c_str(), attributes);
  }
  std::string Read(const std::string& name) {
    std::string bytes;
    files.ReadBytes(root + "\\" + name, bytes);
    return bytes;
  }

  Win32CodePage codePage;
  Win32FileSystem files;
  Win32System system{codePage};
  Win32Cabinet cabinet{codePage};
  std::string root, error;
};

TEST_F(Win32, CabinetsUnpackOrFailWithTheSystemsText) {
  const char kBadName[] = "The filename, directory name, or volume label syntax is incorrect.";
  const std::string good = CabinetOf({{"big.bin", std::string(200000, 'b')}, {"notes.txt", "twelve bytes"}});
  std::string damaged = CabinetOf({{"notes.txt", "twelve bytes"}}), emptied = CabinetOf({{"a.txt", "a"}, {"b.txt", "b"}});
  damaged.replace(44, 4, std::string("\xA0\x86\x01\0", 4));  // the file table promises 100000 bytes
  for (const char* name : {"a.txt", "b.txt"})  // both said to go on from an earlier cabinet: some SetupAPIs then
    emptied.replace(emptied.find(name) - 8, 2, "\xFD\xFF");  // unpack nothing and report success
  const struct {
    const char* what;
    std::string cabinet;  // "": no file
    const char* error;    // "" for success, "?" for any text
    std::vector<std::string> unpacked;
  } cases[] = {{"plain", CabinetOf({{"notes.txt", "twelve bytes"}, {"sub\\a.txt", "nested"}}), "", {"notes.txt", "sub\\a.txt"}},
               {"Czech", CabinetOf({{"Účetní data.txt", "cz"}}), "", {"Účetní data.txt"}},  // the name in ANSI
               {"parent", CabinetOf({{"ok.txt", "ok"}, {"..\\evil.txt", "evil"}}), kBadName, {}},
               {"drive", CabinetOf({{"ok.txt", "ok"}, {"c:\\evil.txt", "evil"}}), kBadName, {}},
               {"missing", "", "The system cannot find the file specified.", {}},
               {"truncated", good.substr(0, good.size() / 2), "?", {}}, {"damaged", damaged, "?", {}},
               {"not a cabinet", "an error page, not a cabinet", "?", {}}, {"emptied", emptied, "?", {}}};
  for (const auto& c : cases) {
    const std::string out = root + "\\" + files.GetTempName(), cab = root + "\\" + files.GetTempName();
    files.CreateFolder(out);
    if (!c.cabinet.empty()) files.AppendBytes(cab, c.cabinet);
    error.clear();
    ErrorOf([&] { ExtractCab({cabinet, files, codePage, system}, cab, out); });
    EXPECT_EQ(*c.error == '?' && !error.empty() ? "?" : error, c.error) << c.what;
    for (const std::string& name : c.unpacked) EXPECT_TRUE(files.FileExists(out + "\\" + name)) << name;
    EXPECT_FALSE(files.FileExists(out + "\\ok.txt") || files.FileExists(root + "\\evil.txt")) << c.what;
  }
}

TEST_F(Win32, FileSystemErrorsAreTheScriptingNumbers) {
  Put("new.exe", "new");
  Put("old.exe", "old");
  Put("ro.tmp", "r", FILE_ATTRIBUTE_READONLY);
  Put("busy.exe", "busy");
  HANDLE busy = CreateFileW(Wide(root + "\\busy.exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  const std::string r = root;
  EXPECT_TRUE(files.IsReadOnly(r + "\\ro.tmp") && !files.IsReadOnly(r + "\\old.exe"));
  EXPECT_EQ(files.CreateForWrite(r + "\\old.exe"), 0u);  // a name taken is never written through
  Put("part.tmp", "par");
  int64_t size = 0;
  uintptr_t part = files.OpenForAppend(r + "\\part.tmp", size);
  uint32_t written = 0;
  EXPECT_TRUE(part && size == 3 && files.Write(part, "t", 1, written));
  files.Close(part);
  EXPECT_EQ(Read("part.tmp"), "part");
  ASSERT_TRUE(CreateHardLinkW(Wide(r + "\\twin.tmp").c_str(), Wide(r + "\\part.tmp").c_str(), nullptr));
  for (const char* name : {"part.tmp", "twin.tmp", "none.tmp"})  // a part with a second name is another's file
    EXPECT_EQ(files.OpenForAppend(r + "\\" + name, size), 0u) << name;
  {
    Win32FileSystem run, otherRun;  // their locks go with them
    EXPECT_EQ(run.TryLock(r + "\\TyxUpdate.lock"), IFileSystem::Lock::Held);
    EXPECT_EQ(otherRun.TryLock(r + "\\TyxUpdate.lock"), IFileSystem::Lock::Busy);
  }
  const struct {
    std::function<void()> call;
    int32_t number;
  } cases[] = {
      {[&] { files.CreateFolder(r); }, 58},
      {[&] { files.CreateFolder(r + "\\a\\b"); }, 76},
      {[&] { files.DeleteFolder(r + "\\none", true); }, 76},
      {[&] { files.DeleteFile(r + "\\ro.tmp", false); }, 70},
      {[&] { files.DeleteFile(r + "\\none.tmp", true); }, 53},
      {[&] { files.CopyFile(r + "\\new.exe", r + "\\old.exe", false); }, 58},
      {[&] { files.CopyFile(r + "\\new.exe", r + "\\busy.exe", true); }, 70},
      {[&] { files.CopyFile(r + "\\new.exe", r + "\\no\\such.exe", true); }, 76},
      {[&] { files.DeleteFile(r + "\\busy.exe", true); }, 70},
      {[&] { files.MoveFile(r + "\\new.exe", r + "\\old.exe"); }, 58},
      {[&] { files.MoveFile(r + "\\none.exe", r + "\\x.exe"); }, 53},
      {[&] { files.MoveFile(r + "\\busy.exe", r + "\\x.exe"); }, 70},  // an open file is never moved to the backup
      {[&] { files.Flush(r + "\\none.exe"); }, 53},
      {[&] { files.Flush(r + "\\old.exe"); }, 0},
      {[&] { files.Flush(r + "\\ro.tmp"); }, 0},
      {[&] { files.DeleteFile(r + "\\ro.tmp", false); }, 70},  // still read-only
      {[&] { files.CopyFile(r + "\\new.exe", r + "\\old.exe", true); }, 0},
      {[&] { files.DeleteFile(r + "\\ro.tmp", true); }, 0},
      {[&] { files.CreateFolder(r + "\\Účty"); }, 0},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(ErrorOf(cases[i].call), cases[i].number) << "case " << i;
  CloseHandle(busy);
  EXPECT_EQ(Read("old.exe"), "new");
  EXPECT_TRUE(files.FolderExists(root + "\\Účty") && !files.FileExists(root + "\\ro.tmp"));
  EXPECT_FALSE(files.AppendBytes(root + "\\no\\log.txt", "x"));  // appending itself: every run's log
  EXPECT_NE(files.GetTempName(), files.GetTempName());
}

TEST_F(Win32, RegistryValuesOfEveryTypeAndLengthUnderACzechKeyAndNoKeyIsMade) {
  EXPECT_EQ(GetACP(), 1250u);
  const char kKey[] = "Software\\Tyx\\TestLayer\\c:/účetnictví/žluťoučký kůň";
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, codePage.ToAnsi(kKey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr), ERROR_SUCCESS);
  const DWORD five = 5;
  RegSetValueExA(key, "nozero", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 1);
  RegSetValueExA(key, "dword", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&five), sizeof five);
  RegSetValueExA(key, "expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>("%TEMP%"), 7);
  RegCloseKey(key);
  Win32Registry registry{codePage};
  Win32Dialogs dialogs;
  RegistryAccess access{registry, codePage, dialogs};
  auto read = [&](const std::string& name, uint32_t type = REG_SZ_TYPE) {
    RegValue value = std::string("preset");
    access.ReadRegValue(HKEY_CURRENT_USER_VALUE, kKey, name, type, value, false);
    return RegValueText(value);
  };
  EXPECT_EQ(read("absent") + read("nozero") + read("dword") + read("dword", REG_DWORD_TYPE) + read("expand"),
            "preset1051");  // a DWORD asked for as text reads 0, other types 1
  for (size_t length : {0u, 253u, 254u, 255u, 256u, 4000u}) {
    ASSERT_TRUE(access.WriteRegValue(HKEY_CURRENT_USER_VALUE, kKey, "ProxyAdr", REG_SZ_TYPE, std::string(length, 'x')));
    EXPECT_EQ(read("ProxyAdr"), std::string(length, 'x'));
  }
  wchar_t buffer[64];  // stored as Unicode by Wine, so the ANSI form reached it intact
  DWORD size = sizeof buffer;
  access.WriteRegValue(HKEY_CURRENT_USER_VALUE, kKey, "ProxyAdr", REG_SZ_TYPE, std::string("proxy.účetní.cz"));
  EXPECT_EQ(read("ProxyAdr"), "proxy.účetní.cz");
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, Wide(kKey).c_str(), L"ProxyAdr", RRF_RT_REG_SZ, nullptr, buffer, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(Utf8(buffer), "proxy.účetní.cz");
  const std::string none = "Software\\Tyx\\TestLayer\\none";
  EXPECT_FALSE(access.WriteRegValue(HKEY_CURRENT_USER_VALUE, none, "NEWVER", REG_SZ_TYPE, std::string("0")));
  EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, none.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tyx\\TestLayer");
}

TEST_F(Win32, FailedStartsAreNamedByTheShellsOwnCode) {
  Win32Shell shell(codePage);
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  files.CopyFile(Utf8(self), root + "\\locked.exe", true);
  Put("plain.tyxnoassoc", "x");
  // Opened without sharing, as a running installer or a virus scanner might.
  HANDLE lock = CreateFileW(Wide(root + "\\locked.exe").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  const std::string cases[][2] = {{"\\missing.exe", "Soubor nebyl nalezen: "},
                                  {"\\plain.tyxnoassoc", "Souboru není přiřazena žádná aplikace: "},
                                  {"\\locked.exe", "Narušeno sdílení: "}};
  for (const auto& [file, text] : cases) {
    ProcessHandle process = 0;
    EXPECT_EQ(ShellErrorText(shell.ShellExecute(root + file, "", false, process), root + file), text + root + file);
  }
  CloseHandle(lock);
}

DWORD WINAPI SecondRun(void*) { return Win32Process().WaitForRunLock(100); }

TEST(Win32Process, OneRunAtATime) {
  Win32Process first;
  ASSERT_TRUE(first.WaitForRunLock(0));
  KernelHandle second(CreateThread(nullptr, 0, SecondRun, nullptr, 0, nullptr));
  DWORD taken = 2;
  WaitForSingleObject(second.get(), INFINITE);
  GetExitCodeThread(second.get(), &taken);
  EXPECT_EQ(taken, 0u);
}

// A key pair made here: its PUBLICKEYBLOB, and its signatures in OpenSSL's order.
struct KeyPair {
  explicit KeyPair(DWORD bits) {
    DWORD size = 2048;
    CryptGenKey(provider.get(), AT_SIGNATURE, bits << 16, key.out());
    CryptExportKey(key.get(), 0, PUBLICKEYBLOB, 0, reinterpret_cast<BYTE*>(blob.data()), &size);
    blob.resize(size);
  }
  std::string Sign(const std::string& data) const {
    CryptHash hash;
    std::string signature(1024, '\0');
    DWORD size = 1024;
    CryptCreateHash(provider.get(), CALG_SHA_256, 0, 0, hash.out());
    CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()), 0);
    CryptSignHashW(hash.get(), AT_SIGNATURE, nullptr, 0, reinterpret_cast<BYTE*>(signature.data()), &size);
    return {signature.rend() - size, signature.rend()};
  }
  CryptProvider provider = OpenProvider();
  CryptKey key;
  std::string blob = std::string(2048, '\0');
};

TEST(Win32Crypto, SignaturesOfStrongKeysVerifyAndNameTheirKey) {
  const KeyPair maker(3072), next(3072), weak(2048);
  // Data whose signature begins with a zero byte, which a signer may leave out.
  std::string data, signature;
  for (int i = 0; i < 4096 && (signature.empty() || signature[0] != '\0'); ++i)
    signature = maker.Sign(data = std::to_string(i));
  ASSERT_EQ(signature.size(), 384u);
  const struct {
    const char* name;
    std::string signature;
    std::vector<PackageKey> keys;
    std::string keyName;
  } rows[] = {
      {"the second key's", signature, {{next.blob, "next"}, {maker.blob, "maker"}}, "maker"},
      {"leading zero left out", signature.substr(1), {{maker.blob, "maker"}}, "maker"},
      {"longer than the key", std::string(1, '\0') + signature, {{maker.blob, "maker"}}, "refused"},
      {"a key under 3072 bits", weak.Sign(data), {{weak.blob, "weak"}}, "refused"},
  };
  for (const auto& row : rows) {
    std::string keyName;
    EXPECT_EQ(Win32Crypto(row.keys, false).VerifySignature(data, row.signature, keyName) ? keyName : "refused",
              row.keyName) << row.name;
  }
}

// Draws a quarter of the bar and Czech texts, then checks the client area as the X server shows it.
class Drawing : public IWindowEvents {
 public:
  explicit Drawing(Win32Window& window) : window_(window) {}
  void OnActivate() override { window_.SetCaption(Label::App, "Aktualizace aplikace Žluťoučký kůň"); }
  void OnMainTimer() override {
    window_.EnableTimer(Timer::Main, false);
    window_.SetCaption(Label::Status, "Stažení souboru – čeština úplně");
    ShowProgress(window_.StatusBox(), 0.25f, false);
    for (int i = 0; i < 20; ++i, Sleep(20)) window_.Pump();
    Check();
    window_.Unload();
  }
  void OnEndTimer() override {}
  bool OnCloseRequest() override { return true; }
  bool checked = false;

 private:
  uint32_t At(int x, int y) const {  // 0xRRGGBB
    COLORREF c = GetPixel(screen_.get(), origin_.x + x, origin_.y + y);
    return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
  }
  int Dark(int left, int top, int right, int bottom) const {  // every other pixel: each read asks the X server
    int n = 0;
    for (int y = top; y < bottom; y += 2)
      for (int x = left; x < right; x += 2) n += (At(x, y) >> 16) + ((At(x, y) >> 8) & 255) + (At(x, y) & 255) < 200;
    return n;
  }
  void Check() {
    RECT client;
    GetClientRect(window_.Handle(), &client);
    ClientToScreen(window_.Handle(), &origin_);
    checked = true;
    ASSERT_EQ(std::pair(client.right, client.bottom), std::pair(672L, 369L));
    // picStatus: 2288, 3030 twips -> 152, 202 pixels; 373 x 26.
    const int left = 152, top = 202, width = 373, row = top + 20;
    int navy = 0;
    for (int x = left; x < left + width; ++x) navy += At(x, row) == 0x000080;
    EXPECT_NEAR(static_cast<double>(navy) / width, 0.25, 0.02);
    EXPECT_EQ(std::pair(At(left + 5, row), At(left + width - 5, row)), std::pair(0x000080u, 0xFFFFFFu));
    EXPECT_GT(Dark(left + width / 2 - 20, top + 2, left + width / 2 + 20, top + 24), 3);  // "25%"
    EXPECT_GT(Dark(14, 30, 360, 55), 200);  // the heading, left of the sub-heading (about 110 without it)
    EXPECT_GT(Dark(152, 184, 525, 197), 10);  // the status line
    EXPECT_EQ(At(5, 360), 0x5F9FCBu);         // the footer strip
  }
  Win32Window& window_;
  WindowDC screen_{nullptr};
  POINT origin_{0, 0};
};

TEST(Win32Window, ProgressBarAndCzechTextReachTheScreen) {
  Win32Dialogs dialogs;
  Win32Window window(dialogs);
  Drawing drawing(window);
  window.EnableTimer(Timer::Main, true);
  ASSERT_TRUE(window.ShowModal(drawing));
  EXPECT_TRUE(drawing.checked);
}

}  // namespace
}  // namespace tyx::win32
