// The point deletion in its four combinations, and the values it must not act on.
#include <gtest/gtest.h>

#include "tests/drawing.h"
#include "worker/Job.h"

namespace {

using namespace jww;
using namespace testsupport;
using worker::Proc2a;
using worker::TRemoved;

// Top level: line, temporary, real, dimension, temporary, real, real.
// Definition 1: temporary, line, real.  Definition 2 (points only): temporary, real.
TJwwData Drawing() {
  TJwwData doc = NewDrawing(600);
  Append(doc, Line(0, 0, 1, 1));
  Append(doc, Point(1, 0, true));
  Append(doc, Point(2, 0, false));
  Append(doc, Dimension(0, 0, 10, 0, true));
  Append(doc, Point(3, 0, true));
  Append(doc, Point(4, 0, false));
  Append(doc, Point(5, 0, false));
  TEntJwwBlockDef& a = AppendBlockDef(doc, 1, "a");
  Append(a, Point(0, 1, true));
  Append(a, Line(0, 0, 2, 2));
  Append(a, Point(0, 2, false));
  TEntJwwBlockDef& b = AppendBlockDef(doc, 2, "points only");
  Append(b, Point(0, 3, true));
  Append(b, Point(0, 4, false));
  Append(doc, Insert(1));
  Append(doc, Insert(2));
  doc.MakeBlockTree();
  return doc;
}

// The point x coordinates left in a list, in drawing order.
std::vector<double> PointsLeft(const std::vector<TEntJwwNo>& order, int32_t n,
                               const std::vector<TEntJwwTen>& pts, int32_t liveCount) {
  std::vector<double> xs;
  for (int32_t i = 0; i < n; ++i)
    if (order[i].EntType == kTen)
      xs.push_back(pts[order[i].EntNo].start_x + pts[order[i].EntNo].start_y);
  EXPECT_EQ(static_cast<int32_t>(xs.size()), liveCount) << "live count agrees with the list";
  return xs;
}

TEST(Proc2a, TheFourCombinations) {
  struct Case {
    int rg1, rg2;
    std::vector<double> top, a, b;
    TRemoved removed;
  };
  const std::vector<double> allTop = {1, 2, 3, 4, 5};
  const Case cases[] = {
      {0, 0, allTop, {2}, {4}, {0, 0, 2, 0}}, {0, 1, {2, 4, 5}, {2}, {4}, {2, 0, 2, 0}},
      {1, 0, allTop, {}, {}, {0, 0, 2, 2}},   {1, 1, {}, {}, {}, {2, 3, 2, 2}},
      {0, 2, allTop, {2}, {4}, {0, 0, 2, 0}},  // scope is tested for 1 only
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.rg1) + "/" + std::to_string(c.rg2));
    TJwwData doc = Drawing();
    const TJwwData before = doc;
    EXPECT_EQ(Proc2a(doc, c.rg1, c.rg2), c.removed);
    EXPECT_EQ(PointsLeft(doc.EntNo, doc.Enthd.n1, doc.EntTen, doc.EntTenN), c.top);
    const auto& a = doc.EntBlockDef[0];
    const auto& b = doc.EntBlockDef[1];
    EXPECT_EQ(PointsLeft(a.mNo, a.N, a.mTen, a.mTenN), c.a);
    EXPECT_EQ(PointsLeft(b.mNo, b.N, b.mTen, b.mTenN), c.b);
    // Nothing moves: records stay, other entries keep kind and index, dimensions are whole.
    EXPECT_EQ(doc.EntTen, before.EntTen);
    EXPECT_EQ(doc.EntSunpo, before.EntSunpo);
    for (size_t i = 0; i < doc.EntNo.size(); ++i) {
      if (doc.EntNo[i].EntType == kDropped) {
        EXPECT_EQ(before.EntNo[i].EntType, kTen);
      } else {
        EXPECT_EQ(doc.EntNo[i], before.EntNo[i]);
      }
    }
    EXPECT_EQ(doc.EntLineN, 1);
    EXPECT_EQ(doc.EntBlockN, 2);
  }
}

TEST(Proc2a, ValuesThatChooseNothingDeleteNothing) {
  for (int rg1 : {-1, 2, 7}) {
    TJwwData doc = Drawing();
    const TJwwData before = doc;
    EXPECT_EQ(Proc2a(doc, rg1, 1).Total(), 0);
    EXPECT_EQ(doc.EntNo, before.EntNo);
    EXPECT_EQ(doc.EntTenN, 5);
    EXPECT_EQ(doc.EntBlockDef[0].mTenN, 2);
  }
}

TEST(Proc2a, TheWrittenDrawingHoldsWhatIsLeft) {
  ScratchDir dir;
  TJwwData doc = Drawing();
  Proc2a(doc, 1, 1);
  TJwwData back = SaveAndLoad(doc, dir, 600);
  EXPECT_EQ(back.EntTenN, 0);
  EXPECT_EQ(back.Enthd.n1, 4) << "line, dimension, two inserts";
  EXPECT_EQ(back.EntSunpo[0].Kt1, doc.EntSunpo[0].Kt1);
  ASSERT_EQ(back.EntBlockDefN, 2);
  EXPECT_EQ(back.EntBlockDef[1].N, 0) << "a definition of points only is written empty";
  EXPECT_EQ(back.EntBlockDef[0].N, 1);
}

TEST(Proc2a, ADrawingWithoutPointsIsUnchanged) {
  TJwwData doc = NewDrawing(600);
  Append(doc, Line(0, 0, 1, 1));
  const TJwwData before = doc;
  for (int rg1 : {0, 1})
    for (int rg2 : {0, 1}) EXPECT_EQ(Proc2a(doc, rg1, rg2).Total(), 0);
  EXPECT_EQ(doc.EntNo, before.EntNo);
}

}  // namespace
