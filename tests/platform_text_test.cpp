#include <gtest/gtest.h>

#include "platform/daycount.h"
#include "platform/text.h"

namespace {

using platform::Cp932ToUtf8;
using platform::Utf8ToCp932;

TEST(Cp932, JapaneseRoundTripsThroughMicrosoftsTable) {
  const std::string text = "日影図　ＴＥＳＴ用データ～①ｱｲｳ\\~";
  const std::string bytes = Utf8ToCp932(text);
  // 0x8160 is U+FF5E (not U+301C) and 0x5C stays the backslash in Microsoft's table.
  EXPECT_NE(bytes.find("\x81\x60"), std::string::npos);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\\~");
  EXPECT_EQ(Cp932ToUtf8(bytes), text);
}

TEST(Cp932, UnencodableCharactersBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp932("a\xF0\x9F\x98\x80"
                        "b"),
            "a?b");  // an emoji
  EXPECT_EQ(Utf8ToCp932("\xED\x95\x9C"
                        "\xEA\xB8\x80"),
            "??");                          // Hangul
  EXPECT_EQ(Utf8ToCp932("x\xFFy"), "x?y");  // malformed UTF-8
}

TEST(Cp932, EveryUndecodableByteBecomesOneReplacement) {
  const std::string fffd = "\xEF\xBF\xBD";
  EXPECT_EQ(Cp932ToUtf8("\x80"), fffd);
  EXPECT_EQ(Cp932ToUtf8("a\xA0\xFD"
                        "b"),
            "a" + fffd + fffd + "b");
  EXPECT_EQ(Cp932ToUtf8("\x82"), fffd);  // a lead byte cut at the end
  // A lead byte followed by an invalid trail: only the lead is lost.
  EXPECT_EQ(Cp932ToUtf8(std::string("\x82\x20z", 3)), fffd + " z");
  EXPECT_EQ(Cp932ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Utf16, ConvertsBothWaysAndReplacesLoneSurrogates) {
  EXPECT_EQ(platform::Utf16ToUtf8(u"寸法 A"), "寸法 A");
  EXPECT_EQ(platform::Utf8ToUtf16("\xF0\x9F\x98\x80"), std::u16string(u"\U0001F600"));
  EXPECT_EQ(platform::Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(LocaleCase, FollowsUnicodeCasing) {
  struct Case {
    const char* in;
    const char* upper;
    const char* lower;
  };
  const Case cases[] = {
      {"true", "TRUE", "true"},
      {"ｔｒｕｅ", "ＴＲＵＥ", "ｔｒｕｅ"},  // full-width letters have case
      {"１", "１", "１"},                    // full-width digits do not
      {"Pic.Bmp.Gz", "PIC.BMP.GZ", "pic.bmp.gz"},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::LocaleUpper(c.in), c.upper) << c.in;
    EXPECT_EQ(platform::LocaleLower(c.in), c.lower) << c.in;
  }
}

TEST(DayCount, CountsDaysFromTheEndOf1899) {
  using platform::DayCount;
  EXPECT_DOUBLE_EQ(DayCount({1899, 12, 30}), 0.0);
  EXPECT_DOUBLE_EQ(DayCount({1900, 1, 1}), 2.0);
  EXPECT_DOUBLE_EQ(DayCount({2000, 1, 1}), 36526.0);
  EXPECT_DOUBLE_EQ(DayCount({2026, 12, 10, 12, 0, 0, 0}), 46366.5);
  EXPECT_NEAR(DayCount({2026, 12, 10, 18, 0, 0, 0}), 46366.75, 1e-9);
  EXPECT_NEAR(DayCount({2026, 12, 10, 0, 0, 1, 0}) - 46366.0, 1.0 / 86400, 1e-9);
}

TEST(DayCount, NowIsToday) {
  const platform::LocalDateTime t = platform::LocalNow();
  const double now = platform::DayCountNow();
  EXPECT_GE(now, platform::DayCount({t.year, t.month, t.day}));
  EXPECT_LT(now, platform::DayCount({t.year, t.month, t.day}) + 1.0 + 1e-6);
}

}  // namespace

// The converters remember what iconv made of each character; they must give what iconv gives
// over the whole text, for every character and every broken pair, wherever it stands.
TEST(Cp932, RememberedCharactersAgreeWithIconvOnEveryCode) {
  using platform::detail::Cp932ToUtf8ByIconv;
  using platform::detail::Utf8ToCp932ByIconv;
  for (int b = 0x80; b <= 0xFF; ++b) {
    const std::string alone(1, static_cast<char>(b));
    ASSERT_EQ(Cp932ToUtf8("x" + alone), Cp932ToUtf8ByIconv("x" + alone)) << b;
    for (int t = 0; t <= 0xFF; ++t) {
      const std::string in = alone + static_cast<char>(t) + "\x82";
      ASSERT_EQ(Cp932ToUtf8(in), Cp932ToUtf8ByIconv(in)) << b << " " << t;
    }
  }
  for (char32_t cp = 0x80; cp <= 0x10FFFF; cp += cp < 0x10000 ? 1 : 0x1FF) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    std::string in = "a";
    if (cp < 0x800) {
      in += static_cast<char>(0xC0 | (cp >> 6));
    } else if (cp < 0x10000) {
      in += static_cast<char>(0xE0 | (cp >> 12));
      in += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    } else {
      in += static_cast<char>(0xF0 | (cp >> 18));
      in += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      in += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    }
    in += static_cast<char>(0x80 | (cp & 0x3F));
    in += "\xE3\x81";  // and a character cut short behind it
    ASSERT_EQ(Utf8ToCp932(in), Utf8ToCp932ByIconv(in)) << static_cast<uint32_t>(cp);
  }
}
