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
