// Writes the seed inputs the project makes itself, one folder per fuzz target:
//   fuzz_seeds FOLDER  ->  FOLDER/drawing/*.jww, FOLDER/settings/*.dat, FOLDER/launch/*.txt
// The real drawings are handed to the drawing target separately, from where they lie.
#include <cstdio>
#include <fstream>

#include "fuzz/lib/fixtures.h"

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
    return 2;
  }
  const fs::path out = argv[1];
  fs::create_directories(out);
  const std::pair<const char*, std::vector<reliability::TFixture>> sets[] = {
      {"drawing", reliability::Fixtures(out)},
      {"settings", reliability::SettingsSeeds()},
      {"launch", reliability::LaunchSeeds()},
  };
  for (const auto& [target, seeds] : sets) {
    fs::create_directories(out / target);
    for (const auto& s : seeds) {
      if (s.bytes.empty()) {
        std::fprintf(stderr, "fuzz_seeds: could not make %s\n", s.name.c_str());
        return 1;
      }
      std::ofstream(out / target / s.name, std::ios::binary) << s.bytes;
    }
  }
  return 0;
}
