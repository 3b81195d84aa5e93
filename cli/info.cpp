#include "cli/info.h"

#include <sstream>

#include "jww/JwwUnit.h"

namespace cli {

PaperSize PaperOf(int nZumen) {
  switch (nZumen) {
    case 1:
      return {"A1", 841, 594};
    case 2:
      return {"A2", 594, 420};
    case 3:
      return {"A3", 420, 297};
    case 4:
      return {"A4", 297, 210};
    case 8:
      return {"2A", 1682, 1189};
    case 9:
      return {"3A", 2378, 1682};
    case 10:
      return {"4A", 3364, 2378};
    case 11:
      return {"5A", 4756, 3364};
    case 12:
      return {"10m", 10000, 7073};
    case 13:
      return {"50m", 50000, 35366};
    case 14:
      return {"100m", 100000, 70732};
    default:
      return {"A0", 1189, 841};
  }
}

namespace {

// Layer groups and layers are numbered 0..F in Jw_cad's own display.
std::string Hex(int v) {
  return std::string(1, "0123456789ABCDEF"[v & 15]);
}

constexpr const char* kKindKeys[8] = {"",      "lines",      "arcs",   "points",
                                      "texts", "dimensions", "solids", "block_inserts"};

// Live entities of one list by kind, and its points split into temporary and real.
struct Tally {
  long long kinds[8] = {};
  long long temporary = 0, real = 0;
  void Add(const std::vector<jww::TEntJwwNo>& order, int32_t len,
           const std::vector<jww::TEntJwwTen>& points) {
    const size_t n = std::min<size_t>(len > 0 ? static_cast<size_t>(len) : 0, order.size());
    for (size_t i = 0; i < n; ++i) {
      const auto& e = order[i];
      if (e.EntType < 1 || e.EntType > 7) continue;
      ++kinds[e.EntType];
      if (e.EntType == jww::kTen && e.EntNo >= 0 && static_cast<size_t>(e.EntNo) < points.size())
        ++(points[e.EntNo].bKariten ? temporary : real);
    }
  }
  nlohmann::json Kinds() const {
    nlohmann::json j;
    for (int k = 1; k <= 7; ++k) j[kKindKeys[k]] = kinds[k];
    return j;
  }
  nlohmann::json Points() const { return {{"temporary", temporary}, {"real", real}}; }
};

}  // namespace

nlohmann::json DescribeDrawing(const std::filesystem::path& path, std::string& error) {
  jww::TJwwData doc;
  doc.BindImageExr = true;  // picture names and sizes, without extracting them
  if (!doc.FileIn(path)) {
    error = doc.FailureText();
    return nullptr;
  }
  const auto& h = doc.Enthd;
  const PaperSize paper = PaperOf(h.nZumen);
  nlohmann::json j;
  j["file"] = path.string();
  j["version"] = h.jwVer;
  j["text_form"] = doc.StrForm == jww::TJwwTextForm::Unicode ? "unicode" : "cp932";
  j["memo"] = h.strMemo;
  j["paper"] = {{"code", h.nZumen},
                {"name", paper.name},
                {"width_mm", paper.width},
                {"height_mm", paper.height}};
  j["write_layer_group"] = h.nWriteGLay;
  nlohmann::json groups = nlohmann::json::array();
  for (int g = 0; g < jww::kLgrpCount; ++g) {
    const auto& grp = doc.EntLgrp[g];
    nlohmann::json layers = nlohmann::json::array();
    for (int l = 0; l < 16; ++l) {
      const auto& lay = doc.EntLay[g * 16 + l];
      if (!lay.aStrLayName.empty()) layers.push_back({{"layer", l}, {"name", lay.aStrLayName}});
    }
    if (grp.aStrGLayName.empty() && layers.empty()) continue;
    groups.push_back(
        {{"group", g}, {"name", grp.aStrGLayName}, {"scale", grp.adScale}, {"layers", layers}});
  }
  j["named_layer_groups"] = groups;

  Tally top, blocks;
  top.Add(doc.EntNo, h.n1, doc.EntTen);
  int used = 0;
  for (const auto& def : doc.EntBlockDef) {
    blocks.Add(def.mNo, def.N, def.mTen);
    used += def.ref_flag ? 1 : 0;
  }
  j["entities"] = {{"top_level", top.Kinds()}, {"in_blocks", blocks.Kinds()}};
  j["points"] = {{"top_level", top.Points()}, {"in_blocks", blocks.Points()}};
  j["block_definitions"] = {
      {"total", doc.EntBlockDefN}, {"used", used}, {"unused", doc.EntBlockDefN - used}};
  doc.BindImageMark();
  nlohmann::json pictures = nlohmann::json::array();
  for (const auto& img : doc.BindImage)
    pictures.push_back({{"name", img.Fname}, {"size", img.Fsize}, {"referenced", img.exf}});
  j["pictures"] = pictures;
  return j;
}

std::string FormatDescription(const nlohmann::json& info) {
  std::ostringstream o;
  o << info["file"].get<std::string>() << "\n";
  o << "  version          " << info["version"].get<int>() << " ("
    << info["text_form"].get<std::string>() << " texts)\n";
  std::string memo = info["memo"].get<std::string>();
  for (auto& c : memo)
    if (c == '\r' || c == '\n') c = ' ';
  o << "  memo             " << (memo.empty() ? "(none)" : memo) << "\n";
  const auto& p = info["paper"];
  o << "  paper            " << p["name"].get<std::string>() << " (" << p["width_mm"].get<int>()
    << " x " << p["height_mm"].get<int>() << " mm)\n";
  o << "  write group      " << Hex(info["write_layer_group"].get<int>()) << "\n";
  const auto& groups = info["named_layer_groups"];
  if (groups.empty()) o << "  named layers     (none)\n";
  for (const auto& g : groups) {
    const int gi = g["group"].get<int>();
    const std::string name = g["name"].get<std::string>();
    o << "  group [" << Hex(gi) << "]        " << (name.empty() ? "(no name)" : name)
      << "  (scale 1/" << g["scale"].get<double>() << ")\n";
    for (const auto& l : g["layers"])
      o << "    layer [" << Hex(gi) << "-" << Hex(l["layer"].get<int>()) << "]    "
        << l["name"].get<std::string>() << "\n";
  }
  auto row = [&](const char* label, const nlohmann::json& k) {
    o << "  " << label;
    bool first = true;
    for (int i = 1; i <= 7; ++i) {
      const long long n = k[kKindKeys[i]].get<long long>();
      if (n == 0) continue;
      std::string key = kKindKeys[i];
      for (auto& c : key)
        if (c == '_') c = ' ';
      if (n == 1) key.pop_back();  // "1 line", "1 block insert"
      o << (first ? "" : ", ") << n << " " << key;
      first = false;
    }
    o << (first ? "none" : "") << "\n";
  };
  row("entities         ", info["entities"]["top_level"]);
  row("in blocks        ", info["entities"]["in_blocks"]);
  const auto& pt = info["points"];
  o << "  points           " << pt["top_level"]["temporary"].get<long long>() << " temporary, "
    << pt["top_level"]["real"].get<long long>() << " real; in blocks "
    << pt["in_blocks"]["temporary"].get<long long>() << " temporary, "
    << pt["in_blocks"]["real"].get<long long>() << " real\n";
  const auto& bd = info["block_definitions"];
  o << "  block defs       " << bd["total"].get<int>() << " (" << bd["used"].get<int>() << " used, "
    << bd["unused"].get<int>() << " unused)\n";
  const auto& pics = info["pictures"];
  if (pics.empty()) o << "  pictures         none\n";
  for (const auto& p : pics)
    o << "  picture          " << p["name"].get<std::string>() << ", " << p["size"].get<int>()
      << " bytes" << (p["referenced"].get<bool>() ? "" : ", not referenced") << "\n";
  return o.str();
}

}  // namespace cli
