#include "bench/generate.h"

#include <cstdio>
#include <random>

#include "jww/JwwBuild.h"

namespace bench {
namespace {

using namespace jww;

TEntJwwAttr Att(std::mt19937& rng, int style = 1) {
  TEntJwwAttr a;
  a.nPenStyle = static_cast<uint8_t>(style);
  a.nPenColor = static_cast<uint16_t>(1 + rng() % 9);
  a.nPenWidth = static_cast<uint16_t>(rng() % 4 == 0 ? 25 : 0);
  a.nLayer = static_cast<uint16_t>(rng() % 16);
  a.nGLayer = static_cast<uint16_t>(rng() % 4);
  return a;
}

double Coord(std::mt19937& rng) { return static_cast<double>(rng() % 200000) / 10.0; }

const char* const kTexts[] = {"通り芯", "躯体壁 t=150", "W1800×H2000", "寝室 6畳", "EV",
                              "仕上げ：ビニルクロス", "GL+150", "A-A'断面"};

// Appends one entity of the mix to a list; `append` takes each record.
template <class Sink>
void OneEntity(std::mt19937& rng, size_t i, Sink&& append, uint32_t blocks) {
  const unsigned pick = static_cast<unsigned>(i * 37 % 100);
  if (pick < 55) {
    TEntJwwLine l;
    l.att = Att(rng, 1 + rng() % 9);
    l.start_x = Coord(rng), l.start_y = Coord(rng), l.end_x = Coord(rng), l.end_y = Coord(rng);
    append(l);
  } else if (pick < 65) {
    TEntJwwEnko e;
    e.att = Att(rng);
    e.start_x = Coord(rng), e.start_y = Coord(rng), e.dHankei = 1 + rng() % 500;
    e.radEnkoKaku = 1.5, e.dHenpeiRitsu = 1, e.bZenEnFlg = rng() % 2;
    append(e);
  } else if (pick < 77) {
    TEntJwwTen t;
    t.att = Att(rng);
    t.start_x = Coord(rng), t.start_y = Coord(rng), t.bKariten = i % 2;
    append(t);
  } else if (pick < 87) {
    TEntJwwMoji m;
    m.att = Att(rng);
    m.start_x = Coord(rng), m.start_y = Coord(rng), m.end_x = m.start_x + 20, m.end_y = m.start_y;
    m.nMojiShu = 2, m.dSizeX = m.dSizeY = 3.5;
    m.strFontName = i % 3 ? "ＭＳ ゴシック" : "Arial";
    m.str = i % 4 ? kTexts[i % 8] : "Room " + std::to_string(i);
    append(m);
  } else if (pick < 90) {
    TEntJwwSunpo d;
    d.att = Att(rng);
    d.Sen.att = d.att;
    d.Sen.start_x = Coord(rng), d.Sen.end_x = d.Sen.start_x + 3000;
    d.Moji.att = d.att;
    d.Moji.strFontName = "ＭＳ ゴシック";
    d.Moji.str = "3,000";
    d.bSxfMode = 1;
    for (TEntJwwLine* l : {&d.Ho1, &d.Ho2}) l->att = d.att;
    for (TEntJwwTen* t : {&d.Te1, &d.Te2, &d.Kt1, &d.Kt2}) t->att = d.att;
    append(d);
  } else if (pick < 94 || blocks == 0) {
    TEntJwwSolid s;
    s.att = Att(rng);
    s.att.nPenColor = rng() % 3 == 0 ? 10 : 5;
    s.Color = 0x80C0FF;
    s.end_x = 100, s.DPoint2_x = 100, s.DPoint2_y = 100, s.DPoint3_y = 100;
    append(s);
  } else {
    TEntJwwBlock b;
    b.att = Att(rng);
    b.DPKijunTen_x = Coord(rng), b.DPKijunTen_y = Coord(rng);
    b.dBairitsuX = b.dBairitsuY = 1, b.radKaitenKaku = 0.5;
    b.nNumber = 1 + static_cast<uint32_t>(rng() % blocks);
    append(b);
  }
}

}  // namespace

TJwwData Generate(size_t entities, int version, const std::string& pictureFolder) {
  std::mt19937 rng(20261210);
  TJwwData doc;
  doc.DataDefaultSet();
  doc.Enthd.jwVer = version;
  doc.Enthd.strMemo = "ベンチマーク用図面";
  // Definitions: a leaf of lines and points, and outer ones that insert it.
  const uint32_t defs = static_cast<uint32_t>(std::max<size_t>(3, entities / 2000));
  for (uint32_t n = 1; n <= defs; ++n) {
    TEntJwwBlockDef& def = AppendBlockDef(doc, n, "部品" + std::to_string(n));
    for (size_t k = 0; k < 20; ++k) {
      auto sink = [&](const auto& r) { Append(def, r); };
      // Nested inserts only of the leaf, so that the tree stays small.
      OneEntity(rng, k * 7 + n, sink, n == 1 ? 0 : 1);
    }
  }
  for (size_t i = 0; i < entities; ++i) {
    auto sink = [&](const auto& r) { Append(doc, r); };
    OneEntity(rng, i, sink, defs);
  }
  if (version >= 700 && !pictureFolder.empty()) {
    doc.BindImageFolder = pictureFolder;
    doc.BindImageExp = doc.BindImageExr = true;
    for (int p = 0; p < 3; ++p) {
      const std::string name = "photo" + std::to_string(p) + ".bmp";
      std::string bytes(64 * 1024 * (p + 1), '\0');
      for (size_t k = 0; k < bytes.size(); ++k) bytes[k] = static_cast<char>(rng());
      if (FILE* f = std::fopen((pictureFolder + name).c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
      }
      doc.BindImage.push_back({name, static_cast<int32_t>(bytes.size()), false});
      TEntJwwMoji ref;
      ref.att.nPenStyle = 1, ref.att.nPenColor = 1;
      ref.str = "^@BM%temp%" + name + ",100,100,0,0,1,0";
      Append(doc, ref);
    }
    doc.BindImageN = static_cast<int32_t>(doc.BindImage.size());
  }
  doc.MakeBlockTree();
  return doc;
}

}  // namespace bench
