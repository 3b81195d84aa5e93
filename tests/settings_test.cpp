#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "settings/DatFile.h"
#include "tests/support.h"

namespace {

using namespace settings;
using testsupport::ReadFile;
using testsupport::ScratchDir;
using testsupport::WriteFile;

TEST(SettingsValues, TextToBool) {
  const std::pair<const char*, bool> cases[] = {
      {"1", true},    {"T", true},    {"t", true},      {"tr", true},     {"tru", true},
      {"true", true}, {"TRUE", true}, {"on", true},     {"On", true},     {"１", true},
      {"○", true},    {"真", true},   {"正", true},     {"0", false},     {"", false},
      {"1 ", false},  {" 1", false},  {"yes", false},   {"truee", false}, {"Ｔ", false},
      {"ｔ", false},  {"off", false}, {"false", false},
  };
  for (const auto& [text, want] : cases) EXPECT_EQ(TextToBool(text), want) << text;
  EXPECT_EQ(BoolToText(true), "1");
  EXPECT_EQ(BoolToText(false), "0");
}

TEST(SettingsValues, TextToInt) {
  const std::pair<const char*, int32_t> cases[] = {
      {"50", 50},
      {"-3", -3},
      {"+7", 7},
      {"0", 0},
      {"", 0},
      {"12abc", 0},
      {" 5", 0},
      {"5 ", 0},
      {"--1", 0},
      {"+-1", 0},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"2147483648", 0},
      {"1.5", 0},
      {"１", 0},
  };
  for (const auto& [text, want] : cases) EXPECT_EQ(TextToInt(text), want) << text;
}

TEST(SettingsFile, MissingFileKeepsTheDefaults) {
  ScratchDir dir;
  TDotsweepSettings s = FrontEndDefaults("/opt/app/");
  EXPECT_FALSE(ReadDatFile(dir / "Dotsweep.dat", s));
  EXPECT_EQ(s, FrontEndDefaults("/opt/app/"));
  EXPECT_EQ(s.lb2, "/opt/app/");
  EXPECT_EQ(s.rg1, 1);
  EXPECT_EQ(WorkerDefaults("/x/").rg1, 0);
  EXPECT_EQ(WorkerDefaults("/x/").rg2, 0);
  EXPECT_EQ(WorkerDefaults("/x/").Fm1w, 480);
}

TEST(SettingsFile, WritesSixteenCodePageLinesAndReadsThemBack) {
  ScratchDir dir;
  TDotsweepSettings s = FrontEndDefaults("/opt/app/");
  s.Fm1x = -20;
  s.rb1 = false;
  s.rb4 = true;
  s.ed1 = "/home/利用者/図面";
  s.gstyle = "Fusion";
  s.rg1 = 0;
  ASSERT_TRUE(WriteDatFile(dir / "Dotsweep.dat", s));
  const std::string bytes = ReadFile(dir / "Dotsweep.dat");
  EXPECT_EQ(bytes.substr(0, 9), "-20\r\n50\r\n");
  EXPECT_NE(bytes.find("\x97\x98\x97\x70\x8e\xd2"), std::string::npos) << "利用者 in code page 932";
  size_t lines = 0;
  for (size_t i = bytes.find("\r\n"); i != std::string::npos; i = bytes.find("\r\n", i + 2))
    ++lines;
  EXPECT_EQ(lines, 16u);
  EXPECT_EQ(bytes.substr(bytes.size() - 8), "\r\n0\r\n1\r\n");
  TDotsweepSettings back = FrontEndDefaults("/elsewhere/");
  EXPECT_TRUE(ReadDatFile(dir / "Dotsweep.dat", back));
  EXPECT_EQ(back, s);
}

TEST(SettingsFile, ShortAndDamagedFiles) {
  ScratchDir dir;
  // Fourteen lines: which points and where read as 0.
  WriteFile(dir / "a.dat",
            "1\r\n2\r\n3\r\n4\r\nON\r\n0\r\n0\r\n0\r\n0\r\n/x\r\n/y\r\n/z\r\n2\r\nFusion\r\n");
  TDotsweepSettings s = FrontEndDefaults("/");
  ReadDatFile(dir / "a.dat", s);
  EXPECT_EQ(s.Fm1x, 1);
  EXPECT_TRUE(s.rb1);
  EXPECT_EQ(s.gstyle, "Fusion");
  EXPECT_EQ(s.rg1, 0);
  EXPECT_EQ(s.rg2, 0);
  // Bad numbers give 0, bad Booleans false; lone LF line ends read as well.
  WriteFile(dir / "b.dat", "12abc\nx\n\n\nyes\n");
  s = FrontEndDefaults("/");
  ReadDatFile(dir / "b.dat", s);
  EXPECT_EQ(s.Fm1x, 0);
  EXPECT_EQ(s.Fm1y, 0);
  EXPECT_FALSE(s.rb1);
  EXPECT_EQ(s.lb2, "");
  EXPECT_EQ(s.gstyle, "");
  EXPECT_EQ(s.Fidx, 0);
}

TEST(SettingsFile, AFailedSaveLeavesNoFile) {
  ScratchDir dir;
  WriteFile(dir / "Dotsweep.dat", "old");
  const pid_t pid = fork();
  if (pid == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit rl{10, 10};
    setrlimit(RLIMIT_FSIZE, &rl);
    _exit(WriteDatFile(dir / "Dotsweep.dat", FrontEndDefaults("/a/long/enough/folder/")) ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "Dotsweep.dat"));
  EXPECT_FALSE(WriteDatFile(dir / "no" / "such" / "Dotsweep.dat", FrontEndDefaults("/")));
}

}  // namespace
