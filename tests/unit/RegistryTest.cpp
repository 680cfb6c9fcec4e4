#include "platform/RegistryAccess.h"

#include <gtest/gtest.h>

#include "fakes/FakeOs.h"

namespace tyx {
namespace {

const char kKey[] = "Software\\Tyx\\Norva\\c:/app";

class RegistryTest : public ::testing::Test {
 protected:
  test::FakeRegistry fake;
  test::IdentityCodePage codePage;
  test::FakeDialogs dialogs;
  RegistryAccess registry{fake, codePage, dialogs};

  bool Read(const std::string& name, RegValue& value, bool report = false) {
    return registry.ReadRegValue(HKEY_CURRENT_USER_VALUE, kKey, name, REG_SZ_TYPE, value, report);
  }
  void SetUp() override { fake.AddKey(kKey); }
};

TEST_F(RegistryTest, MissingValueKeepsThePresetSilently) {
  RegValue value = std::string("1");
  EXPECT_FALSE(Read("NEWVERTYPE", value));
  EXPECT_EQ(RegValueText(value), "1");
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_EQ(fake.open, 0);
}

TEST_F(RegistryTest, TextsOfEveryLengthReadBack) {
  for (size_t length : {0u, 1u, 253u, 254u, 255u, 256u, 4000u}) {
    std::string text(length, 'x');
    ASSERT_TRUE(registry.WriteRegValue(HKEY_CURRENT_USER_VALUE, kKey, "ProxyAdr", REG_SZ_TYPE, text));
    RegValue value = std::string("preset");
    ASSERT_TRUE(Read("ProxyAdr", value)) << length;
    EXPECT_EQ(RegValueText(value), text) << length;
  }
}

TEST_F(RegistryTest, TextStoredWithoutItsZeroKeepsItsLastCharacter) {
  fake.SetRaw(kKey, "Proxy", REG_SZ_TYPE, "1");
  RegValue value = std::string();
  ASSERT_TRUE(Read("Proxy", value));
  EXPECT_EQ(RegValueText(value), "1");
}

TEST_F(RegistryTest, OtherTypesReadAsNumbers) {
  fake.SetRaw(kKey, "dword", REG_DWORD_TYPE, std::string("\x05\x00\x00\x00", 4));
  fake.SetRaw(kKey, "expand", REG_EXPAND_SZ_TYPE, std::string("%TEMP%\0", 7));
  RegValue value = std::string("preset");
  ASSERT_TRUE(Read("dword", value));
  EXPECT_EQ(RegValueText(value), "0");  // a DWORD asked for as text
  ASSERT_TRUE(registry.ReadRegValue(HKEY_CURRENT_USER_VALUE, kKey, "dword", REG_DWORD_TYPE, value, false));
  EXPECT_EQ(RegValueText(value), "5");
  ASSERT_TRUE(Read("expand", value));
  EXPECT_EQ(RegValueText(value), "1");
}

TEST_F(RegistryTest, WriteNeverCreatesAKey) {
  EXPECT_FALSE(registry.WriteRegValue(HKEY_CURRENT_USER_VALUE, "Software\\Tyx\\Missing", "NEWVER", REG_SZ_TYPE,
                                      std::string("0")));
  EXPECT_FALSE(fake.HasKey("Software\\Tyx\\Missing"));
  ASSERT_TRUE(registry.WriteRegValue(HKEY_CURRENT_USER_VALUE, kKey, "NEWVER", REG_SZ_TYPE, int32_t{0}));
  EXPECT_EQ(fake.Get(kKey, "NEWVER")->data, std::string("0\0", 2));
  EXPECT_FALSE(registry.WriteRegValue(HKEY_CURRENT_USER_VALUE, kKey, "NEWVER", REG_DWORD_TYPE, std::string("x")));
  EXPECT_EQ(fake.open, 0);
}

TEST_F(RegistryTest, ReportedErrorsNameKeyAndCode) {
  RegValue value = std::string();
  EXPECT_FALSE(registry.ReadRegValue(HKEY_CURRENT_USER_VALUE, "Software\\None", "x", REG_SZ_TYPE, value, true));
  EXPECT_FALSE(Read("absent", value, true));
  ASSERT_EQ(dialogs.boxes.size(), 2u);
  EXPECT_EQ(dialogs.boxes[0].text, "Error Opening Registry Key Entry:\r\nKey/Path=Software\\None\r\nDLL Error 2");
  EXPECT_EQ(dialogs.boxes[0].title, "TyxUpdate");
  EXPECT_EQ(dialogs.boxes[1].text, "Error Retrieving Registry Key Entry:\r\nKey=absent\r\nDLL Returned=2");
  EXPECT_EQ(dialogs.boxes[1].title, "ODBC Registry");
}

}  // namespace
}  // namespace tyx
