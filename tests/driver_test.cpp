// FileIn and FileOut: section order, atomic saves, and files that are not what they claim.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "tests/drawing.h"

namespace {

using namespace jww;
using namespace testsupport;

// A small drawing with something of every kind, a nested block and a picture reference.
TJwwData RichDrawing(int ver) {
  TJwwData doc = NewDrawing(ver);
  doc.Enthd.strMemo = "見本";
  Append(doc, Line(0, 0, 100, 0));
  Append(doc, Circle(50, 50, 10));
  Append(doc, Point(1, 1, true));
  Append(doc, Point(2, 2, false));
  Append(doc, Text("文字列"));
  Append(doc, Dimension(0, 0, 100, 0, true));
  Append(doc, Solid(10));
  TEntJwwBlockDef& a = AppendBlockDef(doc, 1, "外");
  Append(a, Line(0, 0, 1, 1));
  Append(a, Insert(2));
  TEntJwwBlockDef& b = AppendBlockDef(doc, 2, "内");
  Append(b, Point(0, 0, true));
  Append(doc, Insert(1, 10, 10));
  doc.MakeBlockTree();
  return doc;
}

size_t HeaderSize(TJwwData& doc, int ver) {
  std::string out;
  TJwwOut s(out);
  doc.WriteHeader(s, ver);
  return out.size();
}

TEST(Driver, AnEmptyDrawingRoundTrips) {
  for (int ver : {600, 700}) {
    ScratchDir dir;
    TJwwData doc = NewDrawing(ver);
    std::string bytes;
    TJwwData back = SaveAndLoad(doc, dir, ver, &bytes);
    const size_t h = HeaderSize(doc, ver);
    const std::string tail = bytes.substr(h);
    EXPECT_EQ(Hex(tail), ver >= 700 ? "00 00 00 00 00 00 00 00" : "00 00 00 00") << ver;
    EXPECT_EQ(back.Enthd.n1, 0);
    EXPECT_EQ(back.EntBlockDefN, 0);
    EXPECT_EQ(Save(back, dir / "again.jww", ver), bytes);
  }
}

TEST(Driver, CutsAfterTheHeaderAndBeforeTheBlocksFail) {
  ScratchDir dir;
  TJwwData doc = NewDrawing(600);
  doc.Enthd.strMemo = "残る";
  Append(doc, Line(0, 0, 1, 1));
  const std::string bytes = Save(doc, dir / "d.jww", 600);
  const size_t h = HeaderSize(doc, 600);
  for (size_t keep : {h, h + 1, bytes.size() - 2, bytes.size() - 1}) {
    WriteFile(dir / "cut.jww", bytes.substr(0, keep));
    TJwwData back;
    EXPECT_FALSE(back.FileIn(dir / "cut.jww")) << keep;
    EXPECT_EQ(back.LastErrorKind, TJwwErrorKind::Truncated) << keep;
    EXPECT_EQ(back.Enthd.strMemo, "残る") << "what was read stays";
  }
}

TEST(Driver, EveryCutOfADrawingIsRefused) {
  for (int ver : {350, 600, 700}) {
    ScratchDir dir;
    TJwwData doc = RichDrawing(ver);
    const std::string bytes = Save(doc, dir / "d.jww", ver);
    // A version-700 drawing that ends where its picture count stands is complete.
    const size_t complete = ver >= 700 ? bytes.size() - 4 : bytes.size();
    const size_t header = HeaderSize(doc, ver);
    for (size_t keep = 0; keep < bytes.size(); keep += keep < header ? 7 : 1) {
      WriteFile(dir / "cut.jww", bytes.substr(0, keep));
      TJwwData back;
      back.BindImageExr = true;  // read the picture section too
      const bool loads = back.FileIn(dir / "cut.jww");
      ASSERT_EQ(loads, keep == complete) << "version " << ver << ", kept " << keep << " of "
                                         << bytes.size() << ": " << back.LastError;
      // Whatever the load left can still be written.
      if (keep % 97 == 0) {
        EXPECT_TRUE(back.FileOut(dir / "w.jww", ver)) << keep;
      }
    }
  }
}

TEST(Driver, AbsurdCountsFailWithoutAllocating) {
  ScratchDir dir;
  TJwwData doc = NewDrawing(700);
  const std::string header = Save(doc, dir / "e.jww", 700).substr(0, HeaderSize(doc, 700));
  const std::string ffff("\xFF\xFF\xFF\xFF\xFF\x7F", 6);  // count 0x7FFFFFFF
  struct Case {
    const char* what;
    std::string tail;
  };
  const Case cases[] = {
      {"entities", ffff},
      {"entities, all bits", std::string(6, '\xFF')},
      {"definitions", std::string("\x00\x00", 2) + ffff},
      {"members", std::string("\x00\x00\x01\x00\xFF\xFF\x58\x02\x09\x00", 10) + "CDataList" +
                      std::string(27, '\0') + std::string(1, '\0') + ffff},
      {"pictures", std::string("\x00\x00\x00\x00\xFF\xFF\xFF\x7F", 8)},
  };
  for (const auto& c : cases) {
    WriteFile(dir / "big.jww", header + c.tail + std::string(64, '\0'));
    TJwwData back;
    back.BindImageExr = true;
    EXPECT_FALSE(back.FileIn(dir / "big.jww")) << c.what;
    EXPECT_EQ(back.LastErrorKind, TJwwErrorKind::TooLarge) << c.what << ": " << back.LastError;
  }
}

TEST(Driver, FlippedBytesNeverCrash) {
  ScratchDir dir;
  TJwwData doc = RichDrawing(700);
  const std::string bytes = Save(doc, dir / "d.jww", 700);
  std::mt19937 rng(12345);
  for (int i = 0; i < 300; ++i) {
    std::string b = bytes;
    const size_t at = rng() % b.size();
    b[at] = static_cast<char>(rng());
    WriteFile(dir / "f.jww", b);
    TJwwData back;
    if (back.FileIn(dir / "f.jww")) {
      ASSERT_TRUE(back.FileOut(dir / "o.jww", 700)) << at;
      TJwwData again;
      ASSERT_TRUE(again.FileIn(dir / "o.jww")) << at << ": " << again.LastError;
      EXPECT_EQ(again.EntNo.size(),
                static_cast<size_t>(back.EntLineN + back.EntEnkoN + back.EntTenN + back.EntMojiN +
                                    back.EntSunpoN + back.EntSolidN + back.EntBlockN))
          << at;
    }
  }
}

TEST(Driver, VersionLayoutsOfTheWholeFile) {
  ScratchDir dir;
  TJwwData doc = RichDrawing(700);
  std::string b700, b699;
  TJwwData v700 = SaveAndLoad(doc, dir, 700, &b700);
  TJwwData v699 = SaveAndLoad(doc, dir, 699, &b699);
  EXPECT_EQ(b700.size(), b699.size() + 4) << "699 has no picture section";
  EXPECT_EQ(Hex(b700.substr(b700.size() - 4)), "00 00 00 00");
  EXPECT_EQ(v699.EntNo, v700.EntNo);
  EXPECT_EQ(v699.EntSunpo, v700.EntSunpo);
  // Written at 600 the drawing keeps 15-byte attributes and SXF parts, and adds no pictures.
  std::string b600;
  TJwwData v600 = SaveAndLoad(doc, dir, 600, &b600);
  EXPECT_EQ(v600.EntSunpo, v700.EntSunpo);
  EXPECT_EQ(Save(v600, dir / "again600.jww", 600), b600);
}

TEST(Driver, FileCheckAndFileInAgree) {
  ScratchDir dir;
  TJwwData doc = RichDrawing(600);
  std::string bytes = Save(doc, dir / "d.jww", 600);
  for (auto [v, ok] : {std::pair{0x25D, true}, {0x2BD, false}, {0xDB, false}}) {
    bytes[8] = static_cast<char>(v & 0xFF);
    bytes[9] = static_cast<char>(v >> 8);
    WriteFile(dir / "v.jww", bytes);
    TJwwData a, b;
    EXPECT_EQ(a.FileCheck(dir / "v.jww"), ok) << v;
    EXPECT_EQ(b.FileIn(dir / "v.jww"), ok) << v;
  }
}

TEST(Driver, TheTraceNamesWhatLiesWhere) {
  ScratchDir dir;
  TJwwData doc = RichDrawing(700);
  Save(doc, dir / "d.jww", 700);
  TJwwData back;
  std::vector<TJwwTracePoint> trace;
  ASSERT_TRUE(back.FileIn(dir / "d.jww", trace));
  std::string all;
  for (const auto& t : trace) all += t.what + "\n";
  EXPECT_NE(all.find("entity list object 0: CDataSen #0"), std::string::npos) << all;
  EXPECT_NE(all.find("block definition 1 object 0: CDataTen #0"), std::string::npos) << all;
  EXPECT_NE(all.find("pictures"), std::string::npos);
  for (size_t i = 1; i < trace.size(); ++i) EXPECT_GE(trace[i].offset, trace[i - 1].offset);
}

// ---- Saving ----

TEST(Save, AMissingFolderFailsAndLeavesNothing) {
  ScratchDir dir;
  TJwwData doc = RichDrawing(600);
  EXPECT_FALSE(doc.FileOut(dir / "no" / "such.jww", 600));
  EXPECT_EQ(doc.LastErrorKind, TJwwErrorKind::Open);
  EXPECT_TRUE(FilesIn(dir.path()).empty());
}

TEST(Save, ReplacesAnExistingFileOrRefusesTo) {
  ScratchDir dir;
  TJwwData doc = RichDrawing(600);
  WriteFile(dir / "d.jww", "old");
  EXPECT_FALSE(doc.FileOut(dir / "d.jww", 600, TJwwSaveMode::NoReplace));
  EXPECT_EQ(ReadFile(dir / "d.jww"), "old");
  EXPECT_TRUE(doc.FileOut(dir / "d.jww", 600));
  TJwwData back;
  EXPECT_TRUE(back.FileIn(dir / "d.jww"));
  EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"d.jww"});
  EXPECT_TRUE(doc.FileOut(dir / "new.jww", 600, TJwwSaveMode::NoReplace));
}

// Runs FileOut in a child process whose files may not grow beyond `limit` bytes.
bool SaveUnderSizeLimit(TJwwData& doc, const std::filesystem::path& path, rlim_t limit) {
  const pid_t pid = fork();
  if (pid == 0) {
    signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG instead
    rlimit rl{limit, limit};
    setrlimit(RLIMIT_FSIZE, &rl);
    _exit(doc.FileOut(path, 600) ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(Save, AFullDiskLeavesTheOldFileAndNoTemporaryFile) {
  ScratchDir dir;
  TJwwData doc = RichDrawing(600);
  for (int i = 0; i < 5000; ++i) Append(doc, Line(i, 0, i, 1));
  WriteFile(dir / "d.jww", "old drawing");
  EXPECT_FALSE(SaveUnderSizeLimit(doc, dir / "d.jww", 100000));
  EXPECT_EQ(ReadFile(dir / "d.jww"), "old drawing");
  EXPECT_FALSE(SaveUnderSizeLimit(doc, dir / "new.jww", 100000));
  EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"d.jww"});
  EXPECT_TRUE(SaveUnderSizeLimit(doc, dir / "new.jww", 10000000));
}

TEST(Save, ADocumentLeftByAFailedLoadWritesWhatItHolds) {
  ScratchDir dir;
  TJwwData doc = RichDrawing(600);
  const std::string bytes = Save(doc, dir / "d.jww", 600);
  WriteFile(dir / "cut.jww", bytes.substr(0, bytes.size() - 40));
  TJwwData back;
  ASSERT_FALSE(back.FileIn(dir / "cut.jww"));
  ASSERT_TRUE(back.FileOut(dir / "w.jww", 600)) << back.LastError;
  TJwwData again;
  EXPECT_TRUE(again.FileIn(dir / "w.jww")) << again.LastError;
}

}  // namespace
