#include "worker/Job.h"

#include "jww/strutil.h"
#include "platform/paths.h"

namespace worker {
namespace {

// Marks the chosen points of one list and brings its live point count in line.
void SweepList(std::vector<jww::TEntJwwNo>& order, int32_t len,
               const std::vector<jww::TEntJwwTen>& points, int32_t& liveCount, bool all,
               int64_t& temporary, int64_t& real) {
  const size_t n = std::min<size_t>(len > 0 ? static_cast<size_t>(len) : 0, order.size());
  int32_t left = 0;
  for (size_t i = 0; i < n; ++i) {
    jww::TEntJwwNo& e = order[i];
    if (e.EntType != jww::kTen) continue;
    if (e.EntNo < 0 || static_cast<size_t>(e.EntNo) >= points.size()) {
      ++left;  // not ours to judge; the writer refuses such a list
      continue;
    }
    const bool isTemporary = points[e.EntNo].bKariten != 0;
    if (all || isTemporary) {
      e.EntType = jww::kDropped;
      ++(isTemporary ? temporary : real);
    } else {
      ++left;
    }
  }
  // The count is that of the point entries left in the list, which is what the writer
  // announces; it equals the count of kept records in a freshly loaded drawing.
  liveCount = left;
}

// A picture some text references whose file the load could not make in the working folder
// (a full disk there): the save would leave it out without a word, so the job must not run.
std::string LostPicture(jww::TJwwData& doc) {
  if (!doc.BindImageExp) return {};
  doc.BindImageMark();
  for (const jww::TBindImageType& img : doc.BindImage)
    if (img.exf && !img.Fname.empty() && img.Fsize > 0 &&
        !platform::FileExists(doc.BindImagePath(img.Fname)))
      return img.Fname;
  return {};
}

}  // namespace

TRemoved Proc2a(jww::TJwwData& doc, int32_t rg1, int32_t rg2) {
  TRemoved r;
  if (rg1 != 0 && rg1 != 1) return r;  // nothing chosen: every count stays as it is
  const bool all = rg1 == 1;
  if (rg2 == 1)
    SweepList(doc.EntNo, doc.Enthd.n1, doc.EntTen, doc.EntTenN, all, r.topTemporary, r.topReal);
  const size_t defs = std::min<size_t>(doc.Enthd.n2 > 0 ? static_cast<size_t>(doc.Enthd.n2) : 0,
                                       doc.EntBlockDef.size());
  for (size_t k = 0; k < defs; ++k) {
    jww::TEntJwwBlockDef& d = doc.EntBlockDef[k];
    SweepList(d.mNo, d.N, d.mTen, d.mTenN, all, r.blockTemporary, r.blockReal);
  }
  return r;
}

void JwwDataFree(jww::TJwwData& doc) {
  doc.BindImageDeleteGzFile();
  doc.BindImageDeleteNonGzFile();
  doc.DataFree();
  doc.BindImageInit();
}

bool LoadDrawing(jww::TJwwData& doc, const std::filesystem::path& fn) {
  if (!doc.FileCheck(fn)) return false;
  JwwDataFree(doc);
  if (!doc.FileIn(fn)) return false;
  doc.BindImageExplode();
  return true;
}

TJobResult RunJob(jww::TJwwData& doc, const std::filesystem::path& src,
                  const std::filesystem::path& dst, int32_t rg1, int32_t rg2) {
  TJobResult r;
  if (!platform::FileExists(src)) {
    r.reason = "no such file";
    return r;
  }
  if (jww::LowerStr(platform::ExtensionOf(src)) != ".jww") {
    r.reason = "not a .jww file";
    return r;
  }
  if (!LoadDrawing(doc, src)) {
    r.reason = doc.FailureText();
    return r;
  }
  if (const std::string lost = LostPicture(doc); !lost.empty()) {
    r.reason = "cannot keep the picture " + lost;
    return r;
  }
  r.version = doc.Enthd.jwVer;
  // Delete.
  r.removed = Proc2a(doc, rg1, rg2);
  // Save.
  doc.SetFileOutOption(0);
  if (!doc.FileOut(dst, doc.Enthd.jwVer, jww::TJwwSaveMode::NoReplace)) {
    r.reason = doc.FailureText();
    return r;
  }
  r.ok = true;
  return r;
}

}  // namespace worker
