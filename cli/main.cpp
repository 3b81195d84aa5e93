// dotsweep-cli: the headless tool for scripts and servers.
#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/info.h"

int main(int argc, char** argv) {
  CLI::App app{"Removes point entities from Jw_cad drawings (JWW), without a window."};
  app.require_subcommand(1);

  auto* info = app.add_subcommand("info", "Show what a drawing holds");
  std::vector<std::string> files;
  bool json = false;
  info->add_option("FILE", files, "Drawings to describe")->required();
  info->add_flag("--json", json, "Print one JSON document (an array, one object per file)");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }

  int status = 0;
  if (info->parsed()) {
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
  }
  return status;
}
