#include <gtest/gtest.h>
#include <sys/wait.h>

#include "platform/paths.h"
#include "platform/process.h"
#include "tests/support.h"

namespace {

using platform::SplitCommandLine;
using Args = std::vector<std::string>;

TEST(CommandLine, SplitsByTheWindowsRules) {
  struct Case {
    std::string line;
    Args args;
  };
  const Case cases[] = {
      {R"("C:\Program Files\DotsweepSub.exe" DOTSWEEP 46366.50000000 "C:\a b\x.jww" "D:\y.jww")",
       {R"(C:\Program Files\DotsweepSub.exe)", "DOTSWEEP", "46366.50000000", R"(C:\a b\x.jww)",
        R"(D:\y.jww)"}},
      {"prog a  b\tc", {"prog", "a", "b", "c"}},
      {R"(prog "a b" c)", {"prog", "a b", "c"}},
      {R"(prog a\\b a\"b)", {"prog", R"(a\\b)", R"(a"b)"}},
      {R"(prog "a\\" b)", {"prog", R"(a\)", "b"}},
      {R"(prog "a\\\" b")", {"prog", R"(a\" b)"}},
      {R"(prog "" x)", {"prog", "", "x"}},
      {R"(prog "a""b")", {"prog", R"(a"b)"}},
      {R"(prog a"b c"d)", {"prog", "ab cd"}},
      {R"("C:\a\" b)", {R"(C:\a\)", "b"}},  // no backslash rules in the program name
      {"My Prog.exe x", {"My", "Prog.exe", "x"}},
      {"prog   ", {"prog"}},
      {"", {""}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.args) << c.line;
}

TEST(Process, StartsWaitsAndReports) {
  testsupport::ScratchDir dir;
  std::error_code ec;
  platform::Process p = platform::Process::Start(
      "\"/bin/sh\" -c \"echo $0 > '" + (dir / "out").string() + "'\" \"two words\"", ec);
  ASSERT_TRUE(p.Started()) << ec.message();
  const int status = p.Wait();
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_TRUE(p.HasEnded());
  EXPECT_EQ(testsupport::ReadFile(dir / "out"), "two words\n");

  platform::Process missing = platform::Process::Start("\"/no/such/program\" x", ec);
  if (missing.Started()) {
    // posix_spawn may report a missing program only through the child's exit status.
    EXPECT_EQ(WEXITSTATUS(missing.Wait()), 127);
  } else {
    EXPECT_TRUE(ec);
  }
}

TEST(Process, HasEndedNeverBlocks) {
  std::error_code ec;
  platform::Process p = platform::Process::Start("/bin/sleep 5", ec);
  ASSERT_TRUE(p.Started());
  EXPECT_FALSE(p.HasEnded());
  p.Kill();
  p.Wait();
  EXPECT_TRUE(p.HasEnded());
}

TEST(Paths, UniqueFileName) {
  testsupport::ScratchDir dir;
  using platform::UniqueFileName;
  EXPECT_EQ(UniqueFileName(dir / "plan.jww"), dir / "plan.jww");
  testsupport::WriteFile(dir / "plan.jww", "");
  EXPECT_EQ(UniqueFileName(dir / "plan.jww"), dir / "plan~1.jww");
  testsupport::WriteFile(dir / "plan~1.jww", "");
  EXPECT_EQ(UniqueFileName(dir / "plan.jww"), dir / "plan~2.jww");
  std::filesystem::create_directory(dir / "plan~2.jww");  // folders do not count
  EXPECT_EQ(UniqueFileName(dir / "plan.jww"), dir / "plan~2.jww");
  testsupport::WriteFile(dir / "PLAN.JWW", "");
  EXPECT_EQ(UniqueFileName(dir / "PLAN.JWW"), dir / "PLAN~1.JWW") << "the extension's case kept";
  testsupport::WriteFile(dir / "noext", "");
  EXPECT_EQ(UniqueFileName(dir / "noext"), dir / "noext~1");
  testsupport::WriteFile(dir / "a.b.jww", "");
  EXPECT_EQ(UniqueFileName(dir / "a.b.jww"), dir / "a.b~1.jww");
  testsupport::WriteFile(dir / "full.jww", "");
  for (int n = 1; n <= 99999; ++n)
    testsupport::WriteFile(dir / ("full~" + std::to_string(n) + ".jww"), "");
  EXPECT_EQ(UniqueFileName(dir / "full.jww"), std::filesystem::path());
}

TEST(Paths, ExtensionsAndSeparators) {
  EXPECT_EQ(platform::ExtensionOf("/a.b/plan.JWW"), ".JWW");
  EXPECT_EQ(platform::ExtensionOf("/a.b/plan"), "");
  EXPECT_EQ(platform::ExtensionOf("plan.jww.bak"), ".bak");
  EXPECT_EQ(platform::WithTrailingSeparator("/x"), "/x/");
  EXPECT_EQ(platform::WithTrailingSeparator("/x/"), "/x/");
  EXPECT_EQ(platform::WithTrailingSeparator(""), "/");
  EXPECT_EQ(platform::ProgramPath().filename(), "platform_tests");
  EXPECT_TRUE(platform::ProgramFolder().ends_with("/"));
}

}  // namespace
