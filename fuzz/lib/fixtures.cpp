#include "fuzz/lib/fixtures.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

#include "jww/JwwBuild.h"
#include "platform/text.h"
#include "settings/DatFile.h"

namespace reliability {
namespace {

using namespace jww;
namespace fs = std::filesystem;

TEntJwwAttr Att(int style, int color, int layer = 0) {
  TEntJwwAttr a;
  a.nPenStyle = static_cast<uint8_t>(style);
  a.nPenColor = static_cast<uint16_t>(color);
  a.nLayer = static_cast<uint16_t>(layer);
  a.nPenWidth = 3;
  return a;
}

TEntJwwLine Line(double x1, double y1, double x2, double y2) {
  TEntJwwLine l;
  l.att = Att(1, 2, 1);
  l.start_x = x1, l.start_y = y1, l.end_x = x2, l.end_y = y2;
  return l;
}

TEntJwwTen Point(double x, double y, bool temporary) {
  TEntJwwTen t;
  t.att = Att(1, temporary ? 1 : 6, 2);
  t.start_x = x, t.start_y = y, t.bKariten = temporary ? 1 : 0;
  return t;
}

TEntJwwMoji Text(const std::string& s, double x, double y) {
  TEntJwwMoji m;
  m.att = Att(1, 3, 3);
  m.start_x = x, m.start_y = y, m.end_x = x + 10, m.end_y = y;
  m.nMojiShu = 2, m.dSizeX = m.dSizeY = 3.5, m.dKankaku = 0.5, m.degKakudo = 15;
  m.strFontName = "ＭＳ ゴシック";
  m.str = s;
  return m;
}

TEntJwwBlock Insert(uint32_t number, double x, double y) {
  TEntJwwBlock b;
  b.att = Att(1, 1);
  b.DPKijunTen_x = x, b.DPKijunTen_y = y, b.dBairitsuX = 2, b.dBairitsuY = 0.5;
  b.radKaitenKaku = 0.25;
  b.nNumber = number;
  return b;
}

TEntJwwSunpo Dimension(double x1, double x2, bool sxf) {
  TEntJwwSunpo d;
  d.att = Att(1, 4, 3);
  d.Sen = Line(x1, -10, x2, -10);
  d.Moji = Text("1,000", (x1 + x2) / 2, -9);
  d.bSxfMode = sxf ? 1 : 0;
  d.Ho1 = Line(x1, -12, x1, 0);
  d.Ho2 = Line(x2, -12, x2, 0);
  d.Te1 = Point(x1, -10, false);
  d.Te2 = Point(x2, -10, false);
  d.Kt1 = Point(x1, 0, true);
  d.Kt2 = Point(x2, 0, true);
  return d;
}

// The drawing's own entities and its blocks: "柱" holds points and inserts "記号", "点"
// holds only points, and "未使用" is reached by no insert.
TJwwData AllKinds(int ver) {
  TJwwData doc;
  doc.DataDefaultSet();
  doc.Enthd.jwVer = ver;
  doc.Enthd.strMemo = "点の見本\r\n二行目";
  doc.EntLay[1].aStrLayName = "躯体";
  doc.EntLgrp[0].aStrGLayName = "平面図";
  Append(doc, Line(0, 0, 100, 0));
  TEntJwwEnko arc;
  arc.att = Att(2, 5);
  arc.start_x = 50, arc.dHankei = 20, arc.radEnkoKaku = 1.5, arc.dHenpeiRitsu = 0.5;
  Append(doc, arc);
  arc.bZenEnFlg = 1, arc.radEnkoKaku = 0, arc.dHenpeiRitsu = 1;
  Append(doc, arc);
  for (int i = 0; i < 4; ++i) Append(doc, Point(i, i, i % 2 == 0));
  TEntJwwTen marked = Point(9, 9, false);
  marked.att.nPenStyle = 100;  // carries a code, an angle and a scale
  marked.nCode = 7, marked.radKaitenKaku = 0.5, marked.dBairitsu = 2;
  Append(doc, marked);
  Append(doc, Text("通り芯 X1", 0, 50));
  Append(doc, Dimension(0, 100, true));
  Append(doc, Dimension(0, 50, false));
  TEntJwwSolid solid;
  solid.att = Att(1, 10);  // its own colour follows the record
  solid.end_x = 10, solid.DPoint2_x = 10, solid.DPoint2_y = 10, solid.DPoint3_y = 10;
  solid.Color = 0x00C0FF;
  Append(doc, solid);
  solid.att = Att(1, 3);
  Append(doc, solid);

  TEntJwwBlockDef& column = AppendBlockDef(doc, 5, "柱");
  Append(column, Line(-2, -2, 2, 2));
  Append(column, Point(0, 0, true));
  Append(column, Point(1, 1, false));
  Append(column, Dimension(-2, 2, true));
  Append(column, Insert(9, 1, 0));
  TEntJwwBlockDef& mark = AppendBlockDef(doc, 9, "記号");
  Append(mark, Text("記", 0, 0));
  Append(mark, Point(0, 0, true));
  TEntJwwBlockDef& only = AppendBlockDef(doc, 7, "点");
  Append(only, Point(0, 0, true));
  Append(only, Point(0, 1, false));
  TEntJwwBlockDef& unused = AppendBlockDef(doc, 3, "未使用");
  Append(unused, Point(5, 5, true));
  Append(doc, Insert(5, 10, 10));
  Append(doc, Insert(5, 30, 10));
  Append(doc, Insert(7, 50, 10));
  doc.MakeBlockTree();
  return doc;
}

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void Write(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

// Saves through a file in `scratch`, which is removed again; empty bytes when the save fails.
std::string Saved(TJwwData& doc, int ver, const fs::path& scratch) {
  const fs::path p = scratch / "fixture.jww";
  std::string bytes = doc.FileOut(p, ver) ? Read(p) : std::string();
  std::error_code ec;
  fs::remove(p, ec);
  return bytes;
}

}  // namespace

std::vector<TFixture> Fixtures(const fs::path& scratch) {
  std::vector<TFixture> out;
  for (int ver : {230, 350, 400, 600}) {
    TJwwData doc = AllKinds(ver);
    out.push_back({"v" + std::to_string(ver) + "-all-kinds.jww", Saved(doc, ver, scratch)});
  }
  {
    TJwwData doc = AllKinds(700);
    doc.StrForm = TJwwTextForm::Unicode;
    Append(doc, Text("森鷗外 ©", 0, 80));  // characters code page 932 lacks
    out.push_back({"v700-unicode.jww", Saved(doc, 700, scratch)});
  }
  {
    const fs::path pictures = scratch / "fixture-pictures";
    fs::create_directories(pictures);
    TJwwData doc = AllKinds(700);
    doc.BindImageFolder = pictures.string() + "/";
    doc.BindImageExp = doc.BindImageExr = true;
    std::string bitmap = "BM";
    for (int i = 0; i < 600; ++i) bitmap += static_cast<char>(i * 7 % 251);
    Write(pictures / "photo.bmp", bitmap);
    Write(pictures / "plan.png", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(200, 'p'));
    doc.BindImage = {{"photo.bmp", static_cast<int32_t>(bitmap.size()), false}};
    doc.BindImagePack();  // stored compressed, as Jw_cad stores its pictures
    doc.BindImage.push_back({"plan.png", 208, false});
    doc.BindImageN = 2;
    Append(doc, Text("^@BM%temp%photo.bmp,100,80,0,0,1,0", 0, 0));
    Append(doc.EntBlockDef[0], Text("^@BM%temp%plan.png,20,20", 0, 0));
    out.push_back({"v700-pictures.jww", Saved(doc, 700, scratch)});
    doc.BindImageDeleteFile();
    std::error_code ec;
    fs::remove_all(pictures, ec);
  }
  return out;
}

std::vector<TFixture> SettingsSeeds() {
  auto lines = [](const std::vector<std::string>& l, const char* end) {
    std::string s;
    for (const auto& x : l) s += platform::Utf8ToCp932(x) + end;
    return s;
  };
  std::vector<TFixture> out;
  const fs::path tmp = fs::temp_directory_path() / ("dotsweep-seed-" + std::to_string(::getpid()));
  settings::WriteDatFile(tmp, settings::FrontEndDefaults("/opt/dotsweep/"));
  out.push_back({"written.dat", Read(tmp)});
  std::error_code ec;
  fs::remove(tmp, ec);
  const std::vector<std::string> custom = {"120",
                                           "-40",
                                           "640",
                                           "480",
                                           "TRUE",
                                           "○",
                                           "false",
                                           "on",
                                           "真",
                                           "C:\\図面\\出力",
                                           "/home/user/図面",
                                           "",
                                           "2",
                                           "Fusion",
                                           "0",
                                           "1"};
  out.push_back({"custom.dat", lines(custom, "\r\n")});
  out.push_back({"lf.dat", lines(custom, "\n")});
  out.push_back({"short.dat", lines({custom.begin(), custom.begin() + 14}, "\r\n")});
  return out;
}

std::vector<TFixture> LaunchSeeds() {
  return {
      {"job.txt",
       "\"/opt/Dotsweep Sub/DotsweepSub\" DOTSWEEP 44000.12345678 \"a.jww\" \"out.jww\""},
      {"pictures.txt", "DotsweepSub DOTSWEEP 1 p.jww \"結果 1.jww\""},
      {"old.txt", "\"DotsweepSub\" DOTSWEEP 0 OLD.JWW app/old.jww"},
      {"escapes.txt", "x DOTSWEEP \"4\\\"5\" \"a\\\\\\\"b.jww\" c\\\\d\\\".jww"},
      {"doubled.txt", "\"x\" DOTSWEEP \"1\"\"2\" \"a b\"\"c.jww\" \"\""},
      {"comma.txt", "x DOTSWEEP 45000,5 a.jww c.jww"},
      {"future.txt", "x DOTSWEEP 99999.0 a.jww c.jww"},
      {"lower.txt", "x dotsweep 1 a.jww c.jww"},
      {"exists.txt", "x DOTSWEEP 1 a.jww b.jww"},
      {"folder.txt", "x DOTSWEEP 1 d.jww c.jww"},
      {"text.txt", "x DOTSWEEP 1 t.jww c.jww"},
      {"extension.txt", "x DOTSWEEP 1 a.txt c.jww"},
      {"climb.txt", "x DOTSWEEP 1 ../a.jww /tmp/../../c.jww"},
      {"three.txt", "x DOTSWEEP 1 a.jww"},
      {"five.txt", "x DOTSWEEP 1 a.jww c.jww d.jww"},
      {"tabs.txt", "x\tDOTSWEEP\t1\ta.jww\t\"c .jww\"\t"},
  };
}

}  // namespace reliability
