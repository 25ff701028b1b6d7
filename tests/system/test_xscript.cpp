// Script reader: keywords, comments, blank lines, argument forms.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "file/xfile.h"
#include "system/xscript.h"

namespace {

struct Script {
  std::string body;
  xScript s;
  explicit Script(const std::string& text) : body(text) {
    s.Load(reinterpret_cast<const uint8_t*>(body.data()), static_cast<int32_t>(body.size()));
  }
  std::vector<std::string> Keywords() {
    std::vector<std::string> out;
    for (const char* k; (k = s.NextKeyword()) != nullptr;) out.push_back(std::string(k) + "|" + s.ArgText());
    return out;
  }
};

TEST(XScript, KeywordsAndArgumentsCrLf) {
  Script a("VERSION 1.0\r\nTEXTURE_PATH textures/\r\n\r\nDISTANCE 2000\r\n");
  EXPECT_EQ(a.Keywords(), (std::vector<std::string>{"VERSION|1.0", "TEXTURE_PATH|textures/", "DISTANCE|2000"}));
  EXPECT_EQ(a.s.NextKeyword(), nullptr);  // stays at the end
}

TEST(XScript, TableOfEdgeCases) {
  struct Row {
    const char* text;
    std::vector<std::string> expect;
  } rows[] = {
      {"", {}},                                                      // empty text
      {"\r\n\r\n", {}},                                              // blank lines only
      {"/* a\r\n comment */\r\n\r\n", {}},                           // only comments and blanks
      {"A 1\r\n/* never closed\r\nB 2\r\n", {"A|1"}},                // unterminated comment ends the script
      {"/* x */\r\nA 1\r\n/*\r\nB 2\r\n*/\r\nC 3", {"A|1", "C|3"}},  // last line without line feed
      {"A 1\n\nB 2\n\n\nC\n", {"A|1", "B|2", "C|"}},                 // LF-only lines, blank lines read once
      {"/* c */ D 4\r\nE 5\r\n", {"D|4", "E|5"}},                    // text after a comment on its line
      {"/* c */\nF 6\n", {"F|6"}},                                   // LF after a comment: no repeat
      {"   INDENTED  two  blanks\r\n", {"INDENTED| two  blanks"}},   // only the first blank is the separator
      {"KEY\r\n", {"KEY|"}},                                         // keyword without argument
      {"A 1\r\n   \r\nB 2\r\n", {"A|1", "B|2"}},                     // a line of blanks
  };
  for (const Row& r : rows) {
    Script s(r.text);
    EXPECT_EQ(s.Keywords(), r.expect) << "script: " << r.text;
  }
}

TEST(XScript, LongKeywordIsCut) {
  std::string kw(100, 'K');
  Script a(kw + " arg\r\nNEXT 1\r\n");
  const char* k = a.s.NextKeyword();
  ASSERT_NE(k, nullptr);
  EXPECT_EQ(std::strlen(k), 79u);
  EXPECT_STREQ(a.s.NextKeyword(), "NEXT");
}

TEST(XScript, VeryLongArgumentIsBounded) {
  std::string arg(5000, 'x');
  Script a("PATH " + arg + "\r\nNEXT 7\r\n");
  ASSERT_STREQ(a.s.NextKeyword(), "PATH");
  // Separator plus 254 characters fill the 255 of the buffer.
  EXPECT_EQ(std::strlen(a.s.argument), 255u);
  EXPECT_EQ(std::string(a.s.ArgText()), std::string(254, 'x'));
  ASSERT_STREQ(a.s.NextKeyword(), "NEXT");
  EXPECT_EQ(a.s.ArgInt(), 7);
}

TEST(XScript, TexturePathArgText) {
  Script a("TEXTURE_PATH maps/\r\n");
  a.s.NextKeyword();
  EXPECT_STREQ(a.s.ArgText(), "maps/");
  EXPECT_EQ(a.s.ArgCompare("maps/"), 0);
  EXPECT_EQ(a.s.ArgCompare("maps"), -1);
  EXPECT_EQ(a.s.ArgCompare("mapz/"), 1);
  char* d = a.s.ArgDup();
  EXPECT_STREQ(d, "maps/");
  std::free(d);
}

TEST(XScript, NumbersAndWords) {
  Script a("FOG_COLOR 1 2 3\r\nDISTANCE 12.5\r\nRENDER_TYPE 4\r\nMAT_COLOR 255\r\n");
  a.s.NextKeyword();
  a.s.SplitArgs(4);
  EXPECT_STREQ(a.s.words[0], "1");
  EXPECT_STREQ(a.s.words[2], "3\r");
  EXPECT_EQ(a.s.words[3], nullptr);
  EXPECT_EQ(a.s.ArgWord(2), 2.0f);
  EXPECT_EQ(a.s.ArgWord(0), 1.0f);  // below 1 counts as 1
  EXPECT_EQ(a.s.ArgWord(3), 3.0f);
  EXPECT_EQ(a.s.ArgWord(4), 0.0f);  // missing word
  EXPECT_EQ(a.s.ArgWord(9), 0.0f);  // beyond the split: missing, not out of bounds
  a.s.NextKeyword();
  EXPECT_FLOAT_EQ(a.s.ArgFloat(), 12.5f);
  a.s.NextKeyword();
  EXPECT_EQ(a.s.ArgInt(), 4);
  a.s.NextKeyword();
  a.s.SplitArgs(3);
  EXPECT_EQ(a.s.ArgWord(1), 255.0f);
  EXPECT_EQ(a.s.ArgWord(2), 0.0f);  // a missing number reads as 0
}

TEST(XScript, ReloadAndFree) {
  Script a("A 1\r\n");
  std::string other = "B 2\r\n";
  a.s.Load(reinterpret_cast<const uint8_t*>(other.data()), static_cast<int32_t>(other.size()));
  EXPECT_STREQ(a.s.NextKeyword(), "B");
  a.s.Free();
  EXPECT_EQ(a.s.NextKeyword(), nullptr);
  a.s.Free();  // twice is harmless
}

TEST(XScriptDeath, NullRecordIsAnAssertion) {
  xScript s;
  EXPECT_EXIT(s.Load(nullptr, 4), ::testing::ExitedWithCode(1), "Error: Assertion failed\nFile Xscript\nLine 82");
}

}  // namespace
