#include <gtest/gtest.h>

#include "jww/strutil.h"

namespace {

using namespace jww;

TEST(StrUtil, BytesToStrStopsAtTheFirstZero) {
  EXPECT_EQ(BytesToStr(std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(BytesToStr("\x93\xfa\x89\x65"), "日影");
  EXPECT_EQ(BytesToStr(""), "");
}

TEST(StrUtil, StrByteLenCountsCodePageBytesBeforeAZero) {
  EXPECT_EQ(StrByteLen("abc"), 3u);
  EXPECT_EQ(StrByteLen("日影図"), 6u);
  EXPECT_EQ(StrByteLen("ｱ"), 1u);  // half-width katakana is one byte
  EXPECT_EQ(StrByteLen(std::string("ab\0cd", 5)), 2u);
  EXPECT_EQ(StrByteLen("\xF0\x9F\x98\x80"), 1u);  // unencodable: one '?'
  EXPECT_EQ(StrToBytes("図?"), "\x90\x7d?");
}

TEST(StrUtil, StrippingAndCleaning) {
  struct Case {
    std::string in, ctrl, blanks, clean;
  };
  const Case cases[] = {
      {"", "", "", ""},
      {"a\tb\r\n", "ab", "ab", "ab"},
      {"　a b　", "　a b　", "ab", "　a b　"},
      {"^mA\\nB", "^mA\\nB", "^mA\\nB", "AB"},
      {"^m", "^m", "^m", " "},
      {"\x01\x02", "", "", " "},
      {"A^", "A^", "A^", "A^"},
      {"\\", "\\", "\\", "\\"},
      {"^M\\N", "^M\\N", "^M\\N", "^M\\N"},  // the sequences are lower case only
      {"^^mm", "^^mm", "^^mm", "^m"},        // one pass, not repeated
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StripCtrl(c.in), c.ctrl) << c.in;
    EXPECT_EQ(StripBlanks(c.in), c.blanks) << c.in;
    EXPECT_EQ(CleanName(c.in), c.clean) << c.in;
    EXPECT_EQ(NeedsCleaning(c.in), c.clean != c.in) << c.in;
  }
}

TEST(StrUtil, FillBytesAndCasing) {
  unsigned char buf[6] = {1, 2, 3, 4, 5, 6};
  FillBytes(0x20, 4, buf);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 6), "    \x05\x06");
  EXPECT_EQ(UpperStr("pic.bmp"), "PIC.BMP");
  EXPECT_EQ(LowerStr("X.GZ"), "x.gz");
  EXPECT_EQ(UpperStr(""), "");
}

}  // namespace
