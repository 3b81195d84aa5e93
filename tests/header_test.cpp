#include <gtest/gtest.h>

#include <cstring>

#include "jww/JwwUnit.h"
#include "tests/support.h"

namespace {

using namespace jww;
using testsupport::Bytes;
using testsupport::Hex;
using testsupport::ScratchDir;
using testsupport::WriteFile;

// A new drawing whose user table names are one letter, so no writer substitution applies.
TJwwData PlainDoc() {
  TJwwData doc;
  doc.DataDefaultSet();
  for (auto& c : doc.EntColS) c.astrUDColorName = "p";
  for (auto& t : doc.EntLtpS) {
    t.astrUDLTypeName = "t";
    t.anUDLTypeSegment = 2;
  }
  return doc;
}

std::string HeaderBytes(TJwwData& doc, int32_t ver) {
  std::string out;
  TJwwOut s(out);
  doc.WriteHeader(s, ver);
  return out;
}

// Reads a header from bytes; `consumed` receives how many bytes it took.
bool ReadHeaderFrom(TJwwData& doc, const std::string& bytes, uint64_t* consumed = nullptr) {
  doc.DataInit();
  TJwwIn s(Bytes(bytes));
  bool ok = doc.ReadHeader(s);
  if (consumed) *consumed = s.Position();
  return ok;
}

// The header size worked out from the layout by hand, for a document with an empty memo,
// empty layer and group names and one-letter user table names.
size_t ExpectedHeaderSize(int ver) {
  size_t n = 8 + 4 + 1 + 2532 + 256 + 16 + 28;
  if (ver >= 300) n += 16;
  n += 4 + 48;
  n += ver >= 231 ? 280 : 96;
  n += 88 + 80 + 160 + 128 + 100 + 64 + 40 + 4;
  if (ver >= 223) n += 60;
  if (ver >= 225) n += 32;
  if (ver >= 230) n += 8;
  if (ver >= 420) n += 2056 + 257 * (2 + 16) + 528 + 33 * (2 + 84);
  return n + 280 + 100;
}

TEST(Header, LayoutSizeAtEveryVersionThreshold) {
  for (int ver : {220, 222, 223, 224, 225, 229, 230, 231, 299, 300, 350, 351, 419, 420, 600, 700}) {
    TJwwData doc = PlainDoc();
    const std::string bytes = HeaderBytes(doc, ver);
    EXPECT_EQ(bytes.size(), ExpectedHeaderSize(ver)) << "version " << ver;
    TJwwData back;
    uint64_t consumed = 0;
    EXPECT_TRUE(ReadHeaderFrom(back, bytes, &consumed)) << ver;
    EXPECT_EQ(consumed, bytes.size()) << ver;
    EXPECT_EQ(back.Enthd.jwVer, ver);
  }
}

TEST(Header, RowsCarriedOnlyFromTheirVersion) {
  TJwwData doc = PlainDoc();
  auto& h = doc.Enthd;
  h.dTenkuuZuLevel = 12.5;
  h.dZoomJumpBairitsu[4] = 4.0;
  h.dZoomJumpBairitsu[5] = 5.0;
  h.nZoomJumpGLay[1] = 7;
  h.dDm11 = 11.0;
  h.nMojiBG = 3;
  h.lnDrawTime = 123;
  h.dEye_V_Ichi_3 = 9.5;
  h.dEnHankeiSnpou = 2.5;
  h.nSolidNinniColor = 1;
  h.SolidColor = 0x123456;
  doc.EntColS[256].anPenWidth = 42;
  doc.EntLtpS[32].aadUDLTypePitch[10] = 3.25;
  doc.EntMoj[9].anMojiCol = 5;
  h.adMojiKijunZureY2 = -1.5;

  struct Case {
    int ver;
    bool tenkuu, zoom8, eye, sunpou, solid, user;
  };
  const Case cases[] = {
      {220, false, false, false, false, false, false},
      {223, false, false, true, false, false, false},
      {225, false, false, true, true, false, false},
      {230, false, false, true, true, true, false},
      {231, false, true, true, true, true, false},
      {299, false, true, true, true, true, false},
      {300, true, true, true, true, true, false},
      {419, true, true, true, true, true, false},
      {420, true, true, true, true, true, true},
  };
  for (const auto& c : cases) {
    TJwwData back;
    ASSERT_TRUE(ReadHeaderFrom(back, HeaderBytes(doc, c.ver))) << c.ver;
    const auto& b = back.Enthd;
    SCOPED_TRACE("version " + std::to_string(c.ver));
    EXPECT_EQ(b.dTenkuuZuLevel, c.tenkuu ? 12.5 : 0.0);
    EXPECT_EQ(b.dZoomJumpBairitsu[4], 4.0);  // four jumps at every version
    EXPECT_EQ(b.dZoomJumpBairitsu[5], c.zoom8 ? 5.0 : 1.0);
    EXPECT_EQ(b.nZoomJumpGLay[1], c.zoom8 ? 7 : -1);
    EXPECT_EQ(b.dDm11, c.zoom8 ? 11.0 : 0.0);
    EXPECT_EQ(b.nMojiBG, c.zoom8 ? 3 : 0);
    EXPECT_EQ(b.lnDrawTime, c.eye ? 123 : 0);
    EXPECT_EQ(b.dEye_V_Ichi_3, c.eye ? 9.5 : 0.0);
    EXPECT_EQ(b.dEnHankeiSnpou, c.sunpou ? 2.5 : 0.0);
    EXPECT_EQ(b.SolidColor, c.solid ? 0x123456 : 0);
    ASSERT_EQ(back.EntColS.size(), 257u);
    ASSERT_EQ(back.EntLtpS.size(), 33u);
    EXPECT_EQ(back.EntColS[256].anPenWidth, c.user ? 42 : 0);
    EXPECT_EQ(back.EntLtpS[32].aadUDLTypePitch[10], c.user ? 3.25 : 0.0);
    EXPECT_EQ(back.EntColS[256].astrUDColorName, c.user ? "p" : "");
    EXPECT_EQ(back.EntMoj[9].anMojiCol, 5);
    EXPECT_EQ(b.adMojiKijunZureY2, -1.5);
  }
}

TEST(Header, MaxDrawWidDerivationsAndTheWritersClamp) {
  struct Case {
    int32_t w;
    bool senHaba100;
    int32_t bak;
  };
  const Case cases[] = {{-250, true, 50},    {-201, true, 1},    {-300, true, 100},
                        {-450, true, -50},   {-401, true, -1},   {-500, true, -100},
                        {-350, true, -100},  {-101, true, -100}, {-501, true, -100},
                        {-100, false, -100}, {5, false, 5}};
  for (const auto& c : cases) {
    TJwwData doc = PlainDoc();
    doc.Enthd.nMaxDrawWid = c.w;
    TJwwData back;
    ASSERT_TRUE(ReadHeaderFrom(back, HeaderBytes(doc, 421)));
    EXPECT_EQ(back.Enthd.nMaxDrawWid, c.w);
    EXPECT_EQ(back.Enthd.bSenHaba100, c.senHaba100) << c.w;
    EXPECT_EQ(back.Enthd.nMaxDrawWidBak, c.bak) << c.w;
  }
  TJwwData doc = PlainDoc();
  doc.Enthd.nMaxDrawWid = -250;
  TJwwData back;
  ASSERT_TRUE(ReadHeaderFrom(back, HeaderBytes(doc, 420)));
  EXPECT_EQ(back.Enthd.nMaxDrawWid, -101);
  EXPECT_EQ(doc.Enthd.nMaxDrawWid, -250) << "the document keeps its value";
  ASSERT_TRUE(ReadHeaderFrom(back, HeaderBytes(doc, 421)));
  EXPECT_EQ(back.Enthd.nMaxDrawWid, -250);
}

TEST(Header, CombinedPrintValue) {
  // Read v from a file, then write it at a version: what is stored.
  struct Case {
    int32_t dpi, nd;  // in the document
    int ver;
    int32_t stored;
  };
  const Case cases[] = {
      {0, 3, 600, 13}, {0, 3, 599, 3}, {36, 2, 600, 362}, {36, 2, 420, 2}, {-1, -7, 600, 3},
  };
  for (const auto& c : cases) {
    TJwwData doc = PlainDoc();
    doc.Enthd.nPrtDpi = c.dpi;
    doc.Enthd.nPrtDispOnlyNonDraw = c.nd;
    TJwwData back;
    ASSERT_TRUE(ReadHeaderFrom(back, HeaderBytes(doc, c.ver)));
    EXPECT_EQ(back.Enthd.nPrtDispOnlyNonDraw + 10 * back.Enthd.nPrtDpi, c.stored)
        << c.dpi << " " << c.nd << " v" << c.ver;
  }
  // Splitting truncates toward zero: 3 is (0, 3); -17 is (-1, -7).
  for (auto [v, dpi, nd] : {std::tuple{3, 0, 3}, {-17, -1, -7}, {1234, 123, 4}}) {
    TJwwData doc = PlainDoc();
    doc.Enthd.nPrtDpi = 0;
    doc.Enthd.nPrtDispOnlyNonDraw = v;  // stored as is below 600
    TJwwData back;
    ASSERT_TRUE(ReadHeaderFrom(back, HeaderBytes(doc, 420)));
    EXPECT_EQ(back.Enthd.nPrtDpi, dpi) << v;
    EXPECT_EQ(back.Enthd.nPrtDispOnlyNonDraw, nd) << v;
  }
}

TEST(Header, WriterSubstitutionsLeaveTheDocumentAlone) {
  TJwwData doc = PlainDoc();
  doc.EntLay[0].aStrLayName = std::string("\x01\x02", 2);  // only control characters
  doc.EntLay[1].aStrLayName = "";
  doc.EntLay[2].aStrLayName = "壁^m";
  doc.EntColS[20].astrUDColorName = "　　";
  doc.EntColS[20].aPenColor = 0x00FF00;
  doc.EntColS[20].aPrtPenColor = 0x0000FF;
  doc.EntColS[16].aPenColor = 0x00FF00;
  doc.EntColS[16].aPrtPenColor = 0x0000FF;
  doc.EntLtpS[5].alLType = 0;
  doc.EntLtpS[5].anUDLTypeSegment = 3;  // below 17 the segment count is not checked
  doc.EntLtpS[5].astrUDLTypeName = " ";
  doc.EntLtpS[18].anUDLTypeSegment = 3;
  doc.EntLtpS[18].alLType = 77;
  doc.EntLtpS[18].aadUDLTypePitch[3] = 9.0;
  doc.EntCol[0].aPrtPenColor = 0x123456;
  doc.EntCol[1].aPenColor = 0x1000000;
  doc.EntCol[1].anPenWidth = 0;
  doc.EntCol[2].anPenWidth = 17;
  doc.EntCol[3].aPrtPenColor = -1;
  doc.EntCol[3].anPrtPenWidth = 501;
  doc.EntCol[4].anPrtPenWidth = 0;
  doc.EntCol[5].adPrtTenHankei = 0.05;
  doc.EntCol[6].adPrtTenHankei = 10.5;
  const TJwwData before = doc;

  TJwwData back;
  const std::string bytes = HeaderBytes(doc, 600);
  ASSERT_TRUE(ReadHeaderFrom(back, bytes));

  EXPECT_EQ(back.EntLay[0].aStrLayName, " ");
  EXPECT_EQ(back.EntLay[1].aStrLayName, "");
  EXPECT_EQ(back.EntLay[2].aStrLayName, "壁");
  EXPECT_EQ(back.EntColS[20].astrUDColorName, "Color_20");
  EXPECT_EQ(back.EntColS[20].aPrtPenColor, 0x00FF00) << "pens from 17 print in screen colour";
  EXPECT_EQ(back.EntColS[16].aPrtPenColor, 0x0000FF);
  EXPECT_EQ(back.EntLtpS[5].alLType, -1);
  EXPECT_EQ(back.EntLtpS[5].anUDLTypeSegment, 3);
  EXPECT_EQ(back.EntLtpS[5].astrUDLTypeName, "LType_5");
  const auto& t = back.EntLtpS[18];
  EXPECT_EQ(static_cast<uint32_t>(t.alLType), 0xC3C3C3C3u);
  EXPECT_EQ(t.anTokushuSenUintDot, 8);
  EXPECT_EQ(t.anTokushuSenPich, 1);
  EXPECT_EQ(t.anPrtTokushuSenPich, 8);
  EXPECT_EQ(t.astrUDLTypeName, "LType_18");
  EXPECT_EQ(t.anUDLTypeSegment, 2);
  EXPECT_EQ(t.aadUDLTypePitch[1], 1.0);
  EXPECT_EQ(t.aadUDLTypePitch[2], 1.0);
  EXPECT_EQ(t.aadUDLTypePitch[3], 0.0);
  EXPECT_EQ(back.EntCol[0].aPrtPenColor, 0xFFFFFF);
  EXPECT_EQ(back.EntCol[1].aPenColor, 0);
  EXPECT_EQ(back.EntCol[1].anPenWidth, 1);
  EXPECT_EQ(back.EntCol[2].anPenWidth, 16);
  EXPECT_EQ(back.EntCol[3].aPrtPenColor, 0);
  EXPECT_EQ(back.EntCol[3].anPrtPenWidth, 500);
  EXPECT_EQ(back.EntCol[4].anPrtPenWidth, 1);
  EXPECT_EQ(back.EntCol[5].adPrtTenHankei, 0.1);
  EXPECT_EQ(back.EntCol[6].adPrtTenHankei, 10.0);

  // Reserved areas: 56 spaces after the layer-group block, 4 zeros after the dimensions.
  const size_t reserved1 = 8 + 4 + 1 + 8 + 2368;
  EXPECT_EQ(bytes.substr(reserved1, 56), std::string(56, ' '));
  EXPECT_EQ(bytes.substr(reserved1 + 56 + 20, 4), std::string(4, '\0'));

  TJwwData after = doc;
  after.Enthd.jwID = before.Enthd.jwID;
  EXPECT_TRUE(after.Enthd == before.Enthd && after.EntCol == before.EntCol &&
              after.EntColS == before.EntColS && after.EntLtpS == before.EntLtpS &&
              after.EntLay == before.EntLay);
  EXPECT_EQ(doc.Enthd.jwID, "JwwData.");
}

TEST(Header, MemoIsKeptAsStoredAndNamesLoseControlCharacters) {
  TJwwData doc = PlainDoc();
  doc.Enthd.strMemo = "一行目\r\n二行目^m";
  TJwwData back;
  ASSERT_TRUE(ReadHeaderFrom(back, HeaderBytes(doc, 600)));
  EXPECT_EQ(back.Enthd.strMemo, "一行目\r\n二行目^m");
}

TEST(Header, UnicodeTextsRoundTrip) {
  TJwwData doc = PlainDoc();
  doc.StrForm = TJwwTextForm::Unicode;
  doc.Enthd.strMemo = "\xF0\x9F\x98\x80 メモ";
  doc.EntLay[17].aStrLayName = "躯体";
  const std::string bytes = HeaderBytes(doc, 700);
  EXPECT_EQ(Hex(bytes.substr(12, 4)), "FF FE FF 05");  // the emoji takes two units
  TJwwData back;
  ASSERT_TRUE(ReadHeaderFrom(back, bytes));
  EXPECT_EQ(back.StrForm, TJwwTextForm::Unicode);
  EXPECT_EQ(back.Enthd.strMemo, doc.Enthd.strMemo);
  EXPECT_EQ(back.EntLay[17].aStrLayName, "躯体");
  EXPECT_EQ(HeaderBytes(back, 700), bytes);
}

TEST(Header, CutHeaders) {
  TJwwData doc = PlainDoc();
  const std::string bytes = HeaderBytes(doc, 600);
  const size_t n = bytes.size();
  // Row 36 (text types, 280 bytes) lies just before the last 100 bytes.
  struct Case {
    size_t keep;
    bool loads;
  };
  const Case cases[] = {
      {n, true},
      {n - 1, true},
      {n - 7, true},  // inside the last field
      {n - 8, false},
      {n - 9, false},          // before it
      {n - 100 - 140, false},  // inside the text types
      {13, false},
      {12, false},
      {0, false},
  };
  for (const auto& c : cases) {
    TJwwData back;
    EXPECT_EQ(ReadHeaderFrom(back, bytes.substr(0, c.keep)), c.loads) << "kept " << c.keep;
  }
}

TEST(Header, VersionLimits) {
  ScratchDir dir;
  struct Case {
    int ver;
    bool ok;
  };
  for (auto c :
       {Case{219, false}, Case{220, true}, Case{700, true}, Case{701, false}, Case{-600, false}}) {
    TJwwData doc = PlainDoc();
    const std::string bytes = HeaderBytes(doc, c.ver);
    const auto path = dir / ("v" + std::to_string(c.ver) + ".jww");
    WriteFile(path, bytes);
    TJwwData back;
    EXPECT_EQ(back.FileCheck(path), c.ok) << c.ver;
    EXPECT_EQ(ReadHeaderFrom(back, bytes), c.ok) << c.ver;
    EXPECT_EQ(back.FileHeaderIn(path), c.ok) << c.ver;
    if (!c.ok) {
      EXPECT_EQ(back.LastErrorKind, TJwwErrorKind::Version);
      EXPECT_EQ(back.LastError.rfind("JWW-Version Error", 0), 0u) << back.LastError;
    }
  }
}

TEST(Header, BadFilesAreRefusedWithoutThrowing) {
  ScratchDir dir;
  TJwwData good = PlainDoc();
  const std::string header = HeaderBytes(good, 600);
  struct Case {
    const char* name;
    std::string bytes;
    bool checkPasses;  // FileCheck reads only the signature and the version
    TJwwErrorKind kind;
  };
  const Case cases[] = {
      {"empty.jww", "", false, TJwwErrorKind::Header},
      {"short.jww", "JwwDa", false, TJwwErrorKind::Header},
      {"nover.jww", "JwwData.\x58\x02", false, TJwwErrorKind::Truncated},
      {"png.jww", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), false, TJwwErrorKind::Header},
      {"lower.jww", "jwwdata." + header.substr(8), false, TJwwErrorKind::Header},
      {"cut.jww", header.substr(0, 3000), true, TJwwErrorKind::Truncated},
  };
  for (const auto& c : cases) {
    WriteFile(dir / c.name, c.bytes);
    TJwwData doc;
    EXPECT_NO_THROW(EXPECT_EQ(doc.FileCheck(dir / c.name), c.checkPasses) << c.name);
    EXPECT_NO_THROW(EXPECT_FALSE(doc.FileHeaderIn(dir / c.name)) << c.name);
    EXPECT_EQ(doc.LastErrorKind, c.kind) << c.name;
  }
  TJwwData doc;
  for (auto p : {dir / "missing.jww", dir.path()}) {
    EXPECT_FALSE(doc.FileCheck(p));
    EXPECT_EQ(doc.LastErrorKind, TJwwErrorKind::Open);
    EXPECT_FALSE(doc.FileHeaderIn(p));
    EXPECT_EQ(doc.LastErrorKind, TJwwErrorKind::Open);
  }
}

TEST(Header, FileHeaderInHoldsTheHeaderAndNoEntities) {
  ScratchDir dir;
  TJwwData doc = PlainDoc();
  doc.Enthd.strMemo = "図面";
  WriteFile(dir / "h.jww", HeaderBytes(doc, 600) + std::string("\x01\x00", 2));
  TJwwData back;
  back.EntLine.resize(4);
  back.EntLineN = 4;
  ASSERT_TRUE(back.FileHeaderIn(dir / "h.jww"));
  EXPECT_EQ(back.Enthd.strMemo, "図面");
  EXPECT_EQ(back.EntLineN, 0);
  EXPECT_TRUE(back.EntNo.empty());
  EXPECT_EQ(back.LastErrorKind, TJwwErrorKind::None);
}

TEST(Header, TraceNamesEveryField) {
  TJwwData doc = PlainDoc();
  const std::string bytes = HeaderBytes(doc, 600);
  TJwwIn s(Bytes(bytes));
  std::vector<THeaderField> fields;
  ASSERT_TRUE(TraceHeader(s, fields));
  ASSERT_FALSE(fields.empty());
  EXPECT_STREQ(fields.front().name, "signature");
  EXPECT_EQ(fields[1].offset, 8u);
  EXPECT_STREQ(fields[2].name, "strMemo");
  EXPECT_EQ(fields[2].offset, 12u);
  EXPECT_STREQ(fields.back().name, "adMojiKijunZureY2");
  EXPECT_EQ(fields.back().offset, bytes.size() - 8);
  for (size_t i = 1; i < fields.size(); ++i) ASSERT_GT(fields[i].offset, fields[i - 1].offset);
}

}  // namespace
