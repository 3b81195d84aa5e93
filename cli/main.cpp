// dotsweep-cli: the headless tool for scripts and servers.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <thread>

#include "cli/info.h"
#include "cli/sweep.h"

namespace {

int Info(const std::vector<std::string>& files, bool json) {
  int status = 0;
  nlohmann::json all = nlohmann::json::array();
  for (const auto& f : files) {
    std::string error;
    nlohmann::json d = cli::DescribeDrawing(f, error);
    if (d.is_null()) {
      std::cerr << f << ": " << error << "\n";
      status = 1;
      if (json) all.push_back({{"file", f}, {"error", error}});
      continue;
    }
    if (json)
      all.push_back(d);
    else
      std::cout << cli::FormatDescription(d);
  }
  if (json) std::cout << all.dump(2) << "\n";
  return status;
}

nlohmann::json ItemJson(const cli::SweepItem& item) {
  nlohmann::json j = {{"source", item.source.string()}, {"ok", item.result.ok}};
  if (!item.destination.empty()) j["destination"] = item.destination.string();
  if (!item.result.ok) {
    j["error"] = item.result.reason;
    return j;
  }
  const worker::TRemoved& r = item.result.removed;
  j["version"] = item.result.version;
  j["removed"] = {{"temporary", r.topTemporary + r.blockTemporary},
                  {"real", r.topReal + r.blockReal},
                  {"top_level", r.topTemporary + r.topReal},
                  {"in_blocks", r.blockTemporary + r.blockReal}};
  return j;
}

int Sweep(const std::vector<std::string>& inputs, cli::SweepOptions& o) {
  std::vector<std::string> errors;
  std::vector<cli::SweepItem> items = cli::PlanSweep(inputs, o, errors);
  for (const auto& e : errors) std::cerr << e << "\n";
  o.progress = o.progress && items.size() > 1 && ::isatty(STDERR_FILENO);
  cli::RunSweep(items, o, o.progress ? &std::cerr : nullptr);
  bool allOk = errors.empty();
  nlohmann::json all = nlohmann::json::array();
  for (const auto& item : items) {
    allOk = allOk && item.result.ok;
    if (o.json)
      all.push_back(ItemJson(item));
    else
      (item.result.ok ? std::cout : std::cerr) << cli::DescribeItem(item) << "\n";
  }
  if (o.json) std::cout << all.dump(2) << "\n";
  return allOk ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Removes point entities from Jw_cad drawings (JWW), without a window."};
  app.require_subcommand(1);

  auto* info = app.add_subcommand("info", "Show what a drawing holds");
  std::vector<std::string> infoFiles;
  bool infoJson = false;
  info->add_option("FILE", infoFiles, "Drawings to describe")->required();
  info->add_flag("--json", infoJson, "Print one JSON document (an array, one object per file)");

  auto* sweep = app.add_subcommand(
      "sweep", "Write copies of drawings without their points; the sources are never changed");
  std::vector<std::string> inputs;
  std::string points = "all", scope = "all", outDir;
  bool beside = false;
  cli::SweepOptions o;
  o.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  sweep->add_option("FILE|DIR", inputs, "Drawings, or folders of drawings (*.jww)")->required();
  sweep->add_option("--points", points, "Which points go: temporary, or all (real and temporary)")
      ->check(CLI::IsMember({"temporary", "all"}))
      ->capture_default_str();
  sweep->add_option("--scope", scope, "Where: blocks (inside block definitions only), or all")
      ->check(CLI::IsMember({"blocks", "all"}))
      ->capture_default_str();
  auto* outOpt =
      sweep->add_option("-o,--output", outDir, "Folder for the results (made if missing)");
  auto* besideOpt = sweep->add_flag("--beside", beside, "Write each result beside its source");
  outOpt->excludes(besideOpt);
  sweep->add_flag("-r,--recursive", o.recursive, "Take drawings in subfolders too");
  sweep->add_option("-j,--jobs", o.jobs, "Drawings converted at once (default: cores)")
      ->check(CLI::Range(1, 256));
  sweep->add_flag("--json", o.json, "Print one JSON array with an object per drawing");

  try {
    app.parse(argc, argv);
    if (sweep->parsed() && outDir.empty() && !beside)
      throw CLI::RequiredError("-o DIR or --beside");
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }

  if (info->parsed()) return Info(infoFiles, infoJson);
  o.points = points == "temporary" ? 0 : 1;
  o.scope = scope == "blocks" ? 0 : 1;
  if (!outDir.empty()) o.outDir = outDir;
  o.progress = true;
  return Sweep(inputs, o);
}
