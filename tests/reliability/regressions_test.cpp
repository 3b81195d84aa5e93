// The fuzz targets' checks on their seeds, on the real drawings and on every input a finding
// was recorded for (fuzz/regressions/<target>/), so that the ordinary suite keeps them fixed.
#include <gtest/gtest.h>

#include <functional>

#include "fuzz/lib/checks.h"
#include "fuzz/lib/fixtures.h"
#include "tests/support.h"

namespace {

using namespace testsupport;
using reliability::TFixture;
namespace fs = std::filesystem;

using Check = std::function<std::string(std::span<const uint8_t>, const fs::path&)>;

std::vector<TFixture> Recorded(const std::string& target) {
  std::vector<TFixture> found;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(fs::path(DOTSWEEP_REGRESSIONS) / target, ec))
    if (e.is_regular_file()) found.push_back({e.path().filename().string(), ReadFile(e.path())});
  return found;
}

void Replay(const Check& check, const std::vector<TFixture>& inputs) {
  ScratchDir root;
  for (const TFixture& in : inputs) {
    const std::string finding = check(Bytes(in.bytes), root.path());
    EXPECT_EQ(finding, "") << in.name;
  }
}

TEST(FuzzChecks, Drawings) {
  ScratchDir scratch;
  std::vector<TFixture> inputs = reliability::Fixtures(scratch.path());
  for (const auto& p : CorpusFiles()) inputs.push_back({p.filename().string(), ReadFile(p)});
  for (auto& r : Recorded("drawing")) inputs.push_back(std::move(r));
  Replay(reliability::CheckDrawing, inputs);
}

TEST(FuzzChecks, Settings) {
  std::vector<TFixture> inputs = reliability::SettingsSeeds();
  for (auto& r : Recorded("settings")) inputs.push_back(std::move(r));
  Replay(reliability::CheckSettings, inputs);
}

TEST(FuzzChecks, LaunchLines) {
  std::vector<TFixture> inputs = reliability::LaunchSeeds();
  for (auto& r : Recorded("launch")) inputs.push_back(std::move(r));
  Replay(reliability::CheckLaunch, inputs);
}

}  // namespace
