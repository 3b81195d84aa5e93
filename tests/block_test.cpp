// Block definitions: the list in the file, the tree of placements, and the numbering of the
// definitions that are written.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tests/drawing.h"

namespace {

using namespace jww;
using namespace testsupport;

TEST(Blocks, OnlyUsedDefinitionsAreWrittenRenumberedFromZero) {
  ScratchDir dir;
  TJwwData doc = NewDrawing(600);
  AppendBlockDef(doc, 5, "unused");
  Append(doc.EntBlockDef.back(), Line(0, 0, 1, 0));
  AppendBlockDef(doc, 7, "outer");
  Append(doc.EntBlockDef.back(), Insert(9, 1, 1));
  AppendBlockDef(doc, 9, "inner");
  Append(doc.EntBlockDef.back(), Circle(0, 0, 1));
  Append(doc, Insert(7));
  Append(doc, Insert(7, 50, 0));
  doc.MakeBlockTree();
  EXPECT_FALSE(doc.EntBlockDef[0].ref_flag);
  EXPECT_EQ(doc.EntBlockDef[0].ref_no, -1);
  EXPECT_EQ(doc.EntBlockDef[1].ref_no, 0);
  EXPECT_EQ(doc.EntBlockDef[2].ref_no, 1);
  EXPECT_EQ(doc.EntBlockNum, 2);
  EXPECT_EQ(doc.ChangeBlockNo(7), 0u);
  EXPECT_EQ(doc.ChangeBlockNo(9), 1u);
  EXPECT_EQ(doc.ChangeBlockNo(5), 5u) << "unused: the number itself";
  EXPECT_EQ(doc.ChangeBlockNo(4), 0u) << "no such definition";

  TJwwData back = SaveAndLoad(doc, dir, 600);
  ASSERT_EQ(back.EntBlockDefN, 2);
  EXPECT_EQ(back.EntBlockDef[0].nNumber, 0u);
  EXPECT_EQ(back.EntBlockDef[0].strName, "outer");
  EXPECT_EQ(back.EntBlockDef[1].nNumber, 1u);
  EXPECT_EQ(back.EntBlockDef[1].strName, "inner");
  EXPECT_EQ(back.EntBlock[0].nNumber, 0u);
  EXPECT_EQ(back.EntBlock[1].nNumber, 0u);
  EXPECT_EQ(back.EntBlockDef[0].mBlock[0].nNumber, 1u);
  EXPECT_EQ(back.EntBlockDef[1].mEnko[0], doc.EntBlockDef[2].mEnko[0]);
  EXPECT_EQ(back.EntBlockNum, 2);
  // The document that was written keeps its own numbers.
  EXPECT_EQ(doc.EntBlock[0].nNumber, 7u);
}

TEST(Blocks, WithoutTopLevelInsertsNoDefinitionIsWritten) {
  ScratchDir dir;
  TJwwData doc = NewDrawing(600);
  AppendBlockDef(doc, 1, "a");
  Append(doc.EntBlockDef.back(), Line(0, 0, 1, 0));
  Append(doc, Line(0, 0, 5, 5));
  doc.MakeBlockTree();
  EXPECT_EQ(doc.EntBlockTreeN, 0);
  EXPECT_EQ(doc.EntBlockNum, 0);
  std::string bytes;
  TJwwData back = SaveAndLoad(doc, dir, 600, &bytes);
  EXPECT_EQ(back.EntBlockDefN, 0);
  EXPECT_EQ(Hex(bytes.substr(bytes.size() - 2)), "00 00");
}

TEST(Blocks, TreeOfNestedPlacements) {
  TJwwData doc = NewDrawing(600);
  AppendBlockDef(doc, 1, "A");
  Append(doc.EntBlockDef.back(), Insert(2, 3, 0));
  AppendBlockDef(doc, 2, "B");
  Append(doc.EntBlockDef.back(), Line(0, 0, 1, 0));
  Append(doc, Insert(1, 0, 0));
  Append(doc, Insert(1, 100, 0));
  Append(doc, Insert(99));  // names no definition
  doc.MakeBlockTree();
  ASSERT_EQ(doc.EntBlockTreeN, 5);
  const auto& t = doc.EntBlockTree;
  EXPECT_EQ(t[0].level, 0);
  EXPECT_EQ(t[0].parent, -1);
  EXPECT_EQ(t[0].defno, 0);
  EXPECT_EQ(t[0].name, "A");
  EXPECT_EQ(t[2].defno, -1);
  EXPECT_EQ(t[2].name, "");
  EXPECT_EQ(t[3].level, 1);
  EXPECT_EQ(t[3].parent, 0);
  EXPECT_EQ(t[3].name, "B");
  EXPECT_EQ(t[3].x, 3.0);
  EXPECT_EQ(t[4].parent, 1);
  EXPECT_EQ(t[4].x, 103.0);
  EXPECT_EQ(t[4].att, doc.EntBlockDef[0].att) << "a nested placement has its container's attribute";
  ScratchDir dir;
  TJwwData back = SaveAndLoad(doc, dir, 600);
  EXPECT_EQ(back.EntBlock[2].nNumber, 0u) << "an insert of nothing stores 0";
}

TEST(Blocks, WithoutTheTreeTheMarksAndTheSaveStayTheSame) {
  TJwwData doc = NewDrawing(600);
  AppendBlockDef(doc, 7, "unused");
  AppendBlockDef(doc, 1, "A");
  Append(doc.EntBlockDef.back(), Insert(2, 3, 0));
  AppendBlockDef(doc, 2, "B");
  Append(doc.EntBlockDef.back(), Line(0, 0, 1, 0));
  Append(doc, Insert(1, 0, 0));
  ScratchDir dir;
  doc.MakeBlockTree();
  const std::string withTree = Save(doc, dir / "tree.jww", 600);
  doc.KeepBlockTree = false;
  doc.MakeBlockTree();
  EXPECT_EQ(doc.EntBlockTreeN, 0);
  EXPECT_TRUE(doc.EntBlockTree.empty());
  EXPECT_FALSE(doc.EntBlockDef[0].ref_flag);
  EXPECT_TRUE(doc.EntBlockDef[1].ref_flag);
  EXPECT_TRUE(doc.EntBlockDef[2].ref_flag) << "reached through A";
  EXPECT_EQ(doc.EntBlockNum, 2);
  EXPECT_EQ(Save(doc, dir / "marks.jww", 600), withTree);
}

TEST(Blocks, RotatedAndScaledPlacementAccumulates) {
  TJwwData doc = NewDrawing(600);
  AppendBlockDef(doc, 1, "A");
  Append(doc.EntBlockDef.back(), Insert(2, 1, 0));
  AppendBlockDef(doc, 2, "B");
  TEntJwwBlock top = Insert(1, 10, 0);
  top.radKaitenKaku = std::numbers::pi / 2;
  top.dBairitsuX = top.dBairitsuY = 2;
  Append(doc, top);
  doc.MakeBlockTree();
  ASSERT_EQ(doc.EntBlockTreeN, 2);
  const auto& n = doc.EntBlockTree[1];
  EXPECT_NEAR(n.x, 10, 1e-12);
  EXPECT_NEAR(n.y, 2, 1e-12);
  EXPECT_NEAR(n.r1, 0, 1e-12);
  EXPECT_NEAR(n.r2, -2, 1e-12);
  EXPECT_NEAR(n.r3, 2, 1e-12);
  EXPECT_NEAR(n.r4, 0, 1e-12);
}

TEST(Blocks, SelfInsertingDefinitionsAreExpandedOnceAndStillMarked) {
  TJwwData doc = NewDrawing(600);
  AppendBlockDef(doc, 1, "loop");
  Append(doc.EntBlockDef.back(), Insert(1));
  Append(doc.EntBlockDef.back(), Insert(2));
  AppendBlockDef(doc, 2, "back");
  Append(doc.EntBlockDef.back(), Insert(1));
  AppendBlockDef(doc, 3, "only through the loop");
  Append(doc.EntBlockDef[1], Insert(3));
  Append(doc, Insert(1));
  doc.MakeBlockTree();
  EXPECT_EQ(doc.EntBlockNum, 3);
  for (const auto& d : doc.EntBlockDef) EXPECT_TRUE(d.ref_flag) << d.strName;
  EXPECT_LE(doc.EntBlockTreeN, 8);
  ScratchDir dir;
  TJwwData back = SaveAndLoad(doc, dir, 600);
  EXPECT_EQ(back.EntBlockDefN, 3);
  EXPECT_EQ(back.EntBlockDef[0].mBlock[0].nNumber, 0u);
}

TEST(Blocks, MultiplyingPlacementsAreBounded) {
  // Forty levels of two inserts each would be 2^40 placements.
  TJwwData doc = NewDrawing(600);
  for (uint32_t i = 1; i <= 40; ++i) {
    AppendBlockDef(doc, i, "level " + std::to_string(i));
    if (i < 40) {
      Append(doc.EntBlockDef.back(), Insert(i + 1));
      Append(doc.EntBlockDef.back(), Insert(i + 1, 1, 0));
    }
  }
  Append(doc, Insert(1));
  doc.MakeBlockTree();
  EXPECT_EQ(doc.EntBlockNum, 40);
  EXPECT_GT(doc.EntBlockTreeN, 1000);
  EXPECT_LE(doc.EntBlockTreeN, 1 << 20);
}

TEST(Blocks, TheFirstOfTwoDefinitionsWithOneNumberWins) {
  TJwwData doc = NewDrawing(600);
  AppendBlockDef(doc, 4, "first");
  AppendBlockDef(doc, 4, "second");
  Append(doc, Insert(4));
  doc.MakeBlockTree();
  EXPECT_TRUE(doc.EntBlockDef[0].ref_flag);
  EXPECT_FALSE(doc.EntBlockDef[1].ref_flag);
  ScratchDir dir;
  TJwwData back = SaveAndLoad(doc, dir, 600);
  ASSERT_EQ(back.EntBlockDefN, 1);
  EXPECT_EQ(back.EntBlockDef[0].strName, "first");
}

TEST(Blocks, VersionsAndStoredFields) {
  for (int ver : {350, 351, 600}) {
    TJwwData doc = NewDrawing(ver);
    TEntJwwBlockDef& def = AppendBlockDef(doc, 3, "名前^m");
    def.att = Att(3, 4, 5, 6);
    def.att.nPenWidth = 20;
    def.bRefferd = 0x11;
    def.dtime = 0x12345678;
    Append(doc.EntBlockDef.back(), Point(1, 1, true));
    Append(doc, Insert(3));
    doc.MakeBlockTree();
    ScratchDir dir;
    TJwwData back = SaveAndLoad(doc, dir, ver);
    ASSERT_EQ(back.EntBlockDefN, 1) << ver;
    const auto& b = back.EntBlockDef[0];
    EXPECT_EQ(b.strName, "名前");
    EXPECT_EQ(b.bRefferd, 0x11u);
    EXPECT_EQ(b.dtime, 0x12345678u);
    EXPECT_EQ(b.att.nPenStyle, 3);
    EXPECT_EQ(b.att.nPenWidth, ver >= 351 ? 20 : 0) << ver;
    EXPECT_EQ(b.mTen[0], doc.EntBlockDef[0].mTen[0]);
  }
}

TEST(Blocks, ATimeWithItsTopBitSetCarriesEightMoreBytes) {
  ScratchDir dir;
  TJwwData doc = NewDrawing(600);
  AppendBlockDef(doc, 1, "first");
  AppendBlockDef(doc, 2, "second");
  doc.EntBlockDef[1].dtime = 0x80000001u;
  Append(doc.EntBlockDef[1], Line(0, 0, 1, 1));
  Append(doc, Insert(1));
  Append(doc, Insert(2));
  doc.MakeBlockTree();
  std::string bytes = Save(doc, dir / "d.jww", 600);
  // Jw_cad stores 8 more bytes after such a time; the writer never does, so add them.
  const std::string marker("\x01\x00\x00\x80", 4);
  const size_t at = bytes.find(marker);
  ASSERT_NE(at, std::string::npos);
  bytes.insert(at + 4, "12345678");
  WriteFile(dir / "extra.jww", bytes);
  TJwwData back;
  ASSERT_TRUE(back.FileIn(dir / "extra.jww")) << back.LastError;
  EXPECT_EQ(back.EntBlockDef[1].dtime, 2u) << "its position in the list";
  EXPECT_EQ(back.EntBlockDef[1].strName, "second");
  EXPECT_EQ(back.EntBlockDef[1].mLineN, 1);
  std::string again = Save(back, dir / "again.jww", 600);
  EXPECT_EQ(again.size(), bytes.size() - 8);
}

TEST(Blocks, ADefinitionWhoseMembersAreAllDroppedIsWrittenEmpty) {
  ScratchDir dir;
  TJwwData doc = NewDrawing(600);
  TEntJwwBlockDef& def = AppendBlockDef(doc, 1, "points");
  Append(def, Point(0, 0, true));
  Append(def, Point(1, 0, false));
  for (auto& e : def.mNo) e.EntType = kDropped;
  def.mTenN = 0;
  Append(doc, Insert(1));
  doc.MakeBlockTree();
  TJwwData back = SaveAndLoad(doc, dir, 600);
  ASSERT_EQ(back.EntBlockDefN, 1);
  EXPECT_EQ(back.EntBlockDef[0].N, 0);
  EXPECT_EQ(back.EntBlockDef[0].mTenN, 0);
}

}  // namespace
