#include "startup/CommandLine.h"

#include <gtest/gtest.h>

#include "startup/StrTok.h"

namespace tyx {
namespace {

TEST(StrTok, RemembersTextAndSeparatorAcrossCalls) {
  struct Case {
    const char *text, *separator;
    std::vector<std::string> tokens;  // the first call's, then the following calls' with an empty text
  } cases[] = {
      {"a,,b", ",", {"", "a", " ", "b", "", ""}},  // an empty field reads as one blank
      {"x,", ",", {"", "x", "", ""}},
      {"a::b:c", "::", {"", "a", "b:c"}},
  };
  for (const Case& c : cases) {
    StrTok tok;
    std::vector<std::string> tokens{tok(c.text, c.separator)};
    while (tokens.size() < c.tokens.size()) tokens.push_back(tok("", ";"));  // the remembered separator counts
    EXPECT_EQ(tokens, c.tokens) << c.text;
  }
}

TEST(CommandLine, FieldsAreLowerCasedAndTrimmed) {
  struct Case {
    const char* line;
    std::vector<std::string> fields;  // data, app, exe, channel
  } cases[] = {
      {"D:\\Data, C:\\App , NorvaPro.exe,BETA", {"d:\\data", "c:\\app", "norvapro.exe", "beta"}},
      {"d:\\data;c:\\app", {"d:\\data;c:\\app", "", "", ""}},
      {"", {"", "", "", ""}},
      {"a,b,c,d,e,f", {"a", "b", "c", "d"}},
      {",,,", {"", "", "", ""}},
      {"   ,  c:\\app  ,   ,  ", {"", "c:\\app", "", ""}},
      {"\"C:\\Data\",\"c:\\app\"", {"\"c:\\data\"", "\"c:\\app\"", "", ""}},  // quotes stay part of the field
      {"d:\\data,c:\\app,", {"d:\\data", "c:\\app", "", ""}},
      {"D:\\ÚČETNÍ DATA,C:\\ŘEŠENÍ Žluťoučký", {"d:\\účetní data", "c:\\řešení žluťoučký", "", ""}},
  };
  for (const Case& c : cases) {
    tyx::Run run;
    ReadCommandLine(c.line, run);
    EXPECT_EQ((std::vector<std::string>{run.gDataPath, run.gAppPath, run.cApp, run.gChannel}), c.fields) << c.line;
  }
  tyx::Run run;
  ReadCommandLine("D:\\Data, C:\\App", run);
  EXPECT_EQ(run.gCmdLine, "d:\\data, c:\\app");
}

}  // namespace
}  // namespace tyx
