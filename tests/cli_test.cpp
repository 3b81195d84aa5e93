// dotsweep-cli as scripts run it: its output, its JSON and its exit codes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "tests/drawing.h"

namespace {

using namespace jww;
using namespace testsupport;

struct CliRun {
  int status;
  std::string out;
};

CliRun Cli(const std::string& args) {
  const std::string cmd = std::string(DOTSWEEP_CLI) + " " + args + " 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int st = pclose(p);
  return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, out};
}

std::string Quote(const std::filesystem::path& p) {
  return "'" + p.string() + "'";
}

TEST(CliInfo, DescribesADrawingAsJson) {
  ScratchDir dir;
  TJwwData doc = NewDrawing(700);
  doc.Enthd.strMemo = "メモ";
  doc.EntLay[17].aStrLayName = "躯体";
  Append(doc, Point(0, 0, true));
  Append(doc, Point(1, 0, true));
  Append(doc, Point(2, 0, false));
  Append(doc, Line(0, 0, 1, 1));
  Append(doc, Text("^@BM%temp%a.bmp,1,1"));
  TEntJwwBlockDef& used = AppendBlockDef(doc, 1, "used");
  Append(used, Point(0, 0, true));
  AppendBlockDef(doc, 2, "unused");
  Append(doc, Insert(1));
  doc.MakeBlockTree();
  std::filesystem::create_directories(dir / "pics");
  doc.BindImageFolder = (dir / "pics").string() + "/";
  doc.BindImageExp = doc.BindImageExr = true;
  WriteFile(dir / "pics" / "a.bmp", "12345");
  doc.BindImage = {{"a.bmp", 5, false}};
  doc.BindImageN = 1;
  ASSERT_TRUE(doc.FileOut(dir / "d.jww", 700));

  CliRun r = Cli("info --json " + Quote(dir / "d.jww"));
  ASSERT_EQ(r.status, 0);
  const auto j = nlohmann::json::parse(r.out).at(0);
  EXPECT_EQ(j["version"], 700);
  EXPECT_EQ(j["memo"], "メモ");
  EXPECT_EQ(j["text_form"], "cp932");
  EXPECT_EQ(j["named_layer_groups"][0]["group"], 1);
  EXPECT_EQ(j["named_layer_groups"][0]["layers"][0]["name"], "躯体");
  EXPECT_EQ(j["entities"]["top_level"]["points"], 3);
  EXPECT_EQ(j["entities"]["top_level"]["lines"], 1);
  EXPECT_EQ(j["entities"]["top_level"]["block_inserts"], 1);
  EXPECT_EQ(j["points"]["top_level"]["temporary"], 2);
  EXPECT_EQ(j["points"]["top_level"]["real"], 1);
  EXPECT_EQ(j["points"]["in_blocks"]["temporary"], 1);
  // Only used definitions are written, so the file holds one.
  EXPECT_EQ(j["block_definitions"]["total"], 1);
  EXPECT_EQ(j["block_definitions"]["unused"], 0);
  EXPECT_EQ(j["pictures"][0]["name"], "a.bmp");
  EXPECT_EQ(j["pictures"][0]["size"], 5);
  EXPECT_EQ(j["pictures"][0]["referenced"], true);

  CliRun text = Cli("info " + Quote(dir / "d.jww"));
  EXPECT_EQ(text.status, 0);
  EXPECT_NE(text.out.find("2 temporary, 1 real"), std::string::npos) << text.out;
}

TEST(CliInfo, FailuresAndUsage) {
  ScratchDir dir;
  WriteFile(dir / "not.jww", "hello");
  TJwwData doc = NewDrawing(600);
  ASSERT_TRUE(doc.FileOut(dir / "ok.jww", 600));
  CliRun r = Cli("info --json " + Quote(dir / "not.jww") + " " + Quote(dir / "ok.jww"));
  EXPECT_EQ(r.status, 1);
  const auto j = nlohmann::json::parse(r.out);
  ASSERT_EQ(j.size(), 2u);
  EXPECT_EQ(j[0]["error"], "not a JWW drawing");
  EXPECT_EQ(j[1]["version"], 600);
  EXPECT_EQ(Cli("").status, 2);
  EXPECT_EQ(Cli("info").status, 2);
  EXPECT_EQ(Cli("frobnicate").status, 2);
  EXPECT_EQ(Cli("info " + Quote(dir / "missing.jww")).status, 1);
}

}  // namespace

namespace {

using namespace jww;
using namespace testsupport;
namespace fs = std::filesystem;

// A drawing with `temp` temporary and `real` real points at the top level and one of each in
// a block.
void MakeDrawing(const fs::path& p, int temp, int real, int ver = 600) {
  TJwwData doc = NewDrawing(ver);
  Append(doc, Line(0, 0, 1, 1));
  for (int i = 0; i < temp; ++i) Append(doc, Point(i, 0, true));
  for (int i = 0; i < real; ++i) Append(doc, Point(i, 1, false));
  TEntJwwBlockDef& def = AppendBlockDef(doc, 1, "b");
  Append(def, Point(0, 0, true));
  Append(def, Point(0, 1, false));
  Append(doc, Insert(1));
  doc.MakeBlockTree();
  fs::create_directories(p.parent_path());
  ASSERT_TRUE(doc.FileOut(p, ver));
}

nlohmann::json Points(const fs::path& p) {
  CliRun r = Cli("info --json " + Quote(p));
  EXPECT_EQ(r.status, 0) << p;
  return nlohmann::json::parse(r.out).at(0)["points"];
}

TEST(CliSweep, TheFourCombinations) {
  struct Case {
    const char* flags;
    int topTemp, topReal, blockTemp, blockReal;  // left afterwards
  };
  const Case cases[] = {
      {"", 0, 0, 0, 0},
      {"--points all --scope all", 0, 0, 0, 0},
      {"--points temporary", 0, 2, 0, 1},
      {"--scope blocks", 3, 2, 0, 0},
      {"--points temporary --scope blocks", 3, 2, 0, 1},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    MakeDrawing(dir / "in" / "plan.jww", 3, 2);
    const std::string before = ReadFile(dir / "in" / "plan.jww");
    CliRun r = Cli(std::string("sweep ") + c.flags + " -o " + Quote(dir / "out") + " " +
                   Quote(dir / "in" / "plan.jww"));
    ASSERT_EQ(r.status, 0) << c.flags;
    EXPECT_NE(r.out.find("plan.jww → "), std::string::npos) << r.out;
    const auto pts = Points(dir / "out" / "plan.jww");
    EXPECT_EQ(pts["top_level"]["temporary"], c.topTemp) << c.flags;
    EXPECT_EQ(pts["top_level"]["real"], c.topReal) << c.flags;
    EXPECT_EQ(pts["in_blocks"]["temporary"], c.blockTemp) << c.flags;
    EXPECT_EQ(pts["in_blocks"]["real"], c.blockReal) << c.flags;
    EXPECT_EQ(ReadFile(dir / "in" / "plan.jww"), before);
  }
}

TEST(CliSweep, NamesAreFreeAndNothingIsOverwritten) {
  ScratchDir dir;
  MakeDrawing(dir / "a" / "plan.jww", 1, 1);
  MakeDrawing(dir / "b" / "plan.jww", 1, 1);
  fs::create_directories(dir / "out");
  WriteFile(dir / "out" / "plan.jww", "someone else's");
  CliRun r = Cli("sweep --json -j 3 -o " + Quote(dir / "out") + " " + Quote(dir / "a") + " " +
                 Quote(dir / "b") + " " + Quote(dir / "a" / "plan.jww"));
  ASSERT_EQ(r.status, 0);
  const auto j = nlohmann::json::parse(r.out);
  ASSERT_EQ(j.size(), 3u);
  EXPECT_EQ(fs::path(j[0]["destination"].get<std::string>()).filename(), "plan~1.jww");
  EXPECT_EQ(fs::path(j[1]["destination"].get<std::string>()).filename(), "plan~2.jww");
  EXPECT_EQ(fs::path(j[2]["destination"].get<std::string>()).filename(), "plan~3.jww");
  EXPECT_EQ(j[0]["removed"]["temporary"], 2);
  EXPECT_EQ(j[0]["removed"]["real"], 2);
  EXPECT_EQ(j[0]["removed"]["top_level"], 2);
  EXPECT_EQ(j[0]["removed"]["in_blocks"], 2);
  EXPECT_EQ(j[0]["version"], 600);
  EXPECT_EQ(ReadFile(dir / "out" / "plan.jww"), "someone else's");

  // Beside the source: the first result is plan~1.jww, never the source itself.
  CliRun b = Cli("sweep --beside " + Quote(dir / "b" / "plan.jww"));
  EXPECT_EQ(b.status, 0);
  EXPECT_TRUE(fs::exists(dir / "b" / "plan~1.jww"));
}

TEST(CliSweep, FoldersAndSubfolders) {
  ScratchDir dir;
  MakeDrawing(dir / "in" / "a.jww", 1, 0);
  MakeDrawing(dir / "in" / "B.JWW", 1, 0);
  MakeDrawing(dir / "in" / "sub" / "c.jww", 1, 0);
  WriteFile(dir / "in" / "notes.txt", "x");
  WriteFile(dir / "in" / "a.jww.bak", "x");
  CliRun flat = Cli("sweep -o " + Quote(dir / "flat") + " " + Quote(dir / "in"));
  EXPECT_EQ(flat.status, 0);
  EXPECT_EQ(FilesIn(dir / "flat"), (std::vector<std::string>{"B.JWW", "a.jww"}));
  CliRun deep = Cli("sweep -r -o " + Quote(dir / "deep") + " " + Quote(dir / "in"));
  EXPECT_EQ(deep.status, 0);
  EXPECT_EQ(FilesIn(dir / "deep"),
            (std::vector<std::string>{"B.JWW", "a.jww", "sub", "sub/c.jww"}));
}

TEST(CliSweep, FailuresAndUsage) {
  ScratchDir dir;
  MakeDrawing(dir / "good.jww", 1, 1);
  WriteFile(dir / "text.jww", "not a drawing");
  std::string v701 = ReadFile(dir / "good.jww");
  v701[8] = static_cast<char>(0xBD);
  v701[9] = 0x02;
  WriteFile(dir / "v701.jww", v701);
  CliRun r = Cli("sweep --json -o " + Quote(dir / "out") + " " + Quote(dir / "good.jww") + " " +
                 Quote(dir / "text.jww") + " " + Quote(dir / "v701.jww") + " " +
                 Quote(dir / "missing.jww"));
  EXPECT_EQ(r.status, 1);
  const auto j = nlohmann::json::parse(r.out);
  ASSERT_EQ(j.size(), 3u);
  EXPECT_TRUE(j[0]["ok"]);
  EXPECT_EQ(j[1]["error"], "not a JWW drawing");
  EXPECT_EQ(j[2]["error"], "version 701 is outside 220..700");
  EXPECT_EQ(FilesIn(dir / "out"), std::vector<std::string>{"good.jww"});

  for (const char* bad : {"sweep x.jww", "sweep --beside -o d x.jww", "sweep --points some -o d x",
                          "sweep -j 0 -o d x", "sweep -o d"})
    EXPECT_EQ(Cli(bad).status, 2) << bad;
}

TEST(CliSweep, EveryRealDrawingInEveryCombination) {
  const auto files = CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "no corpus of real drawings";
  for (const char* flags :
       {"", "--points temporary", "--scope blocks", "--points temporary --scope blocks"}) {
    ScratchDir dir;
    std::string args;
    for (const auto& f : files) args += " " + Quote(f);
    CliRun r = Cli(std::string("sweep --json ") + flags + " -o " + Quote(dir.path()) + args);
    ASSERT_EQ(r.status, 0) << flags;
    const auto j = nlohmann::json::parse(r.out);
    ASSERT_EQ(j.size(), files.size());
    for (size_t i = 0; i < files.size(); ++i) {
      const auto infoBefore = nlohmann::json::parse(Cli("info --json " + Quote(files[i])).out)[0];
      const auto infoAfter = nlohmann::json::parse(
          Cli("info --json " + Quote(j[i]["destination"].get<std::string>())).out)[0];
      // Everything but the points stays, and so does every block definition in use.
      for (const char* where : {"top_level", "in_blocks"}) {
        auto b = infoBefore["entities"][where], a = infoAfter["entities"][where];
        b.erase("points");
        a.erase("points");
        EXPECT_EQ(a, b) << files[i] << " " << flags;
      }
      EXPECT_EQ(infoAfter["block_definitions"]["total"], infoBefore["block_definitions"]["used"]);
      const auto before = infoBefore["points"];
      const auto after = infoAfter["points"];
      const bool temporaryOnly = std::string(flags).find("temporary") != std::string::npos;
      const bool blocksOnly = std::string(flags).find("blocks") != std::string::npos;
      for (const char* where : {"top_level", "in_blocks"}) {
        const bool swept = !blocksOnly || std::string(where) == "in_blocks";
        EXPECT_EQ(after[where]["temporary"], swept ? 0 : before[where]["temporary"].get<int>())
            << files[i] << " " << flags;
        EXPECT_EQ(after[where]["real"],
                  swept && !temporaryOnly ? 0 : before[where]["real"].get<int>())
            << files[i] << " " << flags;
      }
    }
  }
}

}  // namespace
