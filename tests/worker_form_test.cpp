// The worker's window object in-process: launch checks and their log, and the job they guard.
#include <gtest/gtest.h>

#include "platform/daycount.h"
#include "settings/DatFile.h"
#include "tests/drawing.h"
#include "worker/Unit1.h"

namespace {

using namespace jww;
using namespace testsupport;
using Lines = std::vector<std::string>;

std::string DayCount(double d) {
  char b[64];
  std::snprintf(b, sizeof b, "%.8f", d);
  return b;
}

// A worker "installed" in a scratch folder, with a settings file and a drawing to convert.
struct Install {
  ScratchDir dir;
  std::string prog = (dir / "DotsweepSub").string();
  std::filesystem::path src = dir / "plan.jww", dst = dir / "out.jww";

  explicit Install(int rg1 = 1, int rg2 = 1, bool withSettings = true) {
    if (withSettings) {
      settings::TDotsweepSettings s = settings::FrontEndDefaults(dir.path().string() + "/");
      s.rg1 = rg1;
      s.rg2 = rg2;
      EXPECT_TRUE(settings::WriteDatFile(dir / "Dotsweep.dat", s));
    }
    TJwwData doc = NewDrawing(600);
    Append(doc, Point(1, 1, true));
    Append(doc, Point(2, 2, false));
    TEntJwwBlockDef& def = AppendBlockDef(doc, 1, "b");
    Append(def, Point(0, 0, true));
    Append(def, Point(0, 1, false));
    Append(doc, Insert(1));
    doc.MakeBlockTree();
    Save(doc, src, 600);
  }
  Lines Args(const std::string& caller = "DOTSWEEP", std::string time = "") {
    if (time.empty()) time = DayCount(platform::DayCountNow() - 1.0 / 86400);
    return {caller, time, src.string(), dst.string()};
  }
  // Runs the window object's whole life; returns its job log.
  Lines Run(const Lines& args, std::function<double()> clock = {}) {
    worker::TForm1 form(prog, args);
    if (clock) form.Now = clock;
    form.FormCreate();
    form.FormShow();
    form.FormClose();
    EXPECT_FALSE(std::filesystem::exists(dir / "TEMP")) << "the working folder is gone";
    return form.Memo1;
  }
  Lines Expected(const Lines& args, const std::string& checks) {
    Lines l = {prog};
    l.insert(l.end(), args.begin(), args.end());
    for (size_t i = 0; i < checks.size(); ++i)
      l.push_back("CHECK" + std::to_string(i + 1) + (checks[i] == '1' ? ":OK" : ":NG"));
    return l;
  }
};

TEST(WorkerChecks, AllPassAndTheJobRuns) {
  Install in;
  const Lines args = in.Args();
  EXPECT_EQ(in.Run(args), in.Expected(args, "11111"));
  TJwwData out;
  ASSERT_TRUE(out.FileIn(in.dst));
  EXPECT_EQ(out.EntTenN, 0);
  EXPECT_EQ(out.EntBlockDef[0].mTenN, 0);
}

TEST(WorkerChecks, EachCheckFailsOnItsOwn) {
  struct Case {
    const char* what;
    std::function<void(Install&, Lines&)> setup;
    std::string checks;
  };
  const Case cases[] = {
      {"settings missing",
       [](Install& in, Lines&) { std::filesystem::remove(in.dir / "Dotsweep.dat"); }, "01111"},
      {"caller in lower case", [](Install&, Lines& a) { a[0] = "dotsweep"; }, "10111"},
      {"another caller", [](Install&, Lines& a) { a[0] = "DOTSWEEP2"; }, "10111"},
      {"launch time in the future",
       [](Install&, Lines& a) { a[1] = DayCount(platform::DayCountNow() + 1); }, "11011"},
      {"source missing", [](Install& in, Lines&) { std::filesystem::remove(in.src); }, "11101"},
      {"destination exists", [](Install& in, Lines&) { WriteFile(in.dst, "mine"); }, "11110"},
      {"several at once",
       [](Install& in, Lines& a) {
         a[0] = "x";
         WriteFile(in.dst, "mine");
       },
       "10110"},
  };
  for (const auto& c : cases) {
    Install in;
    Lines args = in.Args();
    c.setup(in, args);
    const bool existed = std::filesystem::exists(in.dst);
    EXPECT_EQ(in.Run(args), in.Expected(args, c.checks)) << c.what;
    if (existed)
      EXPECT_EQ(ReadFile(in.dst), "mine") << c.what;
    else
      EXPECT_FALSE(std::filesystem::exists(in.dst)) << c.what;
  }
}

TEST(WorkerChecks, ALaunchTimeWithACommaReadsAsZeroAndPasses) {
  Install in;
  Lines args = in.Args("DOTSWEEP", "46366,50000000");
  EXPECT_EQ(in.Run(args), in.Expected(args, "11111"));
  EXPECT_TRUE(std::filesystem::exists(in.dst));
  EXPECT_EQ(worker::TextToFloat("46366.50000000"), 46366.5);
  for (const char* bad : {"", "46366,5", "1e", "inf", "nan", " 1", "1 ", "x"})
    EXPECT_EQ(worker::TextToFloat(bad), 0.0) << bad;
  EXPECT_EQ(worker::TextToFloat("+2.5"), 2.5);
  EXPECT_EQ(worker::TextToFloat("-2.5"), -2.5);
}

TEST(WorkerChecks, ClockAgainstLaunchTime) {
  Install in;
  Lines args = in.Args("DOTSWEEP", "46366.50000000");
  EXPECT_EQ(in.Run(args, [] { return 46366.5; }), in.Expected(args, "11111")) << "equal passes";
  std::filesystem::remove(in.dst);
  EXPECT_EQ(in.Run(args, [] { return 46366.49999999; }), in.Expected(args, "11011"));
}

TEST(WorkerChecks, NotFourArgumentsLogsOnlyTheArguments) {
  for (const Lines& args :
       {Lines{"DOTSWEEP", "1", "a"}, Lines{"DOTSWEEP", "1", "a", "b", "c"}, Lines{}}) {
    Install in;
    EXPECT_EQ(in.Run(args), in.Expected(args, "")) << args.size();
    EXPECT_FALSE(std::filesystem::exists(in.dst));
  }
}

TEST(WorkerChecks, AFourteenLineSettingsFileDeletesOnlyTemporaryPointsInBlocks) {
  Install in;
  std::string dat = ReadFile(in.dir / "Dotsweep.dat");
  size_t cut = 0;
  for (int i = 0; i < 14; ++i) cut = dat.find("\r\n", cut) + 2;
  WriteFile(in.dir / "Dotsweep.dat", dat.substr(0, cut));
  const Lines args = in.Args();
  EXPECT_EQ(in.Run(args), in.Expected(args, "11111"));
  TJwwData out;
  ASSERT_TRUE(out.FileIn(in.dst));
  EXPECT_EQ(out.EntTenN, 2) << "the top level keeps its points";
  ASSERT_EQ(out.EntBlockDef[0].mTenN, 1);
  EXPECT_EQ(out.EntBlockDef[0].mTen[0].bKariten, 0u) << "the real point stays in the block";
}

TEST(WorkerJob, NeverWritesOverAFileThatAppearedAfterTheChecks) {
  Install in;
  worker::TForm1 form(in.prog, in.Args());
  form.FormCreate();
  WriteFile(in.dst, "appeared meanwhile");
  form.Proc(in.src.string(), in.dst.string());
  form.FormClose();
  EXPECT_EQ(ReadFile(in.dst), "appeared meanwhile");
  ASSERT_TRUE(form.Result);
  EXPECT_FALSE(form.Result->ok);
  EXPECT_EQ(form.Result->reason, "destination exists");
}

TEST(WorkerJob, OnlyJwwNamesAreConverted) {
  for (auto [name, converts] : {std::pair{"PLAN.JWW", true},
                                {"plan.Jww", true},
                                {"plan.jw", false},
                                {"plan", false},
                                {"plan.jww.bak", false}}) {
    Install in;
    const auto src = in.dir / name;
    std::filesystem::rename(in.src, src);
    worker::TForm1 form(in.prog, {});
    form.FormCreate();
    form.Proc(src.string(), in.dst.string());
    form.FormClose();
    EXPECT_EQ(std::filesystem::exists(in.dst), converts) << name;
  }
}

TEST(WorkerJob, ARefusedDrawingWritesNothing) {
  Install in;
  WriteFile(in.src, "not a drawing at all");
  const Lines args = in.Args();
  in.Run(args);
  EXPECT_FALSE(std::filesystem::exists(in.dst));
}

}  // namespace

namespace {

TEST(WorkFolder, MadeOnFirstUseOnlyAndRemovedWhenEmpty) {
  ScratchDir dir;
  const std::string app = dir.path().string() + "/";
  {
    worker::TWorkFolder f = worker::TWorkFolder::Beside(app);
    EXPECT_FALSE(std::filesystem::exists(dir / "TEMP")) << "nothing before it is needed";
    const std::string path = f.Path();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(path.starts_with(app + "TEMP/job-"));
    EXPECT_EQ(f.Path(), path) << "one folder for the job";
    WriteFile(path + "left.bmp", "x");
    f.Remove();
    EXPECT_TRUE(std::filesystem::exists(path + "left.bmp")) << "files are never deleted";
    std::filesystem::remove(path + "left.bmp");
    std::filesystem::remove(path);
    std::filesystem::remove(dir / "TEMP");
  }
  {
    worker::TWorkFolder f = worker::TWorkFolder::Beside(app);
    const std::string path = f.Path();
    worker::TWorkFolder moved = std::move(f);
    EXPECT_EQ(moved.Path(), path);
    EXPECT_TRUE(std::filesystem::exists(path));
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "TEMP")) << "the moved folder is removed once";
}

}  // namespace
