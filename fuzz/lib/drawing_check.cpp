#include <array>
#include <fstream>
#include <sstream>

#include "fuzz/lib/checks.h"
#include "fuzz/lib/tree.h"
#include "worker/Job.h"

namespace reliability {
namespace {

using namespace jww;
namespace fs = std::filesystem;

using TKinds = std::array<int64_t, 8>;  // live entries by kind code; [0] unused

// What a list is expected to hold when written as version `ver`.
TKinds LiveKinds(const std::vector<TEntJwwNo>& order, int32_t len,
                 const std::vector<TEntJwwSunpo>& dims, bool expandSxf) {
  TKinds k{};
  const size_t n = std::min<size_t>(len > 0 ? static_cast<size_t>(len) : 0, order.size());
  for (size_t i = 0; i < n; ++i) {
    const TEntJwwNo& e = order[i];
    if (e.EntType < kLine || e.EntType > kBlock) continue;
    ++k[e.EntType];
    // Written below 420 from a drawing read at 420 or later, an SXF dimension brings its two
    // lines and four points along as objects of their own.
    if (e.EntType == kSunpo && expandSxf && dims.at(e.EntNo).bSxfMode != 0) {
      k[kLine] += 2;
      k[kTen] += 4;
    }
  }
  return k;
}

struct TCounts {
  TKinds top{};
  std::vector<TKinds> defs;  // the definitions the file holds, in file order
  int32_t pictures = 0;
  bool operator==(const TCounts&) const = default;
};

std::string Describe(const TCounts& c) {
  std::string s = "top";
  for (int k = kLine; k <= kBlock; ++k) s += " " + std::to_string(c.top[k]);
  s += "; " + std::to_string(c.defs.size()) + " definitions";
  for (const TKinds& d : c.defs) {
    s += " [";
    for (int k = kLine; k <= kBlock; ++k) s += (k > kLine ? " " : "") + std::to_string(d[k]);
    s += "]";
  }
  return s + "; " + std::to_string(c.pictures) + " pictures";
}

// The counts a save of `doc` as version `ver` must read back with: the live entries, the
// definitions some top-level insert reaches, and the pictures the save marked as written.
TCounts Expected(const TJwwData& doc, int32_t ver) {
  const bool expand = ver < 420 && doc.Enthd.jwVer >= 420;
  TCounts c;
  c.top = LiveKinds(doc.EntNo, doc.Enthd.n1, doc.EntSunpo, expand);
  const size_t n = std::min<size_t>(doc.Enthd.n2 > 0 ? doc.Enthd.n2 : 0, doc.EntBlockDef.size());
  for (size_t i = 0; i < n; ++i) {
    const TEntJwwBlockDef& d = doc.EntBlockDef[i];
    if (d.ref_flag) c.defs.push_back(LiveKinds(d.mNo, d.N, d.mSunpo, expand));
  }
  if (ver >= 700)
    for (const TBindImageType& img : doc.BindImage) c.pictures += img.exf ? 1 : 0;
  return c;
}

// The counts a loaded document holds, after checking that every declared entry was read and
// that the live counts agree with the order lists.
std::string Loaded(const TJwwData& doc, TCounts& c) {
  c = TCounts{};
  c.top = LiveKinds(doc.EntNo, doc.Enthd.n1, doc.EntSunpo, false);
  const int32_t live[8] = {0,
                           doc.EntLineN,
                           doc.EntEnkoN,
                           doc.EntTenN,
                           doc.EntMojiN,
                           doc.EntSunpoN,
                           doc.EntSolidN,
                           doc.EntBlockN};
  int64_t sum = 0;
  for (int k = kLine; k <= kBlock; ++k) {
    sum += c.top[k];
    if (c.top[k] != live[k]) return "the live count of kind " + std::to_string(k) + " is wrong";
  }
  if (sum != doc.Enthd.n1)
    return "entries of the saved drawing were dropped on reading it (" + std::to_string(sum) +
           " of " + std::to_string(doc.Enthd.n1) + ")";
  for (const TEntJwwBlockDef& d : doc.EntBlockDef) {
    c.defs.push_back(LiveKinds(d.mNo, d.N, d.mSunpo, false));
    int64_t members = 0;
    for (int k = kLine; k <= kBlock; ++k) members += c.defs.back()[k];
    if (members != d.N) return "members of a saved block definition were dropped on reading it";
  }
  if (doc.EntBlockNum != static_cast<int32_t>(doc.EntBlockDef.size()))
    return "a saved block definition is not reached from the drawing";
  c.pictures = doc.BindImageN;
  return {};
}

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Entries(const fs::path& dir) {
  std::string names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) names += " " + e.path().filename().string();
  return names;
}

// The writer cleans "^m" and "\n" out of texts, one layer per save, so only a file without
// them is a fixed point of reading and writing again.
bool HoldsCleanedSequences(std::string_view bytes) {
  using namespace std::literals;
  for (std::string_view s : {"^m"sv, "\\n"sv, "^\0m\0"sv, "\\\0n\0"sv})
    if (bytes.find(s) != std::string_view::npos) return true;
  return false;
}

struct TDoc {
  TJwwData doc;
  explicit TDoc(const fs::path& folder) {
    doc.BindImageFolder = folder.string() + "/";
    doc.BindImageExp = doc.BindImageExr = true;
  }
  ~TDoc() { worker::JwwDataFree(doc); }
};

std::string LoadsAsSaved(const TJwwData& doc, int32_t ver, const fs::path& file, TJwwData& back) {
  const TCounts want = Expected(doc, ver);
  if (!back.FileIn(file)) return "it does not load: " + back.LastError;
  if (back.Enthd.jwVer != ver) return "it reads as version " + std::to_string(back.Enthd.jwVer);
  TCounts got;
  if (std::string why = Loaded(back, got); !why.empty()) return why;
  if (got != want) return "it reads back as " + Describe(got) + ", not " + Describe(want);
  return {};
}

// Saves `doc` as `ver` and loads the result; the load must hold what the save was given.
std::string SaveAndCheck(TJwwData& doc, int32_t ver, const fs::path& file, TDoc& back,
                         const char* what) {
  const std::string name = std::string(what) + " save as version " + std::to_string(ver);
  if (!doc.FileOut(file, ver, TJwwSaveMode::Replace)) return name + " failed: " + doc.LastError;
  if (std::string why = LoadsAsSaved(doc, ver, file, back.doc); !why.empty())
    return name + ": " + why;
  return {};
}

// A print value stored negative splits into a negative remainder; the resolution of 1 that a
// save from version 600 on adds turns it positive, and it settles only on the next save.
bool PrintValueSettles(const TJwwData& doc, int32_t ver) {
  return ver >= 600 && doc.Enthd.nPrtDispOnlyNonDraw < 0 && doc.Enthd.nPrtDpi <= 1;
}

// Saving a loaded save again in its own version gives the same bytes.
std::string Stable(const TJwwData& source, TJwwData& loaded, int32_t ver, const fs::path& first,
                   const fs::path& again) {
  const std::string bytes = Read(first);
  if (HoldsCleanedSequences(bytes) || PrintValueSettles(source, ver)) return {};
  if (!loaded.FileOut(again, ver)) return "saving a loaded save again failed: " + loaded.LastError;
  const std::string second = Read(again);
  if (second != bytes) {
    size_t at = 0;
    while (at < bytes.size() && at < second.size() && bytes[at] == second[at]) ++at;
    return "a save of version " + std::to_string(ver) + " read and saved again differs at byte " +
           std::to_string(at) + " of " + std::to_string(bytes.size()) + "/" +
           std::to_string(second.size());
  }
  return {};
}

int32_t OtherVersion(uint64_t h, int32_t own) {
  // Half the time one of the versions where the layout changes, else any.
  static constexpr int32_t kEdges[] = {220, 300, 350, 351, 419, 420, 600, 699, 700};
  int32_t v =
      (h & 1) ? kEdges[(h >> 1) % std::size(kEdges)] : 220 + static_cast<int32_t>((h >> 1) % 481);
  if (v == own) v = own == 700 ? 600 : 700;
  return v;
}

// The point deletion keeps each list's live point count equal to the point entries left,
// takes out exactly what it reports, and nothing of another kind.
std::string CheckDeletion(TJwwData& doc, int32_t rg1, int32_t rg2) {
  auto tally = [&](std::vector<TKinds>& out) {
    out.clear();
    out.push_back(LiveKinds(doc.EntNo, doc.Enthd.n1, doc.EntSunpo, false));
    for (const TEntJwwBlockDef& d : doc.EntBlockDef)
      out.push_back(LiveKinds(d.mNo, d.N, d.mSunpo, false));
  };
  std::vector<TKinds> before, after;
  tally(before);
  const worker::TRemoved removed = worker::Proc2a(doc, rg1, rg2);
  tally(after);
  int64_t gone = 0;
  for (size_t i = 0; i < before.size(); ++i) {
    for (int k = kLine; k <= kBlock; ++k)
      if (k != kTen && before[i][k] != after[i][k])
        return "the point deletion removed another kind";
    gone += before[i][kTen] - after[i][kTen];
    const int32_t live = i == 0 ? doc.EntTenN : doc.EntBlockDef[i - 1].mTenN;
    if (live != after[i][kTen]) return "the point deletion left a wrong live point count";
  }
  if (gone != removed.Total()) return "the point deletion reports what it did not remove";
  if ((rg1 != 0 && rg1 != 1) && gone != 0) return "an unknown setting removed points";
  if (rg2 != 1 && before[0][kTen] != after[0][kTen])
    return "the point deletion touched the drawing's own points when told to keep them";
  return {};
}

std::string Run(std::span<const uint8_t> data, const fs::path& root) {
  const fs::path src = root / "in.jww", same = root / "same.jww", other = root / "other.jww",
                 again = root / "again.jww";
  const fs::path work[3] = {root / "work0", root / "work1", root / "work2"};
  for (const auto& w : work) fs::create_directories(w);
  std::ofstream(src, std::ios::binary)
      .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));

  const uint64_t h = Fnv1a64({reinterpret_cast<const char*>(data.data()), data.size()});
  static constexpr int32_t kRg1[] = {0, 1, 0, 1, 1, 0, -1, 2};
  const int32_t rg1 = kRg1[h % 8], rg2 = static_cast<int32_t>((h >> 3) % 3);

  std::string finding;
  {
    TDoc doc(work[0]);
    if (!worker::LoadDrawing(doc.doc, src)) {
      // A document a load left half way can still be written, and what is written loads.
      TJwwData header;
      if (header.FileHeaderIn(src)) {
        TDoc back(work[1]);
        finding = SaveAndCheck(doc.doc, doc.doc.Enthd.jwVer, same, back, "a failed load's");
      }
    } else {
      const int32_t own = doc.doc.Enthd.jwVer;
      finding = CheckDeletion(doc.doc, rg1, rg2);
      TDoc first(work[1]), second(work[2]);
      if (finding.empty()) finding = SaveAndCheck(doc.doc, own, same, first, "the job's");
      const int32_t ver = OtherVersion(h >> 8, own);
      if (finding.empty()) finding = SaveAndCheck(doc.doc, ver, other, second, "another");
      if (finding.empty()) finding = Stable(doc.doc, first.doc, own, same, again);
      if (finding.empty()) finding = Stable(doc.doc, second.doc, ver, other, again);
    }
  }
  // Emptying the documents took their picture files with them.
  for (const auto& w : work) {
    const std::string left = Entries(w);
    if (finding.empty() && !left.empty()) finding = "files left in a working folder:" + left;
  }
  return finding;
}

}  // namespace

std::string ReadsBackAsSaved(const TJwwData& doc, int32_t ver, const fs::path& file,
                             const fs::path& pictures) {
  TDoc back(pictures);
  return LoadsAsSaved(doc, ver, file, back.doc);
}

std::string CheckDrawing(std::span<const uint8_t> data, const fs::path& root) {
  // The worker's fallbacks for pen styles and colours the writer must replace.
  jww::SetDefaultPenStyle(1);
  jww::SetDefaultPenColor(1);
  std::string finding = Run(data, root);
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(root, ec)) fs::remove_all(e.path(), ec);
  return finding;
}

}  // namespace reliability
