// Cut-and-flip sweep: prefixes and single-byte changes of each real drawing and of the
// project's fixtures go through the job. None may crash or hang; a job writes no
// destination or one that loads with what the job meant to write; the source never changes.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "fuzz/lib/checks.h"
#include "fuzz/lib/fixtures.h"
#include "fuzz/lib/tree.h"
#include "tests/drawing.h"
#include "worker/Job.h"

namespace {

using namespace jww;
using namespace testsupport;
namespace fs = std::filesystem;

struct Input {
  std::string name;
  fs::path corpusFile;  // empty for a fixture
};

void PrintTo(const Input& in, std::ostream* os) {
  *os << in.name;
}

std::vector<Input> FixtureInputs() {
  ScratchDir scratch;
  std::vector<Input> in;
  for (const auto& f : reliability::Fixtures(scratch.path())) in.push_back({f.name, {}});
  return in;
}

std::vector<Input> CorpusInputs() {
  std::vector<Input> in;
  for (const auto& p : CorpusFiles()) in.push_back({p.filename().string(), p});
  return in;
}

std::string Bytes(const Input& in) {
  if (!in.corpusFile.empty()) return ReadFile(in.corpusFile);
  ScratchDir scratch;
  for (const auto& f : reliability::Fixtures(scratch.path()))
    if (f.name == in.name) return f.bytes;
  return {};
}

// The worker's job on one variant of a drawing, in a folder of its own.
class Jobs {
 public:
  Jobs() {
    for (const auto& d : {work_, job_, back_}) fs::create_directories(d);
    doc_.BindImageFolder = job_.string() + "/";
    doc_.BindImageExp = doc_.BindImageExr = true;
  }

  // Runs the job; returns what went wrong, empty when nothing did. `converted` says whether
  // a destination was written.
  std::string Run(const std::string& bytes, int32_t rg1, int32_t rg2, bool& converted) {
    const fs::path src = work_ / "drawing.jww", dst = work_ / "result.jww";
    WriteFile(src, bytes);
    const worker::TJobResult r = worker::RunJob(doc_, src, dst, rg1, rg2);
    converted = r.ok;
    std::string finding;
    if (ReadFile(src) != bytes) finding = "the job changed its source";
    if (finding.empty() && r.ok != fs::exists(dst))
      finding =
          r.ok ? "the job says it converted and wrote nothing" : "a failed job left a destination";
    if (finding.empty() && r.ok)
      finding = reliability::ReadsBackAsSaved(doc_, r.version, dst, back_);
    if (const auto left = FilesIn(work_); finding.empty() && left.size() != (r.ok ? 2u : 1u))
      finding = "stray files beside the destination: " + std::to_string(left.size());
    worker::JwwDataFree(doc_);
    if (finding.empty() && !(FilesIn(job_).empty() && FilesIn(back_).empty()))
      finding = "picture files stayed in a working folder";
    std::error_code ec;
    fs::remove(dst, ec);
    return finding;
  }

 private:
  ScratchDir root_;
  fs::path work_ = root_ / "work", job_ = root_ / "job", back_ = root_ / "back";
  TJwwData doc_;
};

// Where a drawing's entity list starts, and where a complete drawing ends for the reader:
// at the start of its picture section.
struct Layout {
  uint64_t lists = 0, complete = 0;
};

Layout LayoutOf(const std::string& bytes) {
  ScratchDir dir;
  WriteFile(dir / "d.jww", bytes);
  TJwwData doc;
  std::vector<TJwwTracePoint> trace;
  EXPECT_TRUE(doc.FileIn(dir / "d.jww", trace)) << doc.LastError;
  Layout l;
  for (const auto& t : trace) {
    if (t.what == "entity count") l.lists = t.offset;
    if (t.what == "pictures") l.complete = t.offset;
  }
  EXPECT_GT(l.complete, l.lists);
  return l;
}

class Sweep : public ::testing::TestWithParam<Input> {};

TEST_P(Sweep, CutsAndFlips) {
  const Input& in = GetParam();
  const std::string bytes = Bytes(in);
  ASSERT_FALSE(bytes.empty());
  int32_t ver = 0;
  if (bytes.size() >= 12) std::memcpy(&ver, bytes.data() + 8, sizeof ver);
  const Layout layout = LayoutOf(bytes);
  const uint64_t complete = layout.complete;
  // The header is a fixed walk of fields, which the header's own tests cut at every field;
  // here it is cut every 128 bytes. After it come every prefix of a fixture, and of a real
  // drawing about sixty spread over its lists and every prefix of its last 64 bytes.
  const bool fixture = in.corpusFile.empty();
  const size_t spread = fixture ? 1 : std::max<size_t>(1, (bytes.size() - layout.lists) / 60);
  auto next = [&](size_t keep) -> size_t {
    if (keep < layout.lists) return std::min<size_t>(keep + 128, layout.lists);
    if (keep + 64 >= bytes.size()) return keep + 1;
    return keep + spread;
  };
  Jobs jobs;
  for (size_t keep = 0; keep < bytes.size(); keep = next(keep)) {
    bool ok = false;
    const std::string finding = jobs.Run(bytes.substr(0, keep), keep % 2, keep / 2 % 2, ok);
    ASSERT_EQ(finding, "") << "cut at " << keep << " of " << bytes.size();
    // Only the picture section may be cut and still load, and not inside its count.
    if (keep == complete) {
      ASSERT_TRUE(ok) << "a drawing that ends where its picture section would start";
    } else if (keep < complete || (ver >= 700 && keep < complete + 4)) {
      ASSERT_FALSE(ok) << "a cut at " << keep << " before " << complete << " loaded";
    }
  }

  // Half of the changes land in the lists and pictures, half anywhere.
  std::mt19937 rng(static_cast<uint32_t>(reliability::Fnv1a64(in.name)));
  const int flips = fixture ? 300 : 150;
  for (int i = 0; i < flips; ++i) {
    std::string b = bytes;
    const size_t from = i % 2 ? 0 : layout.lists;
    const size_t at = from + rng() % (b.size() - from);
    b[at] = static_cast<char>(b[at] ^ (1 + rng() % 255));
    bool ok = false;
    ASSERT_EQ(jobs.Run(b, i % 2, i / 2 % 2, ok), "") << "byte " << at << " changed";
  }
}

std::string TestName(const ::testing::TestParamInfo<Input>& info) {
  std::string n = info.param.name;
  for (char& c : n)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  return n;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, Sweep, ::testing::ValuesIn(FixtureInputs()), TestName);
INSTANTIATE_TEST_SUITE_P(Corpus, Sweep, ::testing::ValuesIn(CorpusInputs()), TestName);

}  // namespace
