// What `dotsweep-cli info` reports about a drawing, as text and as JSON.
#pragma once

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

namespace jww {
class TJwwData;
}

namespace cli {

// Paper size of a header's nZumen code, as Jw_cad names it, with its size in millimetres.
struct PaperSize {
  const char* name;
  int width, height;
};
PaperSize PaperOf(int nZumen);

// Reads the drawing at `path`; on failure `error` says why and the result is null.
nlohmann::json DescribeDrawing(const std::filesystem::path& path, std::string& error);

// Human-readable form of DescribeDrawing's result.
std::string FormatDescription(const nlohmann::json& info);

}  // namespace cli
