#include "startup/CommandLine.h"

#include <gtest/gtest.h>

#include "startup/StrTok.h"

namespace tyx {
namespace {

tyx::Run Parse(const std::string& line) {
  tyx::Run run;
  ReadCommandLine(line, run);
  return run;
}

TEST(StrTok, RemembersTextAndSeparatorAcrossCalls) {
  StrTok tok;
  EXPECT_EQ(tok("a,,b", ","), "");
  EXPECT_EQ(tok("", ";"), "a");  // the remembered separator counts, not this one
  EXPECT_EQ(tok("", ","), " ");  // an empty field reads as one blank
  EXPECT_EQ(tok("", ","), "b");
  EXPECT_EQ(tok("", ","), "");
  EXPECT_EQ(tok("", ","), "");
}

TEST(StrTok, TrailingSeparatorGivesOneEmptyRestThenNothing) {
  StrTok tok;
  tok("x,", ",");
  EXPECT_EQ(tok("", ","), "x");
  EXPECT_EQ(tok("", ","), "");
  EXPECT_EQ(tok("", ","), "");
}

TEST(StrTok, MultiCharacterSeparatorIsMatchedWhole) {
  StrTok tok;
  tok("a::b:c", "::");
  EXPECT_EQ(tok("", ""), "a");
  EXPECT_EQ(tok("", ""), "b:c");
}

TEST(CommandLine, FieldsAreLowerCasedAndTrimmed) {
  tyx::Run run = Parse("D:\\Data, C:\\App , NorvaPro.exe,BETA");
  EXPECT_EQ(run.gCmdLine, "d:\\data, c:\\app , norvapro.exe,beta");
  EXPECT_EQ(run.gDataPath, "d:\\data");
  EXPECT_EQ(run.gAppPath, "c:\\app");
  EXPECT_EQ(run.cApp, "norvapro.exe");
  EXPECT_EQ(run.gChannel, "beta");
}

TEST(CommandLine, OddShapes) {
  tyx::Run noComma = Parse("d:\\data;c:\\app");
  EXPECT_EQ(noComma.gDataPath, "d:\\data;c:\\app");
  EXPECT_EQ(noComma.gAppPath, "");

  tyx::Run empty = Parse("");
  EXPECT_EQ(empty.gDataPath + empty.gAppPath + empty.cApp + empty.gChannel, "");

  tyx::Run extra = Parse("a,b,c,d,e,f");
  EXPECT_EQ(extra.gChannel, "d");

  tyx::Run holes = Parse(",,,");
  EXPECT_EQ(holes.gDataPath + holes.gAppPath + holes.cApp + holes.gChannel, "");

  tyx::Run blanks = Parse("   ,  c:\\app  ,   ,  ");
  EXPECT_EQ(blanks.gDataPath, "");
  EXPECT_EQ(blanks.gAppPath, "c:\\app");

  tyx::Run quoted = Parse("\"C:\\Data\",\"c:\\app\"");
  EXPECT_EQ(quoted.gDataPath, "\"c:\\data\"");  // quotes stay part of the field
  EXPECT_EQ(quoted.gAppPath, "\"c:\\app\"");

  tyx::Run trailing = Parse("d:\\data,c:\\app,");
  EXPECT_EQ(trailing.gAppPath, "c:\\app");
  EXPECT_EQ(trailing.cApp, "");
}

TEST(CommandLine, CzechLettersAreLowerCasedToo) {
  tyx::Run run = Parse("D:\\ÚČETNÍ DATA,C:\\Program Files\\ŘEŠENÍ Žluťoučký");
  EXPECT_EQ(run.gDataPath, "d:\\účetní data");
  EXPECT_EQ(run.gAppPath, "c:\\program files\\řešení žluťoučký");
}

}  // namespace
}  // namespace tyx
