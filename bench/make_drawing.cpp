// bench-drawing ENTITIES VERSION OUT.jww : writes a generated drawing for the benchmarks.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "bench/generate.h"
#include "worker/WorkFolder.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: bench-drawing ENTITIES VERSION OUT.jww\n");
    return 2;
  }
  const size_t n = std::strtoull(argv[1], nullptr, 10);
  const int ver = std::atoi(argv[2]);
  worker::TWorkFolder pictures = worker::TWorkFolder::Private();
  jww::TJwwData doc = bench::Generate(n, ver, pictures.Path());
  std::error_code ec;
  std::filesystem::remove(argv[3], ec);
  const bool ok = doc.FileOut(argv[3], ver);
  if (!ok) std::fprintf(stderr, "bench-drawing: %s\n", doc.FailureText().c_str());
  doc.BindImageDeleteFile();
  return ok ? 0 : 1;
}
