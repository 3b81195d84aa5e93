#include "jww/JwwBuild.h"

#include "jww/internal.h"

namespace jww {
namespace {

template <class Rec>
int32_t Push(std::vector<TEntJwwNo>& order, int32_t& orderLen, std::vector<Rec>& array,
             int32_t& count, const Rec& r, TJwwKind kind) {
  // Arrays hold exactly their live records here, as after a load.
  array.resize(static_cast<size_t>(count));
  array.push_back(r);
  const int32_t index = count++;
  order.resize(static_cast<size_t>(orderLen));
  order.push_back({kind, index});
  ++orderLen;
  return index;
}

}  // namespace

#define JWW_APPEND(Rec, kind, top, def)                         \
  int32_t Append(TJwwData& d, const Rec& r) {                   \
    return Push(d.EntNo, d.Enthd.n1, d.top, d.top##N, r, kind); \
  }                                                             \
  int32_t Append(TEntJwwBlockDef& b, const Rec& r) {            \
    return Push(b.mNo, b.N, b.def, b.def##N, r, kind);          \
  }

JWW_APPEND(TEntJwwLine, kLine, EntLine, mLine)
JWW_APPEND(TEntJwwEnko, kEnko, EntEnko, mEnko)
JWW_APPEND(TEntJwwTen, kTen, EntTen, mTen)
JWW_APPEND(TEntJwwMoji, kMoji, EntMoji, mMoji)
JWW_APPEND(TEntJwwSunpo, kSunpo, EntSunpo, mSunpo)
JWW_APPEND(TEntJwwSolid, kSolid, EntSolid, mSolid)
JWW_APPEND(TEntJwwBlock, kBlock, EntBlock, mBlock)
#undef JWW_APPEND

TEntJwwBlockDef& AppendBlockDef(TJwwData& doc, uint32_t number, const std::string& name) {
  doc.EntBlockDef.resize(static_cast<size_t>(doc.EntBlockDefN));
  TEntJwwBlockDef& def = doc.EntBlockDef.emplace_back();
  def.nNumber = number;
  def.strName = name;
  doc.Enthd.n2 = ++doc.EntBlockDefN;
  return def;
}

void Drop(TJwwData& doc, size_t pos) {
  TEntJwwNo& e = doc.EntNo.at(pos);
  int32_t* counts[8] = {nullptr,       &doc.EntLineN,  &doc.EntEnkoN,  &doc.EntTenN,
                        &doc.EntMojiN, &doc.EntSunpoN, &doc.EntSolidN, &doc.EntBlockN};
  if (e.EntType < kLine || e.EntType > kBlock) return;
  --*counts[e.EntType];
  e.EntType = kDropped;
}

}  // namespace jww
