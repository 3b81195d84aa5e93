// The folder a fuzz target works in: a fresh one per process, under DOTSWEEP_FUZZ_SCRATCH
// when that is set (scripts/fuzz sets it and empties it afterwards, since a process that
// stops at a finding leaves its folder) and under the system's temporary folder otherwise.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace reliability {

inline const std::filesystem::path& ScratchRoot() {
  static const std::filesystem::path root = [] {
    namespace fs = std::filesystem;
    const char* given = std::getenv("DOTSWEEP_FUZZ_SCRATCH");
    const bool set = given && *given;
    if (set) fs::create_directories(given);
    std::string templ =
        ((set ? fs::path(given) : fs::temp_directory_path()) / "dotsweep-fuzz-XXXXXX").string();
    if (!::mkdtemp(templ.data())) std::abort();
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(ScratchRoot(), ec);
    });
    return fs::path(templ);
  }();
  return root;
}

}  // namespace reliability
