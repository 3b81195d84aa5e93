// Entity records and lists: layouts per version, the order list, tags, and the writer's
// rewritings and expansions.
#include <gtest/gtest.h>

#include <functional>

#include "jww/strutil.h"
#include "tests/drawing.h"

namespace {

using namespace jww;
using namespace testsupport;

// Bytes one entity adds to a drawing written as `ver`: its tag and its record.
size_t EntityBytes(int ver, const std::function<void(TJwwData&)>& add) {
  ScratchDir dir;
  TJwwData empty = NewDrawing(ver);
  TJwwData one = NewDrawing(ver);
  add(one);
  return Save(one, dir / "one.jww", ver).size() - Save(empty, dir / "empty.jww", ver).size();
}

TEST(Records, SizesPerVersion) {
  auto newClass = [](size_t nameLen) { return 6 + nameLen; };
  TEntJwwMoji text = Text("s");
  text.strFontName = "F";
  TEntJwwTen coded = Point(1, 2, true);
  coded.att.nPenStyle = 100;
  TEntJwwSunpo dim = Dimension(0, 0, 10, 0, true);
  dim.Moji = text;
  struct Case {
    const char* what;
    std::function<void(TJwwData&)> add;
    size_t tag, wide, narrow;
  };
  const Case cases[] = {
      {"line", [](TJwwData& d) { Append(d, Line(0, 0, 1, 1)); }, newClass(8), 47, 45},
      {"arc", [](TJwwData& d) { Append(d, Circle(0, 0, 5)); }, newClass(9), 75, 73},
      {"point", [](TJwwData& d) { Append(d, Point(1, 2, true)); }, newClass(8), 35, 33},
      {"coded point", [&](TJwwData& d) { Append(d, coded); }, newClass(8), 55, 53},
      {"text", [&](TJwwData& d) { Append(d, text); }, newClass(9), 83 + 4, 81 + 4},
      {"solid", [](TJwwData& d) { Append(d, Solid(9)); }, newClass(10), 79, 77},
      {"coloured solid", [](TJwwData& d) { Append(d, Solid(10)); }, newClass(10), 83, 81},
      {"insert", [](TJwwData& d) { Append(d, Insert(1)); }, newClass(10), 59, 57},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EntityBytes(600, c.add), c.tag + c.wide) << c.what;
    EXPECT_EQ(EntityBytes(351, c.add), c.tag + c.wide) << c.what;
    EXPECT_EQ(EntityBytes(350, c.add), c.tag + c.narrow) << c.what;
  }
  auto addDim = [&](TJwwData& d) { Append(d, dim); };
  // Attribute, line, text and, from 420, the SXF flag, two lines and four points.
  EXPECT_EQ(EntityBytes(420, addDim), newClass(11) + 15 + 47 + 87 + 2 + 2 * 47 + 4 * 35);
  EXPECT_EQ(EntityBytes(419, addDim), newClass(11) + 15 + 47 + 87);
  EXPECT_EQ(EntityBytes(350, addDim), newClass(11) + 13 + 45 + 85);
}

TEST(Records, EveryKindReadsBackAtEveryLayout) {
  TEntJwwTen coded = Point(1, 2, true);
  coded.att.nPenStyle = 100;
  coded.nCode = 7, coded.radKaitenKaku = 0.5, coded.dBairitsu = 2;
  TEntJwwLine wide = Line(1, 2, 3, 4);
  wide.att.nPenWidth = 35;
  wide.att.lGroup = 0xDEADBEEF;
  wide.att.sFlg = 0x1234;
  for (int ver : {300, 351, 420, 600, 700}) {
    SCOPED_TRACE(ver);
    ScratchDir dir;
    TJwwData doc = NewDrawing(ver);
    Append(doc, wide);
    Append(doc, Circle(5, 5, 2));
    Append(doc, Point(7, 8, false));
    Append(doc, coded);
    Append(doc, Text("日本語の文字", 1, 2));
    Append(doc, Dimension(0, 0, 100, 0, true));
    Append(doc, Solid(10));
    Append(doc, Solid(3));
    TJwwData back = SaveAndLoad(doc, dir, ver);
    ASSERT_EQ(back.EntNo, doc.EntNo);
    TEntJwwLine wantLine = wide;
    if (ver < 351) wantLine.att.nPenWidth = 0;
    EXPECT_EQ(back.EntLine[0], wantLine);
    EXPECT_EQ(back.EntEnko[0], doc.EntEnko[0]);
    EXPECT_EQ(back.EntTen, doc.EntTen);
    EXPECT_EQ(back.EntMoji[0], doc.EntMoji[0]);
    EXPECT_EQ(back.EntSolid, doc.EntSolid);
    if (ver >= 420) {
      EXPECT_EQ(back.EntSunpo[0], doc.EntSunpo[0]);
    } else {
      // No SXF part below 420: its records take the dimension's attribute, at zero.
      const TEntJwwSunpo& d = back.EntSunpo[0];
      EXPECT_EQ(d.Sen, doc.EntSunpo[0].Sen);
      EXPECT_EQ(d.bSxfMode, 0);
      EXPECT_EQ(d.Ho1.att, d.att);
      EXPECT_EQ(d.Ho1.end_x, 0.0);
      EXPECT_EQ(d.Kt2.att.nPenStyle, 0);
      EXPECT_EQ(d.Kt2.att.nPenColor, d.att.nPenColor);
      EXPECT_EQ(d.Kt2.bKariten, 0u);
    }
  }
}

TEST(Records, AnOldDimensionWrittenAt420GetsValidPointStyles) {
  ScratchDir dir;
  TJwwData doc = NewDrawing(419);
  Append(doc, Dimension(0, 0, 10, 0, true));
  TJwwData old = SaveAndLoad(doc, dir, 419);
  TJwwData back = SaveAndLoad(old, dir, 420);
  EXPECT_EQ(old.EntSunpo[0].Kt1.att.nPenStyle, 0) << "an old file has no SXF points";
  // The style 0 they got is validated on the way out: the constant 1 of points.
  EXPECT_EQ(back.EntSunpo[0].Kt1.att.nPenStyle, 1);
  EXPECT_EQ(back.EntSunpo[0].Te1.att.nPenStyle, 1);
}

TEST(Lists, DroppedEntriesAreNotWrittenAndTheCountFollows) {
  ScratchDir dir;
  TJwwData doc = NewDrawing(600);
  Append(doc, Point(1, 1, true));
  Append(doc, Point(2, 2, true));
  Append(doc, Point(3, 3, true));
  Drop(doc, 1);
  EXPECT_EQ(doc.EntTenN, 2);
  EXPECT_EQ(doc.EntTen.size(), 3u);
  std::string bytes;
  TJwwData back = SaveAndLoad(doc, dir, 600, &bytes);
  ASSERT_EQ(back.EntTenN, 2);
  EXPECT_EQ(back.EntTen[0].start_x, 1.0);
  EXPECT_EQ(back.EntTen[1].start_x, 3.0);
  // Count 2, the new-class record of the first point, then a reference to class index 1.
  TJwwData empty = NewDrawing(600);
  const size_t h = Save(empty, dir / "e.jww", 600).size() - 2 - 2;
  EXPECT_EQ(Hex(bytes.substr(h, 2)), "02 00");
  EXPECT_EQ(bytes.substr(h + 2, 14), std::string("\xFF\xFF\x58\x02\x08\x00", 6) + "CDataTen");
  EXPECT_EQ(Hex(bytes.substr(h + 2 + 14 + 35, 2)), "01 80");
  EXPECT_EQ(bytes.size(), h + 2 + 14 + 35 + 2 + 35 + 2);
}

TEST(Lists, ClassIndexesFollowTheWrittenOrder) {
  ScratchDir dir;
  TJwwData doc = NewDrawing(600);
  TEntJwwMoji text = Text("third");
  text.strFontName = "F";
  Append(doc, text);
  Append(doc, Line(0, 0, 1, 0));
  Append(doc, text);
  Append(doc, Line(0, 0, 2, 0));
  Drop(doc, 0);
  std::string bytes;
  TJwwData back = SaveAndLoad(doc, dir, 600, &bytes);
  ASSERT_EQ(back.EntLineN, 2);
  ASSERT_EQ(back.EntMojiN, 1);
  // The line, now first, introduces its class with index 1; the text then takes index 3.
  const size_t sen = bytes.find("CDataSen"), moji = bytes.find("CDataMoji");
  ASSERT_NE(sen, std::string::npos);
  ASSERT_NE(moji, std::string::npos);
  EXPECT_LT(sen, moji);
  EXPECT_EQ(Hex(bytes.substr(moji + 9 + 83 + 2 + 6, 2)), "01 80") << "the second line refers to 1";
}

// A drawing of two lines, with the offsets of the second object's tag and of the first
// class name.
struct TwoLines {
  std::string bytes;
  size_t secondTag, className;
};

TwoLines MakeTwoLines(const ScratchDir& dir) {
  TJwwData doc = NewDrawing(600);
  Append(doc, Line(0, 0, 1, 1));
  Append(doc, Line(2, 2, 3, 3));
  TwoLines t;
  t.bytes = Save(doc, dir / "two.jww", 600);
  t.className = t.bytes.find("CDataSen");
  t.secondTag = t.className + 8 + 47;
  return t;
}

TEST(Lists, TagsThatNameNoClassAreSkipped) {
  ScratchDir dir;
  TwoLines t = MakeTwoLines(dir);
  for (std::string junk :
       {std::string("\x05\x00", 2), std::string("\x09\x80", 2), std::string("\x00\x80", 2),
        std::string("\xFF\x7F\x07\x00\x00\x80", 6), std::string("\x05\x00\x06\x00", 4)}) {
    std::string patched = t.bytes;
    patched.insert(t.secondTag, junk);
    WriteFile(dir / "p.jww", patched);
    TJwwData doc;
    ASSERT_TRUE(doc.FileIn(dir / "p.jww")) << Hex(junk) << ": " << doc.LastError;
    EXPECT_EQ(doc.EntLineN, 2) << Hex(junk);
    EXPECT_EQ(doc.EntLine[1].start_x, 2.0) << Hex(junk);
  }
}

TEST(Lists, AnUnknownClassNameFailsTheLoad) {
  ScratchDir dir;
  TwoLines t = MakeTwoLines(dir);
  std::string patched = t.bytes;
  patched[t.className + 7] = 'X';  // "CDataSeX"
  WriteFile(dir / "p.jww", patched);
  TJwwData doc;
  EXPECT_FALSE(doc.FileIn(dir / "p.jww"));
  EXPECT_EQ(doc.LastErrorKind, TJwwErrorKind::Format);
  // So does the block-definition class where an entity belongs.
  patched = t.bytes;
  patched.replace(t.className - 2, 10, std::string("\x09\x00", 2) + "CDataList");
  WriteFile(dir / "p.jww", patched);
  EXPECT_FALSE(doc.FileIn(dir / "p.jww"));
}

TEST(Lists, ARecordCutByTheEndIsLeftOutAndTheLoadFails) {
  ScratchDir dir;
  TwoLines t = MakeTwoLines(dir);
  // The file ends right after the second object's tag.
  WriteFile(dir / "cut.jww", t.bytes.substr(0, t.secondTag + 2));
  TJwwData doc;
  EXPECT_FALSE(doc.FileIn(dir / "cut.jww"));
  EXPECT_EQ(doc.EntLineN, 1);
  EXPECT_EQ(doc.EntLine.size(), 1u);
  ASSERT_EQ(doc.EntNo.size(), 2u);
  EXPECT_EQ(doc.EntNo[1].EntType, kDropped);
  // Whatever it read, the document can be written, and writes only what it holds.
  std::string bytes;
  TJwwData back = SaveAndLoad(doc, dir, 600, &bytes);
  EXPECT_EQ(back.EntLineN, 1);
}

TEST(Lists, ImageReferenceRewritings) {
  const std::string temp = "^@BM%temp%pic.bmp,100,50";
  const std::string full = "^@BMC:\\Users\\a\\写真\\pic.bmp,100,50";
  const std::string unix = "^@BM/home/a/pic.bmp,1";
  struct Case {
    int opt;
    std::string in, out;
  };
  const Case cases[] = {
      {0, temp, temp},
      {0, full, full},
      {8, temp, "^@BMpic.bmp,100,50"},
      {1, full, "^@BMpic.bmp,100,50"},
      {1, unix, "^@BMpic.bmp,1"},
      {9, temp, "^@BMpic.bmp,100,50"},
      {1, "^@BMC:\\a\\pic.bmp", "^@BMC:\\a\\pic.bmp"},  // no comma: unchanged
      {1, "^@BMpic,x\\y", "^@BMpic,x\\y"},              // separators only after the comma
      {8, "^@bm%temp%p,1", "^@bm%temp%p,1"},
      {8, "x^@BM%temp%p,1", "x^@BM%temp%p,1"},
      {1, "画像^mの説明", "画像の説明"},  // cleaned as every text is
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    TJwwData doc = NewDrawing(700);
    Append(doc, Text(c.in));
    TEntJwwSunpo dim = Dimension(0, 0, 1, 0, false);
    dim.Moji.str = c.in;
    Append(doc, dim);
    doc.SetFileOutOption(c.opt);
    TJwwData back = SaveAndLoad(doc, dir, 700);
    EXPECT_EQ(back.EntMoji[0].str, c.out) << c.opt << " " << c.in;
    EXPECT_EQ(back.EntSunpo[0].Moji.str, CleanName(c.in)) << "dimension texts are not rewritten";
    EXPECT_EQ(doc.EntMoji[0].str, c.in) << "the document keeps its text";
  }
  TJwwData doc;
  for (auto [n, want] : {std::pair{16, 0}, {-1, 0}, {9, 9}, {15, 15}, {0, 0}}) {
    doc.SetFileOutOption(n);
    EXPECT_EQ(doc.FileOutOpt, want) << n;
  }
}

TEST(Lists, SxfDimensionsExpandBelow420) {
  ScratchDir dir;
  TJwwData doc = NewDrawing(600);
  TEntJwwSunpo sxf = Dimension(0, 0, 10, 0, true);
  sxf.Te1.bKariten = 1;  // stored temporary
  sxf.Kt1.bKariten = 0;  // written temporary whatever is stored
  Append(doc, sxf);
  Append(doc, Dimension(0, 5, 10, 5, false));
  Append(doc, Line(0, 0, 1, 1));

  std::string bytes;
  TJwwData as419 = SaveAndLoad(doc, dir, 419, &bytes);
  const std::vector<int> kinds = {kSunpo, kLine, kLine, kTen, kTen, kTen, kTen, kSunpo, kLine};
  ASSERT_EQ(as419.EntNo.size(), kinds.size());
  for (size_t i = 0; i < kinds.size(); ++i) EXPECT_EQ(as419.EntNo[i].EntType, kinds[i]) << i;
  EXPECT_EQ(as419.EntLine[0].start_x, sxf.Ho1.start_x);
  EXPECT_EQ(as419.EntLine[1].start_x, sxf.Ho2.start_x);
  EXPECT_EQ(as419.EntTen[0].bKariten, 1u);
  EXPECT_EQ(as419.EntTen[1].bKariten, 0u);
  EXPECT_EQ(as419.EntTen[2].bKariten, 1u);
  EXPECT_EQ(as419.EntTen[3].bKariten, 1u);
  EXPECT_EQ(as419.EntTen[3].start_y, sxf.Kt2.start_y);

  // Written at 420 each dimension stays one object.
  TJwwData as420 = SaveAndLoad(doc, dir, 420);
  EXPECT_EQ(as420.Enthd.n1, 3);
  EXPECT_EQ(as420.EntSunpo[0], doc.EntSunpo[0]);
  // A drawing read below 420 has nothing to expand, whatever its flags say.
  TJwwData old = NewDrawing(419);
  Append(old, sxf);
  old.EntSunpo[0].bSxfMode = 1;
  EXPECT_EQ(SaveAndLoad(old, dir, 350).Enthd.n1, 1);
}

}  // namespace
