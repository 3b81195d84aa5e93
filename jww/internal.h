// Pieces shared by the reader and writer stages inside the library; not for programs.
#pragma once

#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "jww/JwwUnit.h"

namespace jww {

// The attribute block as the writer stores it for version Ver and write kind `kind`.
TEntJwwAttr AttrForWrite(int32_t Ver, const TEntJwwAttr& src, int kind);

// One entity list, the drawing's own or a block definition's, seen through references so
// that one reader and one writer serve both.
struct TListRef {
  std::vector<TEntJwwNo>& order;
  int32_t orderLen;  // entries of `order` in use: Enthd.n1 or the definition's N
  std::vector<TEntJwwLine>& line;
  int32_t& lineN;
  std::vector<TEntJwwEnko>& enko;
  int32_t& enkoN;
  std::vector<TEntJwwTen>& ten;
  int32_t& tenN;
  std::vector<TEntJwwMoji>& moji;
  int32_t& mojiN;
  std::vector<TEntJwwSunpo>& sunpo;
  int32_t& sunpoN;
  std::vector<TEntJwwSolid>& solid;
  int32_t& solidN;
  std::vector<TEntJwwBlock>& block;
  int32_t& blockN;
};

inline TListRef TopList(TJwwData& d) {
  return {d.EntNo,    d.Enthd.n1,  d.EntLine,  d.EntLineN, d.EntEnko,  d.EntEnkoN,
          d.EntTen,   d.EntTenN,   d.EntMoji,  d.EntMojiN, d.EntSunpo, d.EntSunpoN,
          d.EntSolid, d.EntSolidN, d.EntBlock, d.EntBlockN};
}

inline TListRef DefList(TEntJwwBlockDef& b) {
  return {b.mNo,   b.N,      b.mLine,  b.mLineN,  b.mEnko,  b.mEnkoN,  b.mTen,   b.mTenN,
          b.mMoji, b.mMojiN, b.mSunpo, b.mSunpoN, b.mSolid, b.mSolidN, b.mBlock, b.mBlockN};
}

// Number of records of `kind` the list holds in its arrays (not its live count).
size_t ArraySize(const TListRef& l, int kind);

// Smallest number of bytes an object of a list can take in a file that loads completely:
// its tag and the fixed part of the smallest record (a point below version 351).
inline constexpr uint64_t kMinObjectBytes = 2 + 33;

// Reads n tagged objects into the list (the order list already has n entries).
// `where` names the list in a trace.
void ReadList(TJwwData& doc, TJwwIn& s, uint32_t n, TListRef list, const std::string& where);

// Writes the object count and the live objects of the list for version Ver. When
// `definitionObject` is set the definition that owns the list takes its object index
// between the count and the first member.
class TBlockNumbers;
void WriteList(TJwwData& doc, TJwwOut& s, int32_t Ver, const TListRef& list, bool definitionObject,
               const TBlockNumbers& numbers);

// Block numbers as the writer stores them, worked out once per save.
class TBlockNumbers {
 public:
  explicit TBlockNumbers(const TJwwData& doc);
  uint32_t operator()(uint32_t n) const;

 private:
  std::unordered_map<uint32_t, uint32_t> stored_;
};

// Index of the first definition numbered n, or -1; built once for many lookups.
class TDefIndex {
 public:
  explicit TDefIndex(const TJwwData& doc);
  int32_t Find(uint32_t n) const {
    auto it = first_.find(n);
    return it == first_.end() ? -1 : it->second;
  }

 private:
  std::unordered_map<uint32_t, int32_t> first_;
};

void ReadBlockDefs(TJwwData& doc, TJwwIn& s);
void WriteBlockDefs(TJwwData& doc, TJwwOut& s, int32_t Ver, const TBlockNumbers& numbers);

// Reads little-endian fields out of a record's fixed part.
struct TDecoder {
  const uint8_t* p;
  template <class T>
  void operator()(T& v) {
    std::memcpy(&v, p, sizeof v);
    p += sizeof v;
  }
};

// Builds a record's fixed part for one write call.
struct TEncoder {
  uint8_t* p;
  template <class T>
  void operator()(T v) {
    std::memcpy(p, &v, sizeof v);
    p += sizeof v;
  }
};

// Writes a record's fixed part of at most N bytes, built by `fill` straight into the write
// buffer when it has the room.
template <size_t N, class Fill>
void WriteFixed(TJwwOut& s, Fill&& fill) {
  uint8_t aside[N];
  uint8_t* room = s.Room(N);
  uint8_t* start = room ? room : aside;
  TEncoder e{start};
  fill(e);
  const size_t n = static_cast<size_t>(e.p - start);
  if (room)
    s.Commit(n);
  else
    s.Write(aside, n);
}

void DecodeAttr(TDecoder& d, bool wide, TEntJwwAttr& a);
void EncodeAttr(TEncoder& e, int32_t Ver, const TEntJwwAttr& a, int kind);

}  // namespace jww
