#include <gtest/gtest.h>

#include "jww/JwwUnit.h"
#include "tests/support.h"

namespace {

using namespace jww;
using testsupport::Bytes;

// Writes an attribute and reads it back with a document of the same version.
TEntJwwAttr RoundTrip(int32_t ver, const TEntJwwAttr& a, int kind, size_t* size = nullptr) {
  TJwwData doc;
  std::string out;
  TJwwOut w(out);
  doc.WriteAttr(w, ver, a, kind);
  if (size) *size = out.size();
  doc.Enthd.jwVer = ver;
  TJwwIn r(Bytes(out));
  TEntJwwAttr back;
  doc.ReadAttr(r, back);
  EXPECT_EQ(r.Remaining(), 0u);
  return back;
}

TEntJwwAttr Attr(int style, int color) {
  TEntJwwAttr a;
  a.lGroup = 7;
  a.nPenStyle = static_cast<uint8_t>(style);
  a.nPenColor = static_cast<uint16_t>(color);
  a.nPenWidth = 25;
  a.nLayer = 3;
  a.nGLayer = 4;
  a.sFlg = 0x8001;
  return a;
}

class AttrTest : public ::testing::Test {
 protected:
  // The fallbacks the worker sets; 0 is the library's own default and tested separately.
  void SetUp() override {
    SetDefaultPenStyle(1);
    SetDefaultPenColor(1);
  }
  void TearDown() override {
    SetDefaultPenStyle(0);
    SetDefaultPenColor(0);
  }
};

TEST_F(AttrTest, FifteenBytesFrom351ThirteenBefore) {
  size_t n = 0;
  TEntJwwAttr back = RoundTrip(351, Attr(2, 3), kLine, &n);
  EXPECT_EQ(n, 15u);
  EXPECT_EQ(back, Attr(2, 3));
  back = RoundTrip(350, Attr(2, 3), kLine, &n);
  EXPECT_EQ(n, 13u);
  TEntJwwAttr expect = Attr(2, 3);
  expect.nPenWidth = 0;
  EXPECT_EQ(back, expect);
}

TEST_F(AttrTest, DownConversionBelow420) {
  struct Case {
    int kind, style, color, ver;
    int wantStyle, wantColor;
  };
  const Case cases[] = {
      {kLine, 35, 103, 351, 8, 3},
      {kLine, 35, 103, 420, 35, 103},
      {kEnko, 31, 101, 419, 1, 2},
      {kEnko, 45, 116, 419, 17, 2},
      {kLine, 44, 110, 300, 17, 8},
      {kLine, 46, 117, 419, 1, 1},
      {kLine, 62, 356, 419, 1, 1},
      {kLine, 62, 356, 420, 62, 356},
      {kTen, 1, 105, 419, 1, 4},
      {kMoji, 1, 107, 419, 1, 1},
      {kSunpo, 1, 112, 419, 1, 3},
      {kSolid, 1, 113, 419, 1, 6},
      {kTen, 35, 103, 600, 1, 103},     // points: style 35 is invalid at any version
      {kBlock, 35, 103, 300, 35, 103},  // inserts and definitions: unchanged
      {kBlockDef, 200, 999, 300, 200, 999},
  };
  for (const auto& c : cases) {
    TEntJwwAttr back = RoundTrip(c.ver, Attr(c.style, c.color), c.kind);
    EXPECT_EQ(back.nPenStyle, c.wantStyle) << c.kind << " " << c.style << " v" << c.ver;
    EXPECT_EQ(back.nPenColor, c.wantColor) << c.kind << " " << c.color << " v" << c.ver;
  }
}

TEST_F(AttrTest, ValidationAtEveryVersion) {
  struct Case {
    int kind, style, color;
    int wantStyle, wantColor;
  };
  const Case cases[] = {
      {kLine, 0, 0, 1, 1},     {kLine, 9, 9, 9, 9},       {kLine, 10, 10, 1, 1},
      {kEnko, 19, 100, 19, 1}, {kEnko, 20, 357, 1, 1},    {kLine, 30, 101, 1, 101},
      {kTen, 100, 5, 100, 5},  {kTen, 2, 5, 1, 5},        {kMoji, 9, 1, 9, 1},
      {kMoji, 11, 1, 1, 1},    {kSunpo, 200, 10, 200, 1}, {kSolid, 1, 10, 1, 10},
      {kSolid, 1, 11, 1, 1},   {kBlock, 0, 0, 0, 0},      {kBlockDef, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    TEntJwwAttr back = RoundTrip(600, Attr(c.style, c.color), c.kind);
    EXPECT_EQ(back.nPenStyle, c.wantStyle) << "kind " << c.kind << " style " << c.style;
    EXPECT_EQ(back.nPenColor, c.wantColor) << "kind " << c.kind << " colour " << c.color;
  }
}

TEST_F(AttrTest, LayerGroupAndWidthClampsForEveryKind) {
  for (int kind = kLine; kind <= kBlockDef; ++kind) {
    TEntJwwAttr a = Attr(1, 1);
    a.nLayer = 16;
    a.nGLayer = 16;
    a.nPenWidth = 30001;
    TEntJwwAttr back = RoundTrip(600, a, kind);
    EXPECT_EQ(back.nLayer, 0) << kind;
    EXPECT_EQ(back.nGLayer, 0) << kind;
    EXPECT_EQ(back.nPenWidth, 0) << kind;
    a.nLayer = 15;
    a.nGLayer = 15;
    a.nPenWidth = 30000;
    EXPECT_EQ(RoundTrip(600, a, kind), a) << kind;
  }
}

TEST(AttrDefaults, FallbacksAreZeroUntilAProgramSetsThem) {
  ASSERT_EQ(DefaultPenStyle(), 0);
  ASSERT_EQ(DefaultPenColor(), 0);
  TEntJwwAttr back = RoundTrip(600, Attr(10, 400), kLine);
  EXPECT_EQ(back.nPenStyle, 0);
  EXPECT_EQ(back.nPenColor, 0);
  back = RoundTrip(600, Attr(10, 400), kMoji);  // texts use the constant 1 for the style
  EXPECT_EQ(back.nPenStyle, 1);
  EXPECT_EQ(back.nPenColor, 0);
}

TEST(AttrWrite, TheStoredRecordIsUnchanged) {
  TJwwData doc;
  std::string out;
  TJwwOut w(out);
  const TEntJwwAttr a = Attr(46, 300);
  TEntJwwAttr copy = a;
  doc.WriteAttr(w, 300, copy, kLine);
  EXPECT_EQ(copy, a);
  TEntJwwAttr dst;
  TJwwData::CopyAttr(a, dst);
  EXPECT_EQ(dst, a);
}

}  // namespace
