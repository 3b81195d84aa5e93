// Entity lists: the seven record layouts, read into the per-kind arrays and the order list,
// and written back from the order list.
#include <algorithm>
#include <new>
#include <optional>
#include <string_view>

#include "jww/internal.h"
#include "jww/strutil.h"

namespace jww {
namespace {

constexpr size_t kAttrWide = 15, kAttrNarrow = 13;
constexpr size_t AttrSize(int32_t ver) {
  return ver >= 351 ? kAttrWide : kAttrNarrow;
}

constexpr std::string_view kClassOf[8] = {"",          "CDataSen",    "CDataEnko",  "CDataTen",
                                          "CDataMoji", "CDataSunpou", "CDataSolid", "CDataBlock"};

// A record's fixed part, in place in the read buffer when it lies there whole, else read into
// `buf`. Bytes that do not arrive stay zero, as in the fresh record they are read into; a read
// that delivers nothing at all raises when checked.
const uint8_t* ReadFixed(TJwwIn& s, uint8_t* buf, size_t size, bool checked) {
  if (const uint8_t* here = s.Take(size)) return here;
  const size_t got = s.Read(buf, size);
  if (got < size) std::memset(buf + got, 0, size - got);
  if (checked && got == 0) ThrowIO(TJwwErrorKind::Truncated, "the file ends inside a record");
  return buf;
}

// ---- Reading records ----

void ReadLine(TJwwIn& s, int32_t ver, TEntJwwLine& r, bool checked) {
  uint8_t buf[kAttrWide + 32];
  const size_t a = AttrSize(ver);
  TDecoder d{ReadFixed(s, buf, a + 32, checked)};
  DecodeAttr(d, a == kAttrWide, r.att);
  d(r.start_x), d(r.start_y), d(r.end_x), d(r.end_y);
}

void ReadEnko(TJwwIn& s, int32_t ver, TEntJwwEnko& r) {
  uint8_t buf[kAttrWide + 60];
  const size_t a = AttrSize(ver);
  TDecoder d{ReadFixed(s, buf, a + 60, true)};
  DecodeAttr(d, a == kAttrWide, r.att);
  d(r.start_x), d(r.start_y), d(r.dHankei), d(r.radKaishiKaku), d(r.radEnkoKaku);
  d(r.radKatamukiKaku), d(r.dHenpeiRitsu), d(r.bZenEnFlg);
}

void ReadTen(TJwwIn& s, int32_t ver, TEntJwwTen& r, bool checked) {
  uint8_t buf[kAttrWide + 20];
  const size_t a = AttrSize(ver);
  TDecoder d{ReadFixed(s, buf, a + 20, checked)};
  DecodeAttr(d, a == kAttrWide, r.att);
  d(r.start_x), d(r.start_y), d(r.bKariten);
  if (r.att.nPenStyle == 100) {
    uint8_t extra[20];
    TDecoder e{ReadFixed(s, extra, sizeof extra, false)};
    e(r.nCode), e(r.radKaitenKaku), e(r.dBairitsu);
  }
}

void ReadMoji(TJwwData& doc, TJwwIn& s, int32_t ver, TEntJwwMoji& r) {
  uint8_t buf[kAttrWide + 68];
  const size_t a = AttrSize(ver);
  TDecoder d{ReadFixed(s, buf, a + 68, true)};
  DecodeAttr(d, a == kAttrWide, r.att);
  d(r.start_x), d(r.start_y), d(r.end_x), d(r.end_y), d(r.nMojiShu);
  d(r.dSizeX), d(r.dSizeY), d(r.dKankaku), d(r.degKakudo);
  r.strFontName = doc.ReadName(s);
  r.str = doc.ReadName(s);
}

void ReadSunpo(TJwwData& doc, TJwwIn& s, int32_t ver, TEntJwwSunpo& r) {
  doc.ReadAttr(s, r.att);
  ReadLine(s, ver, r.Sen, false);
  ReadMoji(doc, s, ver, r.Moji);
  if (ver >= 420) {
    s.Get(r.bSxfMode);
    ReadLine(s, ver, r.Ho1, false);
    ReadLine(s, ver, r.Ho2, false);
    ReadTen(s, ver, r.Te1, false);
    ReadTen(s, ver, r.Te2, false);
    ReadTen(s, ver, r.Kt1, false);
    ReadTen(s, ver, r.Kt2, true);
    return;
  }
  // Older files carry no SXF part: its records take the dimension's attribute.
  r.bSxfMode = 0;
  for (TEntJwwLine* l : {&r.Ho1, &r.Ho2}) {
    *l = TEntJwwLine{};
    TJwwData::CopyAttr(r.att, l->att);
  }
  for (TEntJwwTen* t : {&r.Te1, &r.Te2, &r.Kt1, &r.Kt2}) {
    *t = TEntJwwTen{};
    TJwwData::CopyAttr(r.att, t->att);
    t->att.nPenStyle = 0;
  }
}

void ReadSolid(TJwwIn& s, int32_t ver, TEntJwwSolid& r) {
  uint8_t buf[kAttrWide + 64];
  const size_t a = AttrSize(ver);
  TDecoder d{ReadFixed(s, buf, a + 64, true)};
  DecodeAttr(d, a == kAttrWide, r.att);
  d(r.start_x), d(r.start_y), d(r.end_x), d(r.end_y);
  d(r.DPoint2_x), d(r.DPoint2_y), d(r.DPoint3_x), d(r.DPoint3_y);
  r.Color = 0;
  if (r.att.nPenColor == 10) s.Get(r.Color);
}

void ReadBlock(TJwwIn& s, int32_t ver, TEntJwwBlock& r) {
  uint8_t buf[kAttrWide + 44];
  const size_t a = AttrSize(ver);
  TDecoder d{ReadFixed(s, buf, a + 44, true)};
  DecodeAttr(d, a == kAttrWide, r.att);
  d(r.DPKijunTen_x), d(r.DPKijunTen_y), d(r.dBairitsuX), d(r.dBairitsuY), d(r.radKaitenKaku);
  d(r.nNumber);
}

// Reads one record of `kind` into a fresh element and appends it; returns its index.
template <class Rec, class ReadFn>
int32_t ReadInto(std::vector<Rec>& array, int32_t& count, ReadFn read) {
  // Read in place: a dimension record is large enough that building it aside and moving it
  // in shows in the load time of a big drawing.
  Rec& rec = array.emplace_back();
  try {
    read(rec);
  } catch (...) {
    array.pop_back();  // a record that cannot be read is not kept
    throw;
  }
  return count++;
}

int32_t ReadRecord(TJwwData& doc, TJwwIn& s, int kind, TListRef& l) {
  const int32_t ver = doc.Enthd.jwVer;
  switch (kind) {
    case kLine:
      return ReadInto(l.line, l.lineN, [&](TEntJwwLine& r) { ReadLine(s, ver, r, true); });
    case kEnko:
      return ReadInto(l.enko, l.enkoN, [&](TEntJwwEnko& r) { ReadEnko(s, ver, r); });
    case kTen:
      return ReadInto(l.ten, l.tenN, [&](TEntJwwTen& r) { ReadTen(s, ver, r, true); });
    case kMoji:
      return ReadInto(l.moji, l.mojiN, [&](TEntJwwMoji& r) { ReadMoji(doc, s, ver, r); });
    case kSunpo:
      return ReadInto(l.sunpo, l.sunpoN, [&](TEntJwwSunpo& r) { ReadSunpo(doc, s, ver, r); });
    case kSolid:
      return ReadInto(l.solid, l.solidN, [&](TEntJwwSolid& r) { ReadSolid(s, ver, r); });
    default:
      return ReadInto(l.block, l.blockN, [&](TEntJwwBlock& r) { ReadBlock(s, ver, r); });
  }
}

// The entity kind a class tag stands for, or kDropped when it names no class.
int KindOfTag(const TJwwClassTag& tag, TJwwTagState& tags) {
  if (tag.isNew) {
    for (int k = kLine; k <= kBlock; ++k) {
      if (tag.name == kClassOf[k]) {
        tags.ClassIndex[k] = tag.index;
        return k;
      }
    }
    ThrowIO(TJwwErrorKind::Format, "unknown class \"" + tag.name + "\" in an entity list");
  }
  // An index no class has taken yet names nothing: a file never refers to index 0.
  if (tag.index == 0) return kDropped;
  for (int k = kBlock; k >= kLine; --k)
    if (tags.ClassIndex[k] == tag.index) return k;
  return kDropped;
}

// Room for the records a long list may hold, taken once instead of in a dozen doublings that
// each copy every record and touch fresh pages. No kind can hold more records than the file
// has bytes left for its smallest one, so the room is bounded by the file; the pages of room
// that stay unused are never touched and cost no memory.
template <class V>
void MakeRoom(V& v, uint32_t n, uint64_t bytesLeft, uint64_t minRecord) {
  const uint64_t most = std::min<uint64_t>(n, bytesLeft / minRecord);
  if (most <= 1024) return;
  try {
    v.reserve(v.size() + static_cast<size_t>(most));
  } catch (const std::bad_alloc&) {
    // the list grows step by step instead
  }
}

void MakeRoom(TListRef& l, uint32_t n, uint64_t bytesLeft, int32_t ver) {
  if (n <= 1024) return;
  // The smallest record of each kind in the file: class tag, attributes, fixed part and, for
  // texts, their two length bytes.
  const uint64_t a = 2 + (ver >= 351 ? kAttrWide : kAttrNarrow);
  MakeRoom(l.line, n, bytesLeft, a + 32);
  MakeRoom(l.enko, n, bytesLeft, a + 60);
  MakeRoom(l.ten, n, bytesLeft, a + 20);
  MakeRoom(l.moji, n, bytesLeft, a + 70);
  MakeRoom(l.sunpo, n, bytesLeft, 3 * a + 98);
  MakeRoom(l.solid, n, bytesLeft, a + 64);
  MakeRoom(l.block, n, bytesLeft, a + 44);
}

// A short list gives its spare room back; a long one keeps it, as giving it back would copy
// every record once more, and room never touched costs nothing.
template <class V>
void Trim(V& v) {
  if (v.capacity() != v.size() && v.capacity() * sizeof(typename V::value_type) < (size_t{1} << 20))
    v.shrink_to_fit();
}

// ---- Writing records ----

void WriteLine(TJwwOut& s, int32_t Ver, const TEntJwwLine& r) {
  WriteFixed<kAttrWide + 32>(s, [&](TEncoder& e) {
    EncodeAttr(e, Ver, r.att, kLine);
    e(r.start_x), e(r.start_y), e(r.end_x), e(r.end_y);
  });
}

void WriteEnko(TJwwOut& s, int32_t Ver, const TEntJwwEnko& r) {
  WriteFixed<kAttrWide + 60>(s, [&](TEncoder& e) {
    EncodeAttr(e, Ver, r.att, kEnko);
    e(r.start_x), e(r.start_y), e(r.dHankei), e(r.radKaishiKaku), e(r.radEnkoKaku);
    e(r.radKatamukiKaku), e(r.dHenpeiRitsu), e(r.bZenEnFlg);
  });
}

void WriteTen(TJwwOut& s, int32_t Ver, const TEntJwwTen& r, std::optional<uint32_t> kariten = {}) {
  WriteFixed<kAttrWide + 40>(s, [&](TEncoder& e) {
    EncodeAttr(e, Ver, r.att, kTen);
    e(r.start_x), e(r.start_y), e(kariten ? *kariten : r.bKariten);
    if (r.att.nPenStyle == 100) e(r.nCode), e(r.radKaitenKaku), e(r.dBairitsu);
  });
}

void WriteMojiFixed(TJwwOut& s, int32_t Ver, const TEntJwwMoji& r) {
  WriteFixed<kAttrWide + 68>(s, [&](TEncoder& e) {
    EncodeAttr(e, Ver, r.att, kMoji);
    e(r.start_x), e(r.start_y), e(r.end_x), e(r.end_y), e(r.nMojiShu);
    e(r.dSizeX), e(r.dSizeY), e(r.dKankaku), e(r.degKakudo);
  });
}

// The image reference rewritings that FileOutOpt selects for text records.
std::string RewriteReference(std::string text, int32_t opt) {
  constexpr std::string_view kTempRef = "^@BM%temp%", kRef = "^@BM";
  if ((opt & 8) && text.starts_with(kTempRef)) text.replace(0, kTempRef.size(), kRef);
  if ((opt & 1) && text.starts_with(kRef)) {
    const size_t comma = text.find(',');
    if (comma != std::string::npos) {
      const size_t cut = text.find_last_of("\\/:", comma);
      if (cut != std::string::npos && cut >= kRef.size())
        text.erase(kRef.size(), cut + 1 - kRef.size());
    }
  }
  return text;
}

void WriteMoji(TJwwData& doc, TJwwOut& s, int32_t Ver, const TEntJwwMoji& r) {
  WriteMojiFixed(s, Ver, r);
  doc.WriteCleanStr(s, r.strFontName);
  if (doc.FileOutOpt & 9)
    doc.WriteStr(s, RewriteReference(CleanName(r.str), doc.FileOutOpt));
  else
    doc.WriteCleanStr(s, r.str);
}

void WriteSolid(TJwwOut& s, int32_t Ver, const TEntJwwSolid& r) {
  WriteFixed<kAttrWide + 68>(s, [&](TEncoder& e) {
    EncodeAttr(e, Ver, r.att, kSolid);
    e(r.start_x), e(r.start_y), e(r.end_x), e(r.end_y);
    e(r.DPoint2_x), e(r.DPoint2_y), e(r.DPoint3_x), e(r.DPoint3_y);
    if (r.att.nPenColor == 10) e(r.Color);
  });
}

void WriteBlock(TJwwOut& s, int32_t Ver, const TEntJwwBlock& r, uint32_t number) {
  WriteFixed<kAttrWide + 44>(s, [&](TEncoder& e) {
    EncodeAttr(e, Ver, r.att, kBlock);
    e(r.DPKijunTen_x), e(r.DPKijunTen_y), e(r.dBairitsuX), e(r.dBairitsuY), e(r.radKaitenKaku);
    e(number);
  });
}

// A dimension whose SXF part becomes six list objects of its own when a drawing read from
// version 420 or later is written below 420.
bool Expands(const TJwwData& doc, int32_t Ver, const TEntJwwSunpo& r) {
  return Ver < 420 && doc.Enthd.jwVer >= 420 && r.bSxfMode != 0;
}

void WriteSunpo(TJwwData& doc, TJwwOut& s, int32_t Ver, const TEntJwwSunpo& r) {
  doc.WriteAttr(s, Ver, r.att, kSunpo);
  WriteLine(s, Ver, r.Sen);
  WriteMojiFixed(s, Ver, r.Moji);
  doc.WriteCleanStr(s, r.Moji.strFontName);
  doc.WriteCleanStr(s, r.Moji.str);
  if (Ver >= 420) {
    s.Put(r.bSxfMode);
    WriteLine(s, Ver, r.Ho1);
    WriteLine(s, Ver, r.Ho2);
    WriteTen(s, Ver, r.Te1);
    WriteTen(s, Ver, r.Te2);
    WriteTen(s, Ver, r.Kt1);
    WriteTen(s, Ver, r.Kt2);
  }
}

// The six objects an expanded dimension's SXF part becomes, each with its own tag and index.
void WriteSxfObjects(TJwwData& doc, TJwwOut& s, int32_t Ver, const TEntJwwSunpo& r) {
  for (const TEntJwwLine* l : {&r.Ho1, &r.Ho2}) {
    doc.WriteClassTag(s, Ver, kLine);
    WriteLine(s, Ver, *l);
    ++s.tags.ObjIndex;
  }
  const std::pair<const TEntJwwTen*, std::optional<uint32_t>> points[] = {
      {&r.Te1, {}}, {&r.Te2, {}}, {&r.Kt1, 1u}, {&r.Kt2, 1u}};
  for (const auto& [t, kariten] : points) {
    doc.WriteClassTag(s, Ver, kTen);
    WriteTen(s, Ver, *t, kariten);
    ++s.tags.ObjIndex;
  }
}

}  // namespace

void DecodeAttr(TDecoder& d, bool wide, TEntJwwAttr& a) {
  d(a.lGroup), d(a.nPenStyle), d(a.nPenColor);
  if (wide)
    d(a.nPenWidth);
  else
    a.nPenWidth = 0;
  d(a.nLayer), d(a.nGLayer), d(a.sFlg);
}

void EncodeAttr(TEncoder& e, int32_t Ver, const TEntJwwAttr& src, int kind) {
  const TEntJwwAttr a = AttrForWrite(Ver, src, kind);
  e(a.lGroup), e(a.nPenStyle), e(a.nPenColor);
  if (Ver >= 351) e(a.nPenWidth);
  e(a.nLayer), e(a.nGLayer), e(a.sFlg);
}

size_t ArraySize(const TListRef& l, int kind) {
  switch (kind) {
    case kLine:
      return l.line.size();
    case kEnko:
      return l.enko.size();
    case kTen:
      return l.ten.size();
    case kMoji:
      return l.moji.size();
    case kSunpo:
      return l.sunpo.size();
    case kSolid:
      return l.solid.size();
    case kBlock:
      return l.block.size();
    default:
      return 0;
  }
}

void ReadList(TJwwData& doc, TJwwIn& s, uint32_t n, TListRef l, const std::string& where) {
  uint32_t p = 0;
  MakeRoom(l, n, s.Remaining(), doc.Enthd.jwVer);
  for (uint32_t r = 0; r < n;) {
    if (s.trace) s.Note(where + " object " + std::to_string(r));
    const TJwwClassTag tag = doc.ReadClassTag(s);
    const int kind = KindOfTag(tag, s.tags);
    if (kind == kDropped) continue;  // a reference to no class: nothing follows it
    try {
      const int32_t index = ReadRecord(doc, s, kind, l);
      l.order[p++] = {kind, index};
      if (s.trace)
        s.trace->back().what +=
            std::string(": ") + kClassOf[kind].data() + " #" + std::to_string(index);
    } catch (const EJwwIOError& e) {
      // A record that cannot be read is left out; the object still counts as read.
      if (e.kind() != TJwwErrorKind::Truncated) throw;
    }
    ++r;
    ++s.tags.ObjIndex;
  }
  Trim(l.line), Trim(l.enko), Trim(l.ten), Trim(l.moji), Trim(l.sunpo), Trim(l.solid);
  Trim(l.block);
}

void WriteList(TJwwData& doc, TJwwOut& s, int32_t Ver, const TListRef& l, bool definitionObject,
               const TBlockNumbers& numbers) {
  // The count is that of the objects that follow, taken from the order list itself so that
  // a count out of step with it can never produce a file whose count lies.
  const size_t len =
      std::min<size_t>(l.orderLen > 0 ? static_cast<size_t>(l.orderLen) : 0, l.order.size());
  uint64_t c = 0;
  for (size_t i = 0; i < len; ++i) {
    const TEntJwwNo& e = l.order[i];
    if (e.EntType < kLine || e.EntType > kBlock) continue;
    if (e.EntNo < 0 || static_cast<size_t>(e.EntNo) >= ArraySize(l, e.EntType))
      ThrowIO(TJwwErrorKind::Format, "the order list names a record that does not exist");
    ++c;
    if (e.EntType == kSunpo && Expands(doc, Ver, l.sunpo[e.EntNo])) c += 6;
  }
  if (c > 0xFFFFFFFFu) ThrowIO(TJwwErrorKind::Format, "too many objects for one list");
  doc.WriteCount(s, static_cast<uint32_t>(c));
  if (definitionObject) ++s.tags.ObjIndex;

  for (size_t i = 0; i < len; ++i) {
    const TEntJwwNo& e = l.order[i];
    if (e.EntType < kLine || e.EntType > kBlock) continue;
    doc.WriteClassTag(s, Ver, static_cast<TJwwKind>(e.EntType));
    switch (e.EntType) {
      case kLine:
        WriteLine(s, Ver, l.line[e.EntNo]);
        break;
      case kEnko:
        WriteEnko(s, Ver, l.enko[e.EntNo]);
        break;
      case kTen:
        WriteTen(s, Ver, l.ten[e.EntNo]);
        break;
      case kMoji:
        WriteMoji(doc, s, Ver, l.moji[e.EntNo]);
        break;
      case kSunpo:
        WriteSunpo(doc, s, Ver, l.sunpo[e.EntNo]);
        break;
      case kSolid:
        WriteSolid(s, Ver, l.solid[e.EntNo]);
        break;
      default:
        WriteBlock(s, Ver, l.block[e.EntNo], numbers(l.block[e.EntNo].nNumber));
        break;
    }
    ++s.tags.ObjIndex;
    if (e.EntType == kSunpo && Expands(doc, Ver, l.sunpo[e.EntNo]))
      WriteSxfObjects(doc, s, Ver, l.sunpo[e.EntNo]);
  }
}

}  // namespace jww
