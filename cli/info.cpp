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

}  // namespace

nlohmann::json DescribeDrawing(const std::filesystem::path& path, std::string& error) {
  jww::TJwwData doc;
  if (!doc.FileHeaderIn(path)) {
    error = doc.LastError.empty() ? "cannot read the drawing" : doc.LastError;
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
    o << "  group [" << Hex(gi) << "]        " << g["name"].get<std::string>() << "  (scale 1/"
      << g["scale"].get<double>() << ")\n";
    for (const auto& l : g["layers"])
      o << "    layer [" << Hex(gi) << "-" << Hex(l["layer"].get<int>()) << "]    "
        << l["name"].get<std::string>() << "\n";
  }
  return o.str();
}

}  // namespace cli
