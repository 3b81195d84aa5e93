// Real drawings: loaded, written back in their own and in other versions, and compared.
#include <gtest/gtest.h>

#include "jww/internal.h"
#include "tests/drawing.h"

namespace {

using namespace jww;
using namespace testsupport;

uint64_t HeaderEnd(const std::string& bytes) {
  TJwwIn s(Bytes(bytes));
  std::vector<THeaderField> fields;
  EXPECT_TRUE(TraceHeader(s, fields));
  return s.Position();
}

// What the trace says lies at `offset`.
std::string WhatIsAt(const std::vector<TJwwTracePoint>& trace, uint64_t offset) {
  std::string what = "?";
  for (const auto& t : trace)
    if (t.offset <= offset) what = t.what + " (from offset " + std::to_string(t.offset) + ")";
  return what;
}

// The entity content of two documents, list by list and record by record.
void ExpectSameEntities(const TJwwData& a, const TJwwData& b) {
  EXPECT_EQ(a.EntNo, b.EntNo);
  EXPECT_EQ(a.EntLine, b.EntLine);
  EXPECT_EQ(a.EntEnko, b.EntEnko);
  EXPECT_EQ(a.EntTen, b.EntTen);
  EXPECT_EQ(a.EntMoji, b.EntMoji);
  EXPECT_EQ(a.EntSunpo, b.EntSunpo);
  EXPECT_EQ(a.EntSolid, b.EntSolid);
  EXPECT_EQ(a.EntBlock.size(), b.EntBlock.size());
  EXPECT_EQ(a.EntBlockTree.size(), b.EntBlockTree.size());
  EXPECT_EQ(a.EntBlockNum, b.EntBlockNum);
  EXPECT_EQ(a.BindImage, b.BindImage);
}

class Corpus : public ::testing::Test {
 protected:
  void SetUp() override {
    files_ = CorpusFiles();
    if (files_.empty()) GTEST_SKIP() << "no corpus of real drawings";
  }
  std::vector<std::filesystem::path> files_;
};

TEST_F(Corpus, EveryDrawingRoundTrips) {
  std::vector<std::string> sameAfterHeader;
  for (const auto& path : files_) {
    SCOPED_TRACE(path.filename().string());
    ScratchDir dir;
    const std::string src = ReadFile(path);
    TJwwData doc;
    std::vector<TJwwTracePoint> trace;
    ASSERT_TRUE(doc.FileIn(path, trace)) << doc.LastError;
    const int ver = doc.Enthd.jwVer;
    const std::string out = Save(doc, dir / "out.jww", ver);

    // After the header, which the writer normalises, every byte is the source's own.
    const uint64_t hs = HeaderEnd(src), ho = HeaderEnd(out);
    const std::string ts = src.substr(hs), to = out.substr(ho);
    if (ts != to) {
      size_t i = 0;
      while (i < ts.size() && i < to.size() && ts[i] == to[i]) ++i;
      ADD_FAILURE() << "first difference at source offset " << hs + i << ", in "
                    << WhatIsAt(trace, hs + i);
    } else {
      sameAfterHeader.push_back(path.filename().string());
    }

    TJwwData back;
    ASSERT_TRUE(back.FileIn(dir / "out.jww")) << back.LastError;
    ExpectSameEntities(doc, back);
    EXPECT_EQ(back.Enthd.strMemo, doc.Enthd.strMemo);
    EXPECT_EQ(back.EntLay, doc.EntLay);
    EXPECT_EQ(back.StrForm, doc.StrForm);
    // What the writer makes of its own output is that output again.
    EXPECT_EQ(Save(back, dir / "again.jww", ver), out);
  }
  std::cout << "identical after the header: " << sameAfterHeader.size() << " of " << files_.size()
            << "\n";
}

TEST_F(Corpus, DrawingsConvertToOtherVersions) {
  for (const auto& path : files_) {
    SCOPED_TRACE(path.filename().string());
    ScratchDir dir;
    TJwwData doc;
    ASSERT_TRUE(doc.FileIn(path));
    for (int ver : {699, 600, 419, 351, 350, 300, 220}) {
      SCOPED_TRACE(ver);
      std::string bytes;
      TJwwData back = SaveAndLoad(doc, dir, ver, &bytes);
      ASSERT_EQ(back.Enthd.jwVer, ver);
      // No dimensions in these drawings: the lists keep their objects one for one.
      ASSERT_EQ(back.EntNo, doc.EntNo);
      for (size_t i = 0; i < doc.EntLine.size(); ++i) {
        const TEntJwwLine& a = doc.EntLine[i];
        const TEntJwwLine& b = back.EntLine[i];
        ASSERT_EQ(b.start_x, a.start_x);
        ASSERT_EQ(b.end_y, a.end_y);
        TEntJwwAttr want = AttrForWrite(ver, a.att, kLine);
        if (ver < 351) want.nPenWidth = 0;
        ASSERT_EQ(b.att, want) << "line " << i;
      }
      EXPECT_EQ(back.EntMoji.size(), doc.EntMoji.size());
      EXPECT_EQ(back.EntBlockDefN, doc.EntBlockNum);
      if (ver == 350) {
        // A version-350 drawing written as 351 gains the width field, at 0.
        TJwwData v351 = SaveAndLoad(back, dir, 351);
        EXPECT_EQ(v351.EntLine, back.EntLine);
        EXPECT_EQ(v351.EntEnko, back.EntEnko);
      }
    }
  }
}

}  // namespace
