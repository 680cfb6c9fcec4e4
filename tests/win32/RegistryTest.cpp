#include <gtest/gtest.h>

#include "platform/RegistryAccess.h"
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32Dialogs.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/WinApi.h"

namespace tyx::win32 {
namespace {

const char kKey[] = "Software\\Tyx\\TestLayer\\c:/účetnictví/žluťoučký kůň";

class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, codePage.ToAnsi(kKey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tyx\\TestLayer"); }
  bool Read(const std::string& name, RegValue& value) {
    return access.ReadRegValue(HKEY_CURRENT_USER_VALUE, kKey, name, REG_SZ_TYPE, value, false);
  }

  Win32CodePage codePage;
  Win32Registry registry{codePage};
  Win32Dialogs dialogs;
  RegistryAccess access{registry, codePage, dialogs};
};

TEST_F(Win32RegistryTest, TheAnsiCodePageIsCentralEuropean) { EXPECT_EQ(GetACP(), 1250u); }

TEST_F(Win32RegistryTest, CzechKeyNameAndTextRoundTrip) {
  ASSERT_TRUE(access.WriteRegValue(HKEY_CURRENT_USER_VALUE, kKey, "ProxyAdr", REG_SZ_TYPE,
                                   std::string("proxy.účetní.cz:8080")));
  RegValue value = std::string();
  ASSERT_TRUE(Read("ProxyAdr", value));
  EXPECT_EQ(RegValueText(value), "proxy.účetní.cz:8080");
  // Stored as Unicode by Wine, so the ANSI form reached it intact.
  wchar_t buffer[64];
  DWORD size = sizeof buffer;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Tyx\\TestLayer\\c:/\u00fa\u010detnictv\u00ed/\u017elu\u0165ou\u010dk\u00fd k\u016f\u0148",
                         L"ProxyAdr", RRF_RT_REG_SZ, nullptr, buffer, &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(buffer, L"proxy.\u00fa\u010detn\u00ed.cz:8080");
}

TEST_F(Win32RegistryTest, LongTextIsReadWhole) {
  std::string text(1000, 'a');
  ASSERT_TRUE(access.WriteRegValue(HKEY_CURRENT_USER_VALUE, kKey, "NEWVERTYPE", REG_SZ_TYPE, text));
  RegValue value = std::string("1");
  ASSERT_TRUE(Read("NEWVERTYPE", value));
  EXPECT_EQ(RegValueText(value), text);
}

TEST_F(Win32RegistryTest, MissingValueAndKeyKeepThePreset) {
  RegValue value = std::string("1");
  EXPECT_FALSE(Read("NEWVERTYPE", value));
  EXPECT_FALSE(access.ReadRegValue(HKEY_CURRENT_USER_VALUE, "Software\\Tyx\\TestLayer\\none", "x", REG_SZ_TYPE,
                                   value, false));
  EXPECT_EQ(RegValueText(value), "1");
  EXPECT_FALSE(access.WriteRegValue(HKEY_CURRENT_USER_VALUE, "Software\\Tyx\\TestLayer\\none", "NEWVER",
                                    REG_SZ_TYPE, std::string("0")));
  HKEY key;
  EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tyx\\TestLayer\\none", 0, KEY_READ, &key), ERROR_SUCCESS);
}

}  // namespace
}  // namespace tyx::win32
