// `dotsweep-cli sweep`: the job over many drawings, in parallel, for scripts and servers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "worker/Job.h"

namespace cli {

struct SweepOptions {
  int32_t points = 1;  // 0 temporary only, 1 real and temporary
  int32_t scope = 1;   // 0 inside block definitions only, 1 the whole drawing
  std::optional<std::filesystem::path> outDir;  // empty: beside each source
  bool recursive = false;
  int jobs = 1;
  bool json = false;
  bool progress = false;  // a progress line on standard error
};

// One drawing to convert, and where its result goes.
struct SweepItem {
  std::filesystem::path source;
  std::filesystem::path destination;  // empty when no free name was left
  worker::TJobResult result;
};

// The drawings named by the arguments: files as they are, folders by their .jww files
// (any letter case), recursively with `recursive`. Destinations are the first free names
// in the output folder (subfolders of a folder argument kept) or beside the source; names
// given out earlier in the same run count as taken. `errors` receives arguments that name
// nothing.
std::vector<SweepItem> PlanSweep(const std::vector<std::string>& args, const SweepOptions& o,
                                 std::vector<std::string>& errors);

// Converts every item, `o.jobs` at a time, each job with its own document and working folder.
void RunSweep(std::vector<SweepItem>& items, const SweepOptions& o, std::ostream* progress);

// One line per item: "source → destination: ..." for a success, "source: reason" for a failure.
std::string DescribeItem(const SweepItem& item);

}  // namespace cli
