#include "jww/JwwUnit.h"

#include <algorithm>

#include <atomic>
#include <new>

#include "jww/internal.h"
#include "jww/strutil.h"
#include "platform/text.h"

namespace jww {
namespace {

std::atomic<uint8_t> gDefaultPenStyle{0};
std::atomic<uint16_t> gDefaultPenColor{0};

// Class names by kind code; slot 8 is the block-definition class.
constexpr std::string_view kClassNames[9] = {"",           "CDataSen",   "CDataEnko",
                                             "CDataTen",   "CDataMoji",  "CDataSunpou",
                                             "CDataSolid", "CDataBlock", "CDataList"};

// Longest class name the reader takes; Jw_cad's own buffer holds 2047 bytes.
constexpr uint16_t kMaxClassName = 2047;

bool InRange(int v, int lo, int hi) {
  return v >= lo && v <= hi;
}

// Pen style replacements when writing below version 420, for styles 31..45 of lines and arcs.
constexpr uint8_t kStyleDown[15] = {1, 4, 3, 6, 8, 8, 2, 5, 7, 6, 6, 8, 8, 17, 17};
// Pen colour replacements when writing below version 420, for colours 101..116.
constexpr uint16_t kColorDown[16] = {2, 8, 3, 6, 4, 5, 1, 2, 5, 8, 4, 3, 6, 5, 2, 2};

}  // namespace

void SetDefaultPenStyle(uint8_t style) {
  gDefaultPenStyle.store(style, std::memory_order_relaxed);
}
void SetDefaultPenColor(uint16_t color) {
  gDefaultPenColor.store(color, std::memory_order_relaxed);
}
uint8_t DefaultPenStyle() {
  return gDefaultPenStyle.load(std::memory_order_relaxed);
}
uint16_t DefaultPenColor() {
  return gDefaultPenColor.load(std::memory_order_relaxed);
}

TJwwData::TJwwData() {
  DataInit();
}

TJwwData::~TJwwData() {
  DataFree();
}

void TJwwData::DataInit() {
  FileOutOpt = 0;
  EntLgrp.clear();
  EntLay.clear();
  EntCol.clear();
  EntLtp1.clear();
  EntLtp2.clear();
  EntLtp3.clear();
  EntColS.clear();
  EntLtpS.clear();
  EntMoj.clear();
  EntNo.clear();
  EntLine.clear();
  EntEnko.clear();
  EntTen.clear();
  EntMoji.clear();
  EntSunpo.clear();
  EntSolid.clear();
  EntBlock.clear();
  EntBlockDef.clear();
  EntBlockTree.clear();
  EntLineN = EntEnkoN = EntTenN = EntMojiN = EntSunpoN = EntSolidN = EntBlockN = 0;
  EntBlockDefN = EntBlockTreeN = EntBlockNum = 0;

  Enthd = TEntJwwHeader{};
  Enthd.dPrtBairitsu = 1.0;
  Enthd.dMemoriHyoujiMin = 1.0;
  Enthd.dMemoriX = 1.0;
  Enthd.dMemoriY = 1.0;
  Enthd.dBairitsu = 1.0;
  Enthd.dHanniBairitsu = 1.0;
  for (int i = 1; i <= 8; ++i) {
    Enthd.dZoomJumpBairitsu[i] = 1.0;
    Enthd.nZoomJumpGLay[i] = -1;
  }

  BindImageInit();
  FontNameN = 0;
  FontNames.clear();
  StrForm = TJwwTextForm::CodePage;
}

void TJwwData::DataFree() {
  // Releasing the storage, not only the contents, is the point of freeing.
  for (auto& def : EntBlockDef) {
    std::vector<TEntJwwNo>().swap(def.mNo);
    std::vector<TEntJwwLine>().swap(def.mLine);
    std::vector<TEntJwwEnko>().swap(def.mEnko);
    std::vector<TEntJwwTen>().swap(def.mTen);
    std::vector<TEntJwwMoji>().swap(def.mMoji);
    std::vector<TEntJwwSunpo>().swap(def.mSunpo);
    std::vector<TEntJwwSolid>().swap(def.mSolid);
    std::vector<TEntJwwBlock>().swap(def.mBlock);
  }
  DataInit();
  EntNo.shrink_to_fit();
  EntLine.shrink_to_fit();
  EntEnko.shrink_to_fit();
  EntTen.shrink_to_fit();
  EntMoji.shrink_to_fit();
  EntSunpo.shrink_to_fit();
  EntSolid.shrink_to_fit();
  EntBlock.shrink_to_fit();
  EntBlockDef.shrink_to_fit();
  EntBlockTree.shrink_to_fit();
}

void TJwwData::BindImageInit() {
  BindImage.clear();
  BindImageN = 0;
}

void TJwwData::Fail(const EJwwIOError& e) {
  LastErrorKind = e.kind();
  LastError = e.what();
  if (!e.detail().empty()) LastError += ": " + e.detail();
}

std::string TJwwData::FailureText() const {
  using K = TJwwErrorKind;
  // LastError is "<Jw_cad's message>: <detail>"; the detail alone reads better.
  const size_t colon = LastError.find(": ");
  const std::string detail = colon == std::string::npos ? "" : LastError.substr(colon + 2);
  switch (LastErrorKind) {
    case K::None:
      return "";
    case K::Header:
      return "not a JWW drawing";
    case K::Version:
      return detail;
    case K::Open:
      return "cannot open: " + detail;
    case K::Truncated:
      return "the drawing is cut short (" + detail + ")";
    case K::Format:
    case K::TooLarge:
      return "not a readable drawing (" + detail + ")";
    case K::Write:
      return detail == "the destination exists" ? "destination exists" : "cannot write: " + detail;
    case K::Memory:
      return "out of memory";
    default:
      return LastError;
  }
}

void TJwwData::Succeed() {
  LastErrorKind = TJwwErrorKind::None;
  LastError.clear();
}

// ---- Counted texts ----

namespace {

// Reads a length in the archive's escaped form after its first byte, b.
uint64_t ReadEscapedLength(TJwwIn& s, uint8_t b, bool& unicodeMarker) {
  unicodeMarker = false;
  if (b != 0xFF) return b;
  uint16_t w = 0;
  s.Get(w);
  if (w == 0xFFFE) {
    unicodeMarker = true;
    uint8_t b2 = 0;
    s.Get(b2);
    if (b2 != 0xFF) return b2;
    uint16_t w2 = 0;
    s.Get(w2);
    if (w2 != 0xFFFF) return w2;
    uint32_t d = 0;
    s.Get(d);
    return d;
  }
  if (w != 0xFFFF) return w;
  uint32_t d = 0;
  s.Get(d);
  return d;
}

void WriteEscapedLength(TJwwOut& s, uint64_t n) {
  if (n < 0xFF) {
    s.Put(static_cast<uint8_t>(n));
  } else if (n < 0xFFFE) {
    s.Put(uint8_t{0xFF});
    s.Put(static_cast<uint16_t>(n));
  } else {
    s.Put(uint8_t{0xFF});
    s.Put(uint16_t{0xFFFF});
    s.Put(static_cast<uint32_t>(n));
  }
}

}  // namespace

std::string TJwwData::ReadStr(TJwwIn& s) {
  uint8_t b = 0;
  s.Get(b);
  bool unicode = false;
  uint64_t n = ReadEscapedLength(s, b, unicode);
  if (unicode) {
    StrForm = TJwwTextForm::Unicode;
    // A length can claim more than the file holds; only what is there can arrive.
    uint64_t bytes = std::min<uint64_t>(n * 2, s.Remaining());
    std::u16string units(static_cast<size_t>(bytes / 2), u'\0');
    s.Read(units.data(), units.size() * 2);
    if (bytes % 2) s.Skip(1);
    size_t zero = units.find(u'\0');
    if (zero != std::u16string::npos) units.resize(zero);
    return platform::Utf16ToUtf8(units);
  }
  std::string raw(static_cast<size_t>(std::min<uint64_t>(n, s.Remaining())), '\0');
  size_t got = s.Read(raw.data(), raw.size());
  raw.resize(got);
  // Most texts are plain ASCII, the same in both encodings: the bytes read are the text.
  if (const size_t zero = raw.find('\0'); zero != std::string::npos) raw.resize(zero);
  if (platform::IsAscii(raw)) return raw;
  return BytesToStr(raw);
}

std::string TJwwData::ReadName(TJwwIn& s) {
  std::string text = ReadStr(s);
  if (std::none_of(text.begin(), text.end(),
                   [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
    return text;
  return StripCtrl(text);
}

void TJwwData::WriteStr(TJwwOut& s, std::string_view text) {
  size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  if (StrForm == TJwwTextForm::Unicode) {
    std::u16string units = platform::Utf8ToUtf16(text);
    s.Put(uint8_t{0xFF});
    s.Put(uint16_t{0xFFFE});
    WriteEscapedLength(s, units.size());
    s.Write(units.data(), units.size() * 2);
    return;
  }
  if (platform::IsAscii(text)) {
    // Lengths 65534 and 65535 would read back as the Unicode marker and the 32-bit escape
    // under the plain 16-bit form, so from 65534 on the 32-bit escape is the only safe one.
    WriteEscapedLength(s, text.size());
    s.Write(text.data(), text.size());
    return;
  }
  std::string bytes = StrToBytes(text);
  WriteEscapedLength(s, bytes.size());
  s.Write(bytes.data(), bytes.size());
}

void TJwwData::WriteCleanStr(TJwwOut& s, std::string_view text) {
  if (NeedsCleaning(text))
    WriteStr(s, CleanName(text));
  else
    WriteStr(s, text);
}

// ---- Counts and class tags ----

uint32_t TJwwData::ReadCount(TJwwIn& s) {
  uint16_t w = 0;
  s.Get(w);
  if (w != 0xFFFF) return w;
  uint32_t d = 0;
  s.Get(d);
  return d;
}

void TJwwData::WriteCount(TJwwOut& s, uint32_t n) {
  if (n < 0xFFFF) {
    s.Put(static_cast<uint16_t>(n));
  } else {
    s.Put(uint16_t{0xFFFF});
    s.Put(n);
  }
}

TJwwClassTag TJwwData::ReadClassTag(TJwwIn& s) {
  TJwwClassTag tag;
  uint16_t t = 0;
  // Every object of a list stands behind a tag, so a list whose tags run past the end of
  // the file is cut, whatever its count claims.
  if (s.Get(t) != sizeof t) ThrowIO(TJwwErrorKind::Truncated, "the file ends inside a list");
  if (t == 0xFFFF) {
    uint16_t schema = 0, len = 0;
    s.Get(schema);
    if (s.Get(len) != sizeof len) ThrowIO(TJwwErrorKind::Truncated, "the file ends in a class");
    if (len > kMaxClassName) ThrowIO(TJwwErrorKind::Format, "class name too long");
    char name[kMaxClassName];
    size_t got = s.Read(name, len);
    tag.isNew = true;
    tag.name = BytesToStr(std::string_view(name, got));
    tag.index = s.tags.ObjIndex++;
    return tag;
  }
  if (t == 0x7FFF) {
    uint32_t x = 0;
    s.Get(x);
    tag.index = x & 0x7FFFFFFFu;
    return tag;
  }
  tag.index = static_cast<uint32_t>(t) - 0x8000u;  // below 0x8000 this wraps to no class
  return tag;
}

void TJwwData::WriteNewClass(TJwwOut& s, int32_t Ver, TJwwKind kind) {
  const std::string_view name = kClassNames[kind];
  s.Put(uint16_t{0xFFFF});
  s.Put(static_cast<uint16_t>(static_cast<uint32_t>(Ver) & 0xFFFF));
  s.Put(static_cast<uint16_t>(name.size()));
  s.Write(name.data(), name.size());
  s.tags.ClassIndex[kind] = s.tags.ObjIndex++;
}

void TJwwData::WriteClassRef(TJwwOut& s, uint32_t index) {
  if (index < 0x7FFF) {
    s.Put(static_cast<uint16_t>(0x8000 + index));
  } else {
    s.Put(uint16_t{0x7FFF});
    s.Put(index | 0x80000000u);
  }
}

void TJwwData::WriteClassTag(TJwwOut& s, int32_t Ver, TJwwKind kind) {
  if (s.tags.ClassIndex[kind] == 0)
    WriteNewClass(s, Ver, kind);
  else
    WriteClassRef(s, s.tags.ClassIndex[kind]);
}

// ---- Attribute block ----

void TJwwData::ReadAttr(TJwwIn& s, TEntJwwAttr& attr) {
  attr = TEntJwwAttr{};
  s.Get(attr.lGroup);
  s.Get(attr.nPenStyle);
  s.Get(attr.nPenColor);
  if (Enthd.jwVer >= 351) s.Get(attr.nPenWidth);
  s.Get(attr.nLayer);
  s.Get(attr.nGLayer);
  s.Get(attr.sFlg);
}

TEntJwwAttr AttrForWrite(int32_t Ver, const TEntJwwAttr& src, int kind) {
  TEntJwwAttr a = src;
  const bool lineOrArc = kind == kLine || kind == kEnko;
  const bool coloured = kind >= kLine && kind <= kSolid;
  if (Ver < 420) {
    if (lineOrArc) {
      if (InRange(a.nPenStyle, 31, 45))
        a.nPenStyle = kStyleDown[a.nPenStyle - 31];
      else if (InRange(a.nPenStyle, 46, 62))
        a.nPenStyle = DefaultPenStyle();
    }
    if (coloured) {
      if (InRange(a.nPenColor, 101, 116))
        a.nPenColor = kColorDown[a.nPenColor - 101];
      else if (InRange(a.nPenColor, 117, 356))
        a.nPenColor = DefaultPenColor();
    }
  }
  const int st = a.nPenStyle, co = a.nPenColor;
  if (lineOrArc && !(InRange(st, 1, 9) || InRange(st, 11, 19) || InRange(st, 31, 62)))
    a.nPenStyle = DefaultPenStyle();
  if (kind == kTen && st != 1 && st != 100) a.nPenStyle = 1;
  if (kind == kMoji && !InRange(st, 1, 9)) a.nPenStyle = 1;
  if (kind >= kLine && kind <= kSunpo && !(InRange(co, 1, 9) || InRange(co, 101, 356)))
    a.nPenColor = DefaultPenColor();
  if (kind == kSolid && !(InRange(co, 1, 10) || InRange(co, 101, 356)))
    a.nPenColor = DefaultPenColor();
  if (a.nLayer > 15) a.nLayer = 0;
  if (a.nGLayer > 15) a.nGLayer = 0;
  if (a.nPenWidth > 30000) a.nPenWidth = 0;
  return a;
}

void TJwwData::WriteAttr(TJwwOut& s, int32_t Ver, const TEntJwwAttr& attr, int kind) {
  const TEntJwwAttr a = AttrForWrite(Ver, attr, kind);
  s.Put(a.lGroup);
  s.Put(a.nPenStyle);
  s.Put(a.nPenColor);
  if (Ver >= 351) s.Put(a.nPenWidth);
  s.Put(a.nLayer);
  s.Put(a.nGLayer);
  s.Put(a.sFlg);
}

}  // namespace jww
