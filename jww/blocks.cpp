// Block definitions: their list in the file, the block tree with accumulated placements,
// and the numbering of the definitions that are written.
#include <algorithm>
#include <cmath>

#include "jww/internal.h"
#include "jww/strutil.h"

namespace jww {
namespace {

// Smallest complete definition: tag, 25-byte fixed part, empty name, member count.
constexpr uint64_t kMinDefinitionBytes = 2 + 25 + 1 + 2;

// The tree is derived data for display; a drawing whose nested inserts multiply beyond this
// many placements gets a tree cut at this size. The marking of used definitions does not
// depend on the tree and stays complete.
constexpr size_t kMaxTreeEntries = size_t{1} << 20;

uint32_t CheckedCount(TJwwIn& s, uint32_t n, uint64_t minBytes, const char* what) {
  if (n > s.Remaining() / minBytes + 1)
    ThrowIO(TJwwErrorKind::TooLarge, std::string(what) + " count " + std::to_string(n) +
                                         " is larger than the rest of the file could hold");
  return n;
}

struct TPlacement {
  double x, y, r1, r2, r3, r4;
};

TPlacement PlacementOf(const TEntJwwBlock& b) {
  const double c = std::cos(b.radKaitenKaku), s = std::sin(b.radKaitenKaku);
  return {b.DPKijunTen_x,    b.DPKijunTen_y,   c * b.dBairitsuX,
          -s * b.dBairitsuY, s * b.dBairitsuX, c * b.dBairitsuY};
}

// Calls fn for every live insert of a list, in list order (after a load, array order).
template <class Fn>
void ForEachInsert(const std::vector<TEntJwwNo>& order, int32_t len,
                   const std::vector<TEntJwwBlock>& blocks, Fn fn) {
  const size_t n = std::min<size_t>(len > 0 ? static_cast<size_t>(len) : 0, order.size());
  for (size_t i = 0; i < n; ++i) {
    const TEntJwwNo& e = order[i];
    if (e.EntType == kBlock && e.EntNo >= 0 && static_cast<size_t>(e.EntNo) < blocks.size())
      fn(blocks[e.EntNo]);
  }
}

}  // namespace

TDefIndex::TDefIndex(const TJwwData& doc) {
  const size_t n =
      std::min<size_t>(doc.EntBlockDef.size(), doc.EntBlockDefN > 0 ? doc.EntBlockDefN : 0);
  first_.reserve(n);
  for (size_t i = 0; i < n; ++i)
    first_.emplace(doc.EntBlockDef[i].nNumber, static_cast<int32_t>(i));  // keeps the first
}

TBlockNumbers::TBlockNumbers(const TJwwData& doc) {
  const size_t n =
      std::min<size_t>(doc.EntBlockDef.size(), doc.EntBlockDefN > 0 ? doc.EntBlockDefN : 0);
  stored_.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    const TEntJwwBlockDef& d = doc.EntBlockDef[i];
    stored_.emplace(d.nNumber, d.ref_flag ? static_cast<uint32_t>(d.ref_no) : d.nNumber);
  }
}

uint32_t TBlockNumbers::operator()(uint32_t n) const {
  auto it = stored_.find(n);
  return it == stored_.end() ? 0 : it->second;
}

uint32_t TJwwData::ChangeBlockNo(uint32_t n) const {
  for (int32_t i = 0; i < EntBlockDefN && static_cast<size_t>(i) < EntBlockDef.size(); ++i) {
    const TEntJwwBlockDef& d = EntBlockDef[i];
    if (d.nNumber == n) return d.ref_flag ? static_cast<uint32_t>(d.ref_no) : n;
  }
  return 0;
}

void TJwwData::MakeBlockTree() {
  EntBlockTree.clear();
  EntBlockTreeN = 0;
  for (auto& d : EntBlockDef) {
    d.ref_flag = false;
    d.ref_no = -1;
  }
  const TDefIndex defs(*this);

  // Marking: every definition reachable from a top-level insert, each visited once, so a
  // definition that inserts itself cannot make the walk endless.
  std::vector<int32_t> pending;
  auto reach = [&](const TEntJwwBlock& b) {
    const int32_t k = defs.Find(b.nNumber);
    if (k >= 0 && !EntBlockDef[k].ref_flag) {
      EntBlockDef[k].ref_flag = true;
      pending.push_back(k);
    }
  };
  ForEachInsert(EntNo, Enthd.n1, EntBlock, reach);
  while (!pending.empty()) {
    const int32_t k = pending.back();
    pending.pop_back();
    const TEntJwwBlockDef& d = EntBlockDef[k];
    ForEachInsert(d.mNo, d.N, d.mBlock, reach);
  }
  EntBlockNum = 0;
  for (auto& d : EntBlockDef)
    if (d.ref_flag) d.ref_no = EntBlockNum++;

  if (!KeepBlockTree) return;

  // The tree, breadth first. A placement of a definition already among its ancestors is
  // listed but not expanded again.
  auto resolve = [&](TEntJwwBlockTree& t) {
    t.defno = defs.Find(t.no);
    t.name = t.defno >= 0 ? EntBlockDef[t.defno].strName : std::string();
  };
  EntBlockTree.reserve(std::min<size_t>(EntBlock.size(), kMaxTreeEntries));
  ForEachInsert(EntNo, Enthd.n1, EntBlock, [&](const TEntJwwBlock& b) {
    if (EntBlockTree.size() >= kMaxTreeEntries) return;
    const TPlacement p = PlacementOf(b);
    TEntJwwBlockTree t;
    t.att = b.att;
    t.level = 0;
    t.parent = -1;
    t.no = b.nNumber;
    t.x = p.x, t.y = p.y, t.r1 = p.r1, t.r2 = p.r2, t.r3 = p.r3, t.r4 = p.r4;
    resolve(t);
    EntBlockTree.push_back(std::move(t));
  });
  auto hasAncestor = [&](size_t k, int32_t defno) {
    for (int32_t a = EntBlockTree[k].parent; a >= 0; a = EntBlockTree[a].parent)
      if (EntBlockTree[a].defno == defno) return true;
    return false;
  };
  for (size_t k = 0; k < EntBlockTree.size() && EntBlockTree.size() < kMaxTreeEntries; ++k) {
    const int32_t defno = EntBlockTree[k].defno;
    if (defno < 0 || hasAncestor(k, defno)) continue;
    const TEntJwwBlockDef& d = EntBlockDef[defno];
    if (d.mBlockN <= 0) continue;
    const TEntJwwBlockTree parent = EntBlockTree[k];  // the vector grows below
    ForEachInsert(d.mNo, d.N, d.mBlock, [&](const TEntJwwBlock& b) {
      if (EntBlockTree.size() >= kMaxTreeEntries) return;
      const TPlacement m = PlacementOf(b);
      TEntJwwBlockTree t;
      t.att = d.att;
      t.level = parent.level + 1;
      t.parent = static_cast<int32_t>(k);
      t.no = b.nNumber;
      t.x = parent.x + parent.r1 * m.x + parent.r2 * m.y;
      t.y = parent.y + parent.r3 * m.x + parent.r4 * m.y;
      t.r1 = parent.r1 * m.r1 + parent.r2 * m.r3;
      t.r2 = parent.r1 * m.r2 + parent.r2 * m.r4;
      t.r3 = parent.r3 * m.r1 + parent.r4 * m.r3;
      t.r4 = parent.r3 * m.r2 + parent.r4 * m.r4;
      resolve(t);
      EntBlockTree.push_back(std::move(t));
    });
  }
  EntBlockTreeN = static_cast<int32_t>(EntBlockTree.size());
}

void ReadBlockDefs(TJwwData& doc, TJwwIn& s) {
  uint16_t w = 0;
  // The definition count always follows the entity list; a file that ends before it is cut.
  if (s.Get(w) != sizeof w) ThrowIO(TJwwErrorKind::Truncated, "the file ends before the blocks");
  if (w == 0) return;
  uint32_t count = w;
  if (w == 0xFFFF) {
    if (s.Get(count) != sizeof count)
      ThrowIO(TJwwErrorKind::Truncated, "the file ends before the blocks");
  }
  CheckedCount(s, count, kMinDefinitionBytes, "block definition");
  doc.EntBlockDef.assign(count, TEntJwwBlockDef{});
  doc.Enthd.n2 = doc.EntBlockDefN = static_cast<int32_t>(count);

  const int32_t ver = doc.Enthd.jwVer;
  const bool wide = ver >= 351;
  for (uint32_t i = 0; i < count; ++i) {
    TEntJwwBlockDef& d = doc.EntBlockDef[i];
    if (s.trace) s.Note("block definition " + std::to_string(i));
    const TJwwClassTag tag = doc.ReadClassTag(s);
    if (tag.isNew) s.tags.ClassIndex[kBlockDef] = tag.index;  // the name is not compared

    uint8_t buf[27] = {};
    const size_t size = wide ? 27 : 25;
    const size_t got = s.Read(buf, size);
    if (got == 0) ThrowIO(TJwwErrorKind::Truncated, "the file ends inside a block definition");
    TDecoder dec{buf};
    DecodeAttr(dec, wide, d.att);
    dec(d.nNumber), dec(d.bRefferd), dec(d.dtime);
    if (d.dtime >= 0x80000000u) {
      s.Skip(8);
      d.dtime = i + 1;
    }
    d.strName = doc.ReadName(s);
    d.mLineN = d.mEnkoN = d.mTenN = d.mMojiN = d.mSunpoN = d.mSolidN = d.mBlockN = 0;
    const uint64_t before = s.Position();
    const uint32_t declared = doc.ReadCount(s);
    if (s.Position() - before < 2)
      ThrowIO(TJwwErrorKind::Truncated, "the file ends inside a block definition");
    const uint32_t members = CheckedCount(s, declared, kMinObjectBytes, "member");
    d.N = static_cast<int32_t>(members);
    d.mNo.assign(members, TEntJwwNo{});
    ++s.tags.ObjIndex;  // the definition's own number, between its fixed part and members
    ReadList(doc, s, members, DefList(d),
             s.trace ? "block definition " + std::to_string(i) : std::string());
  }
}

void WriteBlockDefs(TJwwData& doc, TJwwOut& s, int32_t Ver, const TBlockNumbers& numbers) {
  const size_t n = std::min<size_t>(doc.Enthd.n2 > 0 ? doc.Enthd.n2 : 0, doc.EntBlockDef.size());
  // The count is that of the definitions written, whatever EntBlockNum says.
  uint32_t used = 0;
  for (size_t i = 0; i < n; ++i) used += doc.EntBlockDef[i].ref_flag ? 1 : 0;
  doc.WriteCount(s, used);
  for (size_t i = 0; i < n; ++i) {
    TEntJwwBlockDef& d = doc.EntBlockDef[i];
    if (!d.ref_flag) continue;
    doc.WriteClassTag(s, Ver, kBlockDef);
    WriteFixed<27>(s, [&](TEncoder& e) {
      EncodeAttr(e, Ver, d.att, kBlockDef);
      e(numbers(d.nNumber)), e(d.bRefferd), e(d.dtime);
    });
    doc.WriteCleanStr(s, d.strName);
    WriteList(doc, s, Ver, DefList(d), true, numbers);
  }
}

}  // namespace jww
