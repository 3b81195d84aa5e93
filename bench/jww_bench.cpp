// Google Benchmark cases for the stages of a conversion.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/generate.h"
#include "worker/Job.h"
#include "worker/WorkFolder.h"

namespace {

namespace fs = std::filesystem;

// One generated drawing per size, written once and kept for the whole run.
struct Fixture {
  worker::TWorkFolder folder = worker::TWorkFolder::Private();
  fs::path file;
  explicit Fixture(size_t n) {
    jww::TJwwData doc = bench::Generate(n, 600);
    file = fs::path(folder.Path()) / ("d" + std::to_string(n) + ".jww");
    doc.FileOut(file, 600);
  }
  ~Fixture() {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder.Path(), ec)) fs::remove(e.path(), ec);
  }
};

Fixture& For(size_t n) {
  static std::map<size_t, std::unique_ptr<Fixture>> all;
  auto& f = all[n];
  if (!f) f = std::make_unique<Fixture>(n);
  return *f;
}

void BM_FileIn(benchmark::State& state) {
  Fixture& f = For(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    jww::TJwwData doc;
    benchmark::DoNotOptimize(doc.FileIn(f.file));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(f.file)));
}

void BM_Proc2a(benchmark::State& state) {
  Fixture& f = For(static_cast<size_t>(state.range(0)));
  jww::TJwwData loaded;
  loaded.FileIn(f.file);
  for (auto _ : state) {
    state.PauseTiming();
    jww::TJwwData doc = loaded;
    state.ResumeTiming();
    benchmark::DoNotOptimize(worker::Proc2a(doc, 1, 1));
  }
}

void BM_FileOut(benchmark::State& state) {
  Fixture& f = For(static_cast<size_t>(state.range(0)));
  jww::TJwwData doc;
  doc.FileIn(f.file);
  const fs::path out = f.file.string() + ".out.jww";
  for (auto _ : state) benchmark::DoNotOptimize(doc.FileOut(out, 600));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(out)));
}

void BM_Job(benchmark::State& state) {
  Fixture& f = For(static_cast<size_t>(state.range(0)));
  jww::SetDefaultPenStyle(1);
  jww::SetDefaultPenColor(1);
  worker::TWorkFolder pictures = worker::TWorkFolder::Private();
  const fs::path out = f.file.string() + ".job.jww";
  for (auto _ : state) {
    std::error_code ec;
    fs::remove(out, ec);
    jww::TJwwData doc;
    doc.BindImageFolder = pictures.Path();
    doc.BindImageExp = doc.BindImageExr = true;
    benchmark::DoNotOptimize(worker::RunJob(doc, f.file, out, 1, 1).ok);
  }
}

BENCHMARK(BM_FileIn)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Proc2a)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FileOut)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Job)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
