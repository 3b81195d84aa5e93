// Writes the bundled example drawings with the project's own writer:
//   make-example FOLDER   ->  FOLDER/example.jww (version 600)
//                             FOLDER/example-700.jww (version 700, with an embedded picture)
// Both hold temporary and real points at the top level and inside a nested block definition,
// a dimension whose points belong to it, and Japanese texts.
#include <cstdio>
#include <filesystem>
#include <string>

#include "jww/JwwBuild.h"
#include "worker/WorkFolder.h"

namespace {

using namespace jww;

TEntJwwAttr Att(int color, int layer = 0) {
  TEntJwwAttr a;
  a.nPenStyle = 1;
  a.nPenColor = static_cast<uint16_t>(color);
  a.nLayer = static_cast<uint16_t>(layer);
  return a;
}

TEntJwwLine Line(double x1, double y1, double x2, double y2, int layer = 1) {
  TEntJwwLine l;
  l.att = Att(2, layer);
  l.start_x = x1, l.start_y = y1, l.end_x = x2, l.end_y = y2;
  return l;
}

TEntJwwTen Point(double x, double y, bool temporary) {
  TEntJwwTen t;
  t.att = Att(temporary ? 1 : 6, 2);
  t.start_x = x, t.start_y = y, t.bKariten = temporary ? 1 : 0;
  return t;
}

TEntJwwMoji Text(const std::string& s, double x, double y, double size = 3.5) {
  TEntJwwMoji m;
  m.att = Att(3, 3);
  m.start_x = x, m.start_y = y, m.end_x = x + size * s.size() / 3, m.end_y = y;
  m.nMojiShu = 2, m.dSizeX = m.dSizeY = size, m.dKankaku = 0;
  m.strFontName = "ＭＳ ゴシック";
  m.str = s;
  return m;
}

TEntJwwBlock Insert(uint32_t number, double x, double y) {
  TEntJwwBlock b;
  b.att = Att(1);
  b.DPKijunTen_x = x, b.DPKijunTen_y = y, b.dBairitsuX = b.dBairitsuY = 1.0;
  b.nNumber = number;
  return b;
}

TJwwData Example(int ver) {
  TJwwData doc;
  doc.DataDefaultSet();
  doc.Enthd.jwVer = ver;
  doc.Enthd.strMemo = "Dotsweep の見本図面（仮点と実点）";
  doc.EntLgrp[0].aStrGLayName = "平面図";
  doc.EntLgrp[0].adScale = 100.0;
  doc.EntLay[0].aStrLayName = "通り芯";
  doc.EntLay[1].aStrLayName = "躯体";
  doc.EntLay[2].aStrLayName = "補助点";
  doc.EntLay[3].aStrLayName = "文字";

  // Grid lines, and construction points on them.
  for (int i = 0; i < 4; ++i) {
    Append(doc, Line(i * 3000.0, -1000, i * 3000.0, 7000, 0));
    Append(doc, Line(-1000, i * 2000.0, 10000, i * 2000.0, 0));
  }
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) Append(doc, Point(i * 3000.0, j * 2000.0, (i + j) % 2 == 0));
  Append(doc, Point(4500, 3000, false));  // a real point the drawing means to keep
  Append(doc, Text("見本図面　１／１００", 0, 7500, 5));
  Append(doc, Text("通り芯 X1", -900, -1400));

  // A dimension: its points are part of it and always stay.
  TEntJwwSunpo dim;
  dim.att = Att(4, 3);
  dim.Sen = Line(0, -600, 3000, -600, 3);
  dim.Moji = Text("3,000", 1300, -500, 2.5);
  dim.bSxfMode = 1;
  dim.Ho1 = Line(0, -800, 0, 0, 3);
  dim.Ho2 = Line(3000, -800, 3000, 0, 3);
  dim.Te1 = Point(0, -600, false);
  dim.Te2 = Point(3000, -600, false);
  dim.Kt1 = Point(0, 0, true);
  dim.Kt2 = Point(3000, 0, true);
  Append(doc, dim);

  // A column block holding a mark block; both carry points of their own.
  TEntJwwBlockDef& column = AppendBlockDef(doc, 1, "柱");
  Append(column, Line(-200, -200, 200, -200));
  Append(column, Line(200, -200, 200, 200));
  Append(column, Line(200, 200, -200, 200));
  Append(column, Line(-200, 200, -200, -200));
  Append(column, Point(0, 0, true));
  Append(column, Point(200, 200, false));
  Append(column, Insert(2, 0, 0));
  TEntJwwBlockDef& mark = AppendBlockDef(doc, 2, "記号");
  TEntJwwEnko circle;
  circle.att = Att(5, 1);
  circle.dHankei = 80, circle.dHenpeiRitsu = 1, circle.bZenEnFlg = 1;
  Append(mark, circle);
  Append(mark, Point(0, 0, true));
  for (int i = 0; i < 4; ++i) Append(doc, Insert(1, i * 3000.0, 0));
  doc.MakeBlockTree();
  return doc;
}

// A small 24-bit picture: a gradient of 16 x 16 pixels.
std::string Bitmap() {
  const int w = 16, h = 16, row = w * 3;
  std::string b;
  auto u32 = [&](uint32_t v) { b.append(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](uint16_t v) { b.append(reinterpret_cast<const char*>(&v), 2); };
  b += "BM";
  u32(54 + row * h), u32(0), u32(54);
  u32(40), u32(w), u32(h), u16(1), u16(24), u32(0), u32(row * h), u32(2835), u32(2835), u32(0),
      u32(0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b += {char(x * 16), char(y * 16), char(200)};
  return b;
}

bool Save(TJwwData& doc, const std::filesystem::path& path, int ver) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
  if (doc.FileOut(path, ver)) return true;
  std::fprintf(stderr, "make-example: %s: %s\n", path.c_str(), doc.FailureText().c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-example FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);

  TJwwData v600 = Example(600);
  if (!Save(v600, folder / "example.jww", 600)) return 1;

  TJwwData v700 = Example(700);
  worker::TWorkFolder pictures = worker::TWorkFolder::Private();
  v700.BindImageFolder = pictures.Path();
  v700.BindImageExp = v700.BindImageExr = true;
  const std::string bmp = Bitmap();
  if (FILE* f = std::fopen((pictures.Path() + "sample.bmp").c_str(), "wb")) {
    std::fwrite(bmp.data(), 1, bmp.size(), f);
    std::fclose(f);
  }
  v700.BindImage.push_back({"sample.bmp", static_cast<int32_t>(bmp.size()), false});
  v700.BindImageN = 1;
  v700.BindImagePack();  // stored compressed, as Jw_cad stores its pictures
  Append(v700, Text("^@BM%temp%sample.bmp,1000,1000,0,0,1,0", 6000, 4000));
  const bool ok = Save(v700, folder / "example-700.jww", 700);
  v700.BindImageDeleteFile();
  std::filesystem::remove(pictures.Path() + "sample.bmp", ec);
  return ok ? 0 : 1;
}
