// Faults of the running system, mostly through the built DotsweepSub started with the window's
// command line: a full disk and a kill during the save, read-only folders, a destination that
// appears after the checks, a source that goes or changes after them, several workers at once
// on drawings with pictures, and picture names that try to leave the working folder. Each ends
// with nothing lost: no partial destination, no stray temporary file, the source and every
// other file untouched, nothing written outside the destination and the working folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <thread>

#include "fuzz/lib/tree.h"
#include "platform/daycount.h"
#include "platform/process.h"
#include "settings/DatFile.h"
#include "tests/drawing.h"
#include "worker/Unit1.h"

extern char** environ;

namespace {

using namespace jww;
using namespace testsupport;
using reliability::Difference;
using reliability::Snapshot;
using reliability::TTree;
namespace fs = std::filesystem;

// How a worker's run is constrained: its files may not grow past `fileSize` bytes, and a
// write past that either fails (a full disk) or, with `dieAtLimit`, ends the process there.
struct Limits {
  rlim_t fileSize = RLIM_INFINITY;
  bool dieAtLimit = false;
};

// A scratch tree: DotsweepSub with its settings file in app/, drawings in work/, the system's
// temporary folder of the worker in tmp/, and outside/ where nothing may ever appear.
struct Install {
  ScratchDir root;
  fs::path app = root / "app", work = root / "work", tmp = root / "tmp", pics = root / "pics",
           outside = root / "outside";
  fs::path exe = app / "DotsweepSub";

  Install() {
    for (const auto& d : {app, work, tmp, pics, outside}) fs::create_directories(d);
    fs::copy_file(DOTSWEEP_SUB, exe);
    settings::TDotsweepSettings s = settings::FrontEndDefaults(app.string() + "/");
    s.rg1 = s.rg2 = 1;
    EXPECT_TRUE(settings::WriteDatFile(app / "Dotsweep.dat", s));
  }

  // The worker started as the window starts it, by its split command line.
  pid_t Start(const fs::path& src, const fs::path& dst, Limits limits = {}) const {
    char time[32];
    std::snprintf(time, sizeof time, "%.8f", platform::DayCountNow());
    std::vector<std::string> args =
        platform::SplitCommandLine("\"" + exe.string() + "\" DOTSWEEP " + time + " \"" +
                                   src.string() + "\" \"" + dst.string() + "\"");
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
      if (std::strncmp(*e, "TMPDIR=", 7) != 0) env.push_back(*e);
    env.push_back("TMPDIR=" + tmp.string());
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    for (auto& e : env) envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
      signal(SIGXFSZ, limits.dieAtLimit ? SIG_DFL : SIG_IGN);
      rlimit none{0, 0}, size{limits.fileSize, limits.fileSize};
      setrlimit(RLIMIT_CORE, &none);
      setrlimit(RLIMIT_FSIZE, &size);
      execve(argv[0], argv.data(), envp.data());
      _exit(127);
    }
    return pid;
  }
  static int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
  }
  int Run(const fs::path& src, const fs::path& dst, Limits limits = {}) const {
    return Wait(Start(src, dst, limits));
  }

  TTree Tree() const { return Snapshot(root.path()); }
  std::string Rel(const fs::path& p) const { return fs::relative(p, root.path()).string(); }

  // What changed since `before`, apart from `written`, which may have appeared.
  std::string Changes(const TTree& before, const std::set<fs::path>& written = {}) const {
    const TTree after = Tree();
    TTree allowed = before;
    for (const auto& w : written)
      if (after.count(Rel(w))) allowed[Rel(w)] = after.at(Rel(w));
    return Difference(allowed, after);
  }
};

// Equal files, or where they part.
::testing::AssertionResult Same(const std::string& got, const std::string& want) {
  if (got == want) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
  return ::testing::AssertionFailure() << got.size() << " bytes where " << want.size()
                                       << " were expected, first difference at byte " << at;
}

std::string RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

// A version-700 drawing whose stored picture, which cannot be compressed, is far larger than
// the rest of it; points at the top level and in a block so that the job has work to do.
std::string PictureDrawing(const Install& in, const std::string& name = "photo.bmp",
                           uint32_t seed = 1) {
  TJwwData doc = NewDrawing(700);
  for (int i = 0; i < 300; ++i) Append(doc, Line(i, 0, i, 1));
  for (int i = 0; i < 4; ++i) Append(doc, Point(i, 2, i % 2 == 0));
  TEntJwwBlockDef& def = AppendBlockDef(doc, 1, "ブロック");
  Append(def, Point(0, 0, true));
  Append(def, Line(0, 0, 1, 1));
  Append(doc, Insert(1, 5, 5));
  doc.BindImageFolder = in.pics.string() + "/";
  doc.BindImageExp = doc.BindImageExr = true;
  WriteFile(doc.BindImagePath(name), RandomBytes(200000, seed));
  doc.BindImage = {{name, 200000, false}};
  doc.BindImageN = 1;
  doc.BindImagePack();
  Append(doc, Text("^@BM%temp%" + name + ",100,100", 0, 0));
  doc.MakeBlockTree();
  const std::string bytes = Save(doc, in.pics / "drawing.jww", 700);
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(in.pics, ec)) fs::remove(e.path(), ec);
  return bytes;
}

// Whether a folder can hold files that have no name until they are complete; where it
// cannot, a save killed half way may leave a temporary file with a hidden ".tmp" name.
bool UnnamedFilesIn(const fs::path& dir) {
  const int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY, 0600);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

TEST(Faults, AFullDiskAnywhereInTheJobWritesAllOrNothing) {
  Install in;
  const fs::path src = in.work / "図面.jww";
  WriteFile(src, PictureDrawing(in));
  ASSERT_EQ(in.Run(src, in.work / "reference.jww"), 0);
  const std::string reference = ReadFile(in.work / "reference.jww");
  // Limits from nothing at all to more than the destination needs: the picture's file in the
  // working folder and the destination run out of room at every stage of the job.
  std::vector<rlim_t> limits = {0, 1, 4096, 20000, 40000, 100000, 199999, 200000};
  for (size_t l = reference.size() - 100000; l < reference.size() + 2; l += 20000)
    limits.push_back(l);
  limits.push_back(reference.size() - 1);
  limits.push_back(reference.size());
  for (rlim_t limit : limits) {
    SCOPED_TRACE("files limited to " + std::to_string(limit) + " bytes");
    const fs::path dst = in.work / "結果.jww";
    const TTree before = in.Tree();
    in.Run(src, dst, {limit, false});
    if (fs::exists(dst)) {
      EXPECT_TRUE(Same(ReadFile(dst), reference)) << "a destination is complete";
    }
    EXPECT_EQ(fs::exists(dst), limit >= reference.size());
    EXPECT_EQ(in.Changes(before, {dst}), "");
    fs::remove(dst);
  }
}

TEST(Faults, AWorkerKilledAnywhereInItsJobLeavesNoDestination) {
  Install in;
  const fs::path src = in.work / "a.jww";
  WriteFile(src, PictureDrawing(in));
  ASSERT_EQ(in.Run(src, in.work / "reference.jww"), 0);
  const std::string reference = ReadFile(in.work / "reference.jww");
  const bool unnamed = UnnamedFilesIn(in.work);
  // The process dies at its first write past the limit: while it unpacks the picture, or at
  // some point of the save.
  for (rlim_t limit = 0; limit < reference.size(); limit += reference.size() / 9) {
    SCOPED_TRACE("killed at a write past " + std::to_string(limit) + " bytes");
    const fs::path dst = in.work / "b.jww";
    const TTree before = in.Tree();
    const int status = in.Run(src, dst, {limit, true});
    ASSERT_TRUE(WIFSIGNALED(status)) << "the worker was not killed";
    EXPECT_FALSE(fs::exists(dst));
    // Only the working folder may keep what the killed worker had unpacked, and, where files
    // must have a name while written, a hidden temporary file that no job takes for a drawing.
    const TTree after = in.Tree();
    TTree allowed = before;
    for (const auto& [path, what] : after) {
      const std::string name = fs::path(path).filename().string();
      if (path.starts_with("app/TEMP") ||
          (!unnamed && name.starts_with(".") && name.ends_with(".tmp")))
        allowed[path] = what;
    }
    EXPECT_EQ(Difference(allowed, after), "");
  }
  // A later worker from the same folder converts as ever and leaves those leftovers alone.
  const TTree stale = in.Tree();
  ASSERT_EQ(in.Run(src, in.work / "c.jww"), 0);
  EXPECT_TRUE(Same(ReadFile(in.work / "c.jww"), reference));
  EXPECT_EQ(in.Changes(stale, {in.work / "c.jww"}), "");
}

// Makes a folder refuse new files while it lives: by its permission bits, or, for a process
// that permission bits do not stop (root), by the file system's immutable flag.
class ReadOnly {
 public:
  explicit ReadOnly(const fs::path& dir) : dir_(dir) {
    ::chmod(dir.c_str(), 0555);
    if (Refuses()) return;
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
      flags |= FS_IMMUTABLE_FL;
      immutable_ = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    if (fd >= 0) ::close(fd);
  }
  ~ReadOnly() {
    if (immutable_) {
      const int fd = ::open(dir_.c_str(), O_RDONLY | O_DIRECTORY);
      int flags = 0;
      if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
        flags &= ~FS_IMMUTABLE_FL;
        ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
      }
      if (fd >= 0) ::close(fd);
    }
    ::chmod(dir_.c_str(), 0755);
  }
  // Whether a new file in the folder is refused.
  bool Refuses() const {
    const fs::path probe = dir_ / ".probe";
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) return true;
    ::close(fd);
    ::unlink(probe.c_str());
    return false;
  }

 private:
  fs::path dir_;
  bool immutable_ = false;
};

#define SKIP_UNLESS_READ_ONLY(guard)                                                          \
  if (!(guard).Refuses())                                                                     \
  GTEST_SKIP() << "cannot make a folder read-only here (as root permission bits do not stop " \
                  "writes, and this file system or process cannot set the immutable flag)"

TEST(Faults, AReadOnlyDestinationFolderGetsNothing) {
  Install in;
  const fs::path src = in.work / "a.jww", folder = in.work / "locked";
  WriteFile(src, PictureDrawing(in));
  fs::create_directories(folder);
  const TTree before = in.Tree();
  ReadOnly guard(folder);
  SKIP_UNLESS_READ_ONLY(guard);
  in.Run(src, folder / "out.jww");
  EXPECT_EQ(in.Changes(before), "");
}

TEST(Faults, AReadOnlyProgramFolderStillConvertsWithPictures) {
  Install in;
  const fs::path src = in.work / "a.jww";
  WriteFile(src, PictureDrawing(in));
  ASSERT_EQ(in.Run(src, in.work / "reference.jww"), 0);
  const TTree before = in.Tree();
  ReadOnly guard(in.app);
  SKIP_UNLESS_READ_ONLY(guard);
  // No working folder beside the program: a private one under the system's temporary folder.
  in.Run(src, in.work / "out.jww");
  EXPECT_TRUE(Same(ReadFile(in.work / "out.jww"), ReadFile(in.work / "reference.jww")));
  EXPECT_EQ(in.Changes(before, {in.work / "out.jww"}), "");
}

// The worker's window object in-process, created and checked, with the job still to run.
struct Created {
  Install in;
  fs::path src = in.work / "a.jww", dst = in.work / "out.jww";
  std::unique_ptr<worker::TForm1> form;
  Created() {
    WriteFile(src, PictureDrawing(in));
    form = std::make_unique<worker::TForm1>(
        in.exe.string(), std::vector<std::string>{"DOTSWEEP", "1", src.string(), dst.string()});
    form->FormCreate();
  }
  // The tree as it must be after the close, which takes the working folder away.
  TTree Tree() const {
    TTree t = in.Tree();
    std::erase_if(t, [](const auto& e) { return e.first.starts_with("app/TEMP"); });
    return t;
  }
  // The job, then the close.
  void Finish() {
    form->Proc(src.string(), dst.string());
    form->FormClose();
  }
};

TEST(Faults, WhatAppearsAtTheDestinationAfterTheChecksIsLeftAlone) {
  const std::vector<std::pair<const char*, std::function<void(Created&)>>> cases = {
      {"a link to nowhere", [](Created& c) { fs::create_symlink(c.in.outside / "x.jww", c.dst); }},
      {"a link to a file",
       [](Created& c) {
         WriteFile(c.in.outside / "mine.jww", "mine");
         fs::create_symlink(c.in.outside / "mine.jww", c.dst);
       }},
      {"a folder", [](Created& c) { fs::create_directory(c.dst); }},
  };
  for (const auto& [what, appear] : cases) {
    SCOPED_TRACE(what);
    Created c;
    appear(c);
    const TTree before = c.Tree();
    c.Finish();
    ASSERT_TRUE(c.form->Result);
    EXPECT_FALSE(c.form->Result->ok);
    EXPECT_EQ(c.form->Result->reason, "destination exists");
    EXPECT_EQ(c.in.Changes(before), "");
  }
}

TEST(Faults, ASourceThatGoesOrChangesAfterTheChecksWritesNothing) {
  const std::vector<std::pair<const char*, std::function<void(Created&)>>> cases = {
      {"removed", [](Created& c) { fs::remove(c.src); }},
      {"a folder now",
       [](Created& c) {
         fs::remove(c.src);
         fs::create_directory(c.src);
       }},
      {"a pipe now",
       [](Created& c) {
         fs::remove(c.src);
         ASSERT_EQ(::mkfifo(c.src.c_str(), 0600), 0);
       }},
      {"cut short", [](Created& c) { fs::resize_file(c.src, 20000); }},  // in its entity list
      {"not a drawing now", [](Created& c) { WriteFile(c.src, "text"); }},
  };
  for (const auto& [what, change] : cases) {
    SCOPED_TRACE(what);
    Created c;
    change(c);
    const TTree before = c.Tree();
    c.Finish();
    EXPECT_FALSE(c.form->Result && c.form->Result->ok);
    EXPECT_EQ(c.in.Changes(before), "");
  }
}

TEST(Faults, ADrawingSwappedForAPipeBetweenItsChecksAndItsLoadIsRefused) {
  // The job's own test of the source comes before the drawing is opened, so a pipe put in
  // its place just then reaches the reader, which must refuse it rather than wait for a
  // writer that never comes. A child process keeps a hang from stalling the suite.
  ScratchDir dir;
  const fs::path pipe = dir / "swapped.jww";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    alarm(60);
    TJwwData doc;
    const bool refused = !doc.FileCheck(pipe) && !doc.FileIn(pipe) && !doc.FileHeaderIn(pipe);
    _exit(refused ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "the reader waited on the pipe";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(Faults, ASourceRemovedWhileTheWorkerRunsGivesAllOrNothing) {
  Install in;
  const std::string drawing = PictureDrawing(in);
  const fs::path src = in.work / "a.jww", moved = in.root / "moved.jww";
  WriteFile(src, drawing);
  const auto t0 = std::chrono::steady_clock::now();
  ASSERT_EQ(in.Run(src, in.work / "reference.jww"), 0);
  const auto whole = std::chrono::steady_clock::now() - t0;
  const std::string reference = ReadFile(in.work / "reference.jww");
  for (int k = 0; k < 6; ++k) {
    const fs::path dst = in.work / ("out" + std::to_string(k) + ".jww");
    const TTree before = in.Tree();
    const pid_t pid = in.Start(src, dst);
    std::this_thread::sleep_for(whole * k / 5);
    fs::rename(src, moved);
    Install::Wait(pid);
    if (fs::exists(dst)) {
      EXPECT_TRUE(Same(ReadFile(dst), reference)) << k;
    }
    fs::rename(moved, src);
    EXPECT_EQ(in.Changes(before, {dst}), "") << k;
    EXPECT_TRUE(Same(ReadFile(src), drawing));
  }
}

TEST(Faults, SeveralWorkersAtOnceKeepTheirPicturesApart) {
  Install in;
  // Two drawings whose pictures have one stored name and different bytes.
  const std::string names[] = {"pic.bmp", "../shared.bmp"};
  std::vector<fs::path> sources;
  for (int d = 0; d < 2; ++d) {
    for (const auto& name : names) {
      sources.push_back(in.work / ("d" + std::to_string(sources.size()) + ".jww"));
      WriteFile(sources.back(), PictureDrawing(in, name, static_cast<uint32_t>(sources.size())));
    }
  }
  std::vector<std::string> references;
  for (const auto& s : sources) {
    const fs::path r = in.root / ("ref-" + s.filename().string());
    ASSERT_EQ(in.Run(s, r), 0);
    references.push_back(ReadFile(r));
    fs::remove(r);
  }
  for (int round = 0; round < 3; ++round) {
    const TTree before = in.Tree();
    std::vector<pid_t> pids;
    std::set<fs::path> dsts;
    for (size_t i = 0; i < sources.size(); ++i) {
      const fs::path dst =
          in.work / ("r" + std::to_string(round) + "-" + std::to_string(i) + ".jww");
      dsts.insert(dst);
      pids.push_back(in.Start(sources[i], dst));
    }
    for (pid_t p : pids) EXPECT_EQ(Install::Wait(p), 0);
    for (size_t i = 0; i < sources.size(); ++i)
      EXPECT_TRUE(
          Same(ReadFile(in.work / ("r" + std::to_string(round) + "-" + std::to_string(i) + ".jww")),
               references[i]))
          << i;
    EXPECT_EQ(in.Changes(before, dsts), "");
  }
}

// An image section made by hand: the count, then per record its name as a counted text, its
// size and its bytes.
std::string Section(const std::vector<std::pair<std::string, std::string>>& records) {
  std::string s;
  auto put32 = [&](int32_t v) { s.append(reinterpret_cast<const char*>(&v), 4); };
  put32(static_cast<int32_t>(records.size()));
  for (const auto& [name, data] : records) {
    s += static_cast<char>(name.size());
    s += name;
    put32(static_cast<int32_t>(data.size()));
    s += data;
  }
  return s;
}

TEST(Faults, PictureNamesThatTryToLeaveTheWorkingFolderStayInIt) {
  Install in;
  // The working folder is app/TEMP/<job>/: three steps up is the root of the scratch tree.
  const std::string gz = [&] {
    TJwwData d;
    d.BindImageFolder = in.pics.string() + "/";
    WriteFile(in.pics / "y.bmp", std::string(3000, 'y'));
    d.BindImage = {{"y.bmp", 3000, false}};
    d.BindImagePack();
    const std::string bytes = ReadFile(in.pics / "y.bmp.gz");
    fs::remove(in.pics / "y.bmp");
    fs::remove(in.pics / "y.bmp.gz");
    return bytes;
  }();
  const std::vector<std::string> names = {
      ".",
      "..",
      "../x.bmp",
      "../../x.bmp",
      "../../../outside/x.bmp",
      "../../../work/result.jww",  // the destination itself
      (in.outside / "abs.bmp").string(),
      "C:\\x.bmp",
      "..\\..\\..\\outside\\x.bmp",
      "sub/x.bmp",
      "../../../outside/y.bmp.gz",
      (in.outside / "z.bmp.gz").string(),
  };
  TJwwData doc = NewDrawing(700);
  Append(doc, Point(1, 1, true));
  std::vector<std::pair<std::string, std::string>> records;
  for (const auto& name : names) {
    const bool packed = name.ends_with(".gz");
    records.push_back({name, packed ? gz : "picture " + name});
    Append(doc, Text("^@BM%temp%" + (packed ? name.substr(0, name.size() - 3) : name) + ",1,1"));
  }
  const std::string lists = Save(doc, in.pics / "base.jww", 700);
  fs::remove(in.pics / "base.jww");
  const std::string section = Section(records);
  const fs::path src = in.work / "escape.jww", dst = in.work / "result.jww";
  WriteFile(src, lists.substr(0, lists.size() - 4) + section);

  const TTree before = in.Tree();
  ASSERT_EQ(in.Run(src, dst), 0);
  EXPECT_EQ(in.Changes(before, {dst}), "");
  // Every picture is kept under its stored name, byte for byte.
  const std::string out = ReadFile(dst);
  ASSERT_GE(out.size(), section.size());
  EXPECT_TRUE(Same(out.substr(out.size() - section.size()), section));
}

}  // namespace
