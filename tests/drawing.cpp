#include "tests/drawing.h"

#include <gtest/gtest.h>

namespace testsupport {

using namespace jww;

TEntJwwAttr Att(int style, int color, int layer, int group) {
  TEntJwwAttr a;
  a.nPenStyle = static_cast<uint8_t>(style);
  a.nPenColor = static_cast<uint16_t>(color);
  a.nLayer = static_cast<uint16_t>(layer);
  a.nGLayer = static_cast<uint16_t>(group);
  return a;
}

TEntJwwLine Line(double x1, double y1, double x2, double y2) {
  TEntJwwLine l;
  l.att = Att();
  l.start_x = x1, l.start_y = y1, l.end_x = x2, l.end_y = y2;
  return l;
}

TEntJwwEnko Circle(double x, double y, double r) {
  TEntJwwEnko c;
  c.att = Att(1, 2);
  c.start_x = x, c.start_y = y, c.dHankei = r, c.dHenpeiRitsu = 1.0, c.bZenEnFlg = 1;
  return c;
}

TEntJwwTen Point(double x, double y, bool temporary) {
  TEntJwwTen t;
  t.att = Att(1, temporary ? 1 : 2);
  t.start_x = x, t.start_y = y, t.bKariten = temporary ? 1 : 0;
  return t;
}

TEntJwwMoji Text(const std::string& s, double x, double y) {
  TEntJwwMoji m;
  m.att = Att(1, 3);
  m.start_x = x, m.start_y = y, m.end_x = x + 10, m.end_y = y;
  m.nMojiShu = 2, m.dSizeX = m.dSizeY = 3.5;
  m.strFontName = "ＭＳ ゴシック";
  m.str = s;
  return m;
}

TEntJwwSunpo Dimension(double x1, double y1, double x2, double y2, bool sxf) {
  TEntJwwSunpo d;
  d.att = Att(1, 4);
  d.Sen = Line(x1, y1, x2, y2);
  d.Moji = Text("1,000", (x1 + x2) / 2, y1 + 1);
  d.bSxfMode = sxf ? 1 : 0;
  d.Ho1 = Line(x1, y1 - 5, x1, y1);
  d.Ho2 = Line(x2, y2 - 5, x2, y2);
  d.Te1 = Point(x1, y1, false);
  d.Te2 = Point(x2, y2, false);
  d.Kt1 = Point(x1, y1 - 5, false);
  d.Kt2 = Point(x2, y2 - 5, false);
  return d;
}

TEntJwwSolid Solid(int color) {
  TEntJwwSolid s;
  s.att = Att(1, color);
  s.end_x = 10, s.DPoint2_x = 10, s.DPoint2_y = 10, s.DPoint3_y = 10;
  s.Color = color == 10 ? 0x00C0FF : 0;
  return s;
}

TEntJwwBlock Insert(uint32_t number, double x, double y) {
  TEntJwwBlock b;
  b.att = Att(1, 1);
  b.DPKijunTen_x = x, b.DPKijunTen_y = y, b.dBairitsuX = b.dBairitsuY = 1.0;
  b.nNumber = number;
  return b;
}

TJwwData NewDrawing(int ver) {
  TJwwData doc;
  doc.DataDefaultSet();
  doc.Enthd.jwVer = ver;
  return doc;
}

std::string Save(TJwwData& doc, const std::filesystem::path& path, int ver) {
  EXPECT_TRUE(doc.FileOut(path, ver)) << doc.LastError;
  return ReadFile(path);
}

TJwwData SaveAndLoad(TJwwData& doc, const ScratchDir& dir, int ver, std::string* bytes) {
  const auto path = dir / ("v" + std::to_string(ver) + ".jww");
  std::string b = Save(doc, path, ver);
  if (bytes) *bytes = b;
  TJwwData back;
  EXPECT_TRUE(back.FileIn(path)) << back.LastError;
  return back;
}

std::vector<std::string> FilesIn(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir, ec))
    names.push_back(std::filesystem::relative(e.path(), dir).string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace testsupport
