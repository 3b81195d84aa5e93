// The built DotsweepSub, started exactly as the window starts it, on real files.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/daycount.h"
#include "platform/process.h"
#include "settings/DatFile.h"
#include "tests/drawing.h"

namespace {

using namespace jww;
using namespace testsupport;
namespace fs = std::filesystem;

// DotsweepSub copied into a folder of its own, with its settings file beside it.
struct Installed {
  ScratchDir dir;
  fs::path app = dir / "app", work = dir / "work";
  fs::path exe = app / "DotsweepSub";

  Installed(int rg1, int rg2) {
    fs::create_directories(app);
    fs::create_directories(work);
    fs::copy_file(DOTSWEEP_SUB, exe);
    settings::TDotsweepSettings s = settings::FrontEndDefaults(app.string() + "/");
    s.rg1 = rg1;
    s.rg2 = rg2;
    EXPECT_TRUE(settings::WriteDatFile(app / "Dotsweep.dat", s));
  }
  // The command line the window builds: quoted program, caller, time with eight decimals,
  // quoted source and destination.
  std::string CommandLine(const fs::path& src, const fs::path& dst) const {
    char time[32];
    std::snprintf(time, sizeof time, "%.8f", platform::DayCountNow());
    return "\"" + exe.string() + "\" DOTSWEEP " + time + " \"" + src.string() + "\" \"" +
           dst.string() + "\"";
  }
  platform::Process Start(const fs::path& src, const fs::path& dst) const {
    std::error_code ec;
    platform::Process p = platform::Process::Start(CommandLine(src, dst), ec);
    EXPECT_TRUE(p.Started()) << ec.message();
    return p;
  }
  void Run(const fs::path& src, const fs::path& dst) const { Start(src, dst).Wait(); }
  // Runs the worker with its files limited to `limit` bytes.
  void RunLimited(const fs::path& src, const fs::path& dst, rlim_t limit) const {
    std::vector<std::string> args = platform::SplitCommandLine(CommandLine(src, dst));
    const pid_t pid = fork();
    if (pid == 0) {
      signal(SIGXFSZ, SIG_IGN);
      rlimit rl{limit, limit};
      setrlimit(RLIMIT_FSIZE, &rl);
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
  }
  bool Clean() const { return !fs::exists(app / "TEMP"); }
};

// Points are named by their x: 1.. at the top level, 100.. in block "used", 200.. in the
// definition of points only, 300.. in the unused definition. Odd ones are temporary.
TJwwData Source(int ver, const fs::path& pictureFolder) {
  TJwwData doc = NewDrawing(ver);
  doc.Enthd.strMemo = "変換テスト";
  Append(doc, Line(0, 0, 10, 0));
  for (int i = 1; i <= 4; ++i) Append(doc, Point(i, 0, i % 2 == 1));
  Append(doc, Text("日本語の注記", 5, 5));
  Append(doc, Dimension(0, 0, 10, 0, true));
  TEntJwwBlockDef& used = AppendBlockDef(doc, 10, "使用");
  Append(used, Point(101, 0, true));
  Append(used, Line(0, 0, 1, 1));
  Append(used, Point(102, 0, false));
  Append(used, Insert(20));
  TEntJwwBlockDef& only = AppendBlockDef(doc, 20, "点だけ");
  Append(only, Point(201, 0, true));
  Append(only, Point(202, 0, false));
  TEntJwwBlockDef& unused = AppendBlockDef(doc, 30, "未使用");
  Append(unused, Point(301, 0, true));
  Append(doc, Insert(10, 50, 50));
  if (ver >= 700) {
    doc.BindImageFolder = pictureFolder.string() + "/";
    doc.BindImageExp = doc.BindImageExr = true;
    WriteFile(pictureFolder / "pic.bmp", std::string(5000, 'p'));
    doc.BindImage = {{"pic.bmp", 5000, false}};
    doc.BindImageN = 1;
    doc.BindImagePack();
    Append(doc, Text("^@BM%temp%pic.bmp,10,10", 0, 0));
  }
  doc.MakeBlockTree();
  return doc;
}

std::vector<double> PointXs(const std::vector<TEntJwwNo>& order, const std::vector<TEntJwwTen>& t) {
  std::vector<double> xs;
  for (const auto& e : order)
    if (e.EntType == kTen) xs.push_back(t[e.EntNo].start_x);
  return xs;
}

TEST(WorkerProgram, ConvertsInAllFourCombinations) {
  struct Case {
    int rg1, rg2;
    std::vector<double> top, used, only;
  };
  const Case cases[] = {
      {0, 0, {1, 2, 3, 4}, {102}, {202}},
      {0, 1, {2, 4}, {102}, {202}},
      {1, 0, {1, 2, 3, 4}, {}, {}},
      {1, 1, {}, {}, {}},
  };
  for (int ver : {300, 600, 700}) {
    for (const auto& c : cases) {
      SCOPED_TRACE("version " + std::to_string(ver) + ", settings " + std::to_string(c.rg1) + "/" +
                   std::to_string(c.rg2));
      Installed w(c.rg1, c.rg2);
      fs::create_directories(w.dir / "pics");
      TJwwData doc = Source(ver, w.dir / "pics");
      const fs::path src = w.work / "図面 1.jww", dst = w.work / "結果 1.jww";
      const std::string before = Save(doc, src, ver);
      w.Run(src, dst);
      EXPECT_EQ(ReadFile(src), before) << "the source is never changed";
      EXPECT_TRUE(w.Clean());
      TJwwData out;
      out.BindImageFolder = (w.dir / "pics").string() + "/";
      out.BindImageExr = true;
      ASSERT_TRUE(out.FileIn(dst)) << out.LastError;
      EXPECT_EQ(out.Enthd.jwVer, ver);
      EXPECT_EQ(out.Enthd.strMemo, "変換テスト");
      EXPECT_EQ(PointXs(out.EntNo, out.EntTen), c.top);
      // Everything else stays, in its order.
      std::vector<int> kinds;
      for (const auto& e : out.EntNo)
        if (e.EntType != kTen) kinds.push_back(e.EntType);
      std::vector<int> want = {kLine, kMoji, kSunpo, kBlock};
      if (ver >= 700) want.push_back(kMoji);
      EXPECT_EQ(kinds, want);
      if (ver >= 420) {
        EXPECT_EQ(out.EntSunpo[0], doc.EntSunpo[0]) << "dimension points stay";
      }
      ASSERT_EQ(out.EntBlockDefN, 2) << "the unused definition is dropped";
      EXPECT_EQ(out.EntBlockDef[0].strName, "使用");
      EXPECT_EQ(PointXs(out.EntBlockDef[0].mNo, out.EntBlockDef[0].mTen), c.used);
      EXPECT_EQ(PointXs(out.EntBlockDef[1].mNo, out.EntBlockDef[1].mTen), c.only);
      EXPECT_EQ(out.EntBlockDef[1].N, static_cast<int32_t>(c.only.size()));
      if (ver >= 700) {
        ASSERT_EQ(out.BindImageN, 1);
        EXPECT_EQ(out.BindImage[0].Fname, "pic.bmp.gz");
        EXPECT_EQ(out.BindImage[0].Fsize, doc.BindImage[0].Fsize);
      }
    }
  }
}

TEST(WorkerProgram, PicturesSurviveByteForByte) {
  Installed w(1, 1);
  fs::create_directories(w.dir / "pics");
  TJwwData doc = Source(700, w.dir / "pics");
  const fs::path src = w.work / "a.jww", dst = w.work / "b.jww";
  Save(doc, src, 700);
  const std::string stored = ReadFile(w.dir / "pics" / "pic.bmp.gz");
  w.Run(src, dst);
  fs::create_directories(w.dir / "out");
  TJwwData out;
  out.BindImageFolder = (w.dir / "out").string() + "/";
  out.BindImageExp = out.BindImageExr = true;
  ASSERT_TRUE(out.FileIn(dst));
  EXPECT_EQ(ReadFile(w.dir / "out" / "pic.bmp.gz"), stored);
  out.BindImageExplode();
  EXPECT_EQ(ReadFile(w.dir / "out" / "pic.bmp"), std::string(5000, 'p'));
}

TEST(WorkerProgram, FailuresWriteNothing) {
  Installed w(1, 1);
  TJwwData good = NewDrawing(600);
  for (int i = 0; i < 20000; ++i) Append(good, Line(i, 0, i, 1));  // kept by the sweep
  const fs::path big = w.work / "big.jww";
  Save(good, big, 600);
  WriteFile(w.work / "text.jww", "This is not a drawing.\r\n");
  std::string v701 = ReadFile(big);
  v701[8] = static_cast<char>(701 & 0xFF);
  v701[9] = static_cast<char>(701 >> 8);
  WriteFile(w.work / "v701.jww", v701);

  for (const auto& [src, dst] : {std::pair{w.work / "text.jww", w.work / "o1.jww"},
                                 {w.work / "v701.jww", w.work / "o2.jww"},
                                 {big, w.work / "missing" / "o3.jww"}}) {
    w.Run(src, dst);
    EXPECT_FALSE(fs::exists(dst)) << src;
  }
  // A full disk: the worker's files may not grow past 100 kB; the drawing needs more.
  w.RunLimited(big, w.work / "o4.jww", 100000);
  EXPECT_FALSE(fs::exists(w.work / "o4.jww"));
  EXPECT_EQ(FilesIn(w.work), (std::vector<std::string>{"big.jww", "text.jww", "v701.jww"}));
  EXPECT_TRUE(w.Clean());
}

TEST(WorkerProgram, AWorkerKilledWhileSavingLeavesNoDestination) {
  Installed w(0, 1);
  TJwwData doc = NewDrawing(600);
  for (int i = 0; i < 200000; ++i) Append(doc, Line(i, 0, i, 1));
  Append(doc, Point(1, 1, true));
  const fs::path src = w.work / "big.jww";
  Save(doc, src, 600);
  // Time one whole run, then kill runs at points spread over it.
  const auto t0 = std::chrono::steady_clock::now();
  w.Run(src, w.work / "timed.jww");
  const auto full = std::chrono::steady_clock::now() - t0;
  ASSERT_TRUE(fs::exists(w.work / "timed.jww"));
  int killedBefore = 0;
  for (int k = 1; k <= 12; ++k) {
    const fs::path dst = w.work / ("k" + std::to_string(k) + ".jww");
    platform::Process p = w.Start(src, dst);
    std::this_thread::sleep_for(full * k / 12);
    p.Kill();
    p.Wait();
    if (!fs::exists(dst)) {
      ++killedBefore;
      continue;
    }
    // Killed after the save: the file is complete.
    TJwwData out;
    EXPECT_TRUE(out.FileIn(dst)) << k;
    EXPECT_EQ(out.EntLineN, 200000);
  }
  for (const auto& name : FilesIn(w.work)) EXPECT_FALSE(name.ends_with(".tmp")) << name;
  RecordProperty("killed_before_save", killedBefore);
}

TEST(WorkerProgram, TwoWorkersAtOnceKeepTheirPicturesApart) {
  Installed w(1, 1);
  fs::create_directories(w.dir / "pics");
  // Two drawings whose pictures share a name but not their bytes.
  TJwwData a = Source(700, w.dir / "pics");
  Save(a, w.work / "a.jww", 700);
  const std::string aPic = ReadFile(w.dir / "pics" / "pic.bmp.gz");
  WriteFile(w.dir / "pics" / "pic.bmp", std::string(7000, 'q'));
  fs::remove(w.dir / "pics" / "pic.bmp.gz");
  a.BindImage = {{"pic.bmp", 7000, false}};
  a.BindImagePack();
  Save(a, w.work / "b.jww", 700);
  const std::string bPic = ReadFile(w.dir / "pics" / "pic.bmp.gz");
  ASSERT_NE(aPic, bPic);
  for (int round = 0; round < 5; ++round) {
    const fs::path ra = w.work / ("ra" + std::to_string(round) + ".jww");
    const fs::path rb = w.work / ("rb" + std::to_string(round) + ".jww");
    platform::Process pa = w.Start(w.work / "a.jww", ra);
    platform::Process pb = w.Start(w.work / "b.jww", rb);
    pa.Wait();
    pb.Wait();
    for (const auto& [file, want] : {std::pair{ra, aPic}, {rb, bPic}}) {
      ScratchDir pics;
      TJwwData out;
      out.BindImageFolder = pics.path().string() + "/";
      out.BindImageExp = out.BindImageExr = true;
      ASSERT_TRUE(out.FileIn(file)) << file;
      EXPECT_EQ(ReadFile(pics / "pic.bmp.gz"), want) << file;
    }
  }
  EXPECT_TRUE(w.Clean());
}

}  // namespace
