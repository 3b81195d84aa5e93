#include "platform/text.h"

#include <errno.h>
#include <iconv.h>
#include <unicode/ucasemap.h>
#include <unicode/ustring.h>
#include <unicode/utypes.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace platform {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// One converter per thread and direction: iconv_open is far too slow to pay per text, and a
// descriptor must not be shared between threads that convert at the same time.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts as much as it can; returns false with errno set where it had to stop.
  // in/inLeft and out/outLeft advance past what was converted.
  bool Step(const char*& in, size_t& inLeft, char*& out, size_t& outLeft) {
    char* src = const_cast<char*>(in);
    size_t r = iconv(cd_, &src, &inLeft, &out, &outLeft);
    in = src;
    if (r == static_cast<size_t>(-1)) return false;
    return true;
  }
  void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

 private:
  iconv_t cd_;
};

Converter& Decoder() {
  thread_local Converter c("UTF-8", "CP932");
  return c;
}
Converter& Encoder() {
  thread_local Converter c("CP932", "UTF-8");
  return c;
}

// Length of the well-formed UTF-8 sequence at p, or 0 when the bytes there are malformed.
size_t Utf8SeqLen(const unsigned char* p, size_t left) {
  unsigned char b = p[0];
  size_t n;
  char32_t min;
  if (b < 0x80) return 1;
  if (b >= 0xC2 && b <= 0xDF) {
    n = 2;
    min = 0x80;
  } else if (b >= 0xE0 && b <= 0xEF) {
    n = 3;
    min = 0x800;
  } else if (b >= 0xF0 && b <= 0xF4) {
    n = 4;
    min = 0x10000;
  } else {
    return 0;
  }
  if (left < n) return 0;
  char32_t cp = b & (0x7F >> n);
  for (size_t i = 1; i < n; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (p[i] & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

// Runs one direction of conversion to the end, calling onBad for each stop; onBad returns how
// many input bytes to skip and appends its substitute to the output.
template <class OnBad>
std::string Convert(Converter& cv, std::string_view input, size_t growth, OnBad onBad) {
  std::string out;
  out.resize(input.size() * growth + 16);
  const char* in = input.data();
  size_t inLeft = input.size();
  size_t used = 0;
  cv.Reset();
  while (true) {
    char* dst = out.data() + used;
    size_t outLeft = out.size() - used;
    bool ok = cv.Step(in, inLeft, dst, outLeft);
    used = out.size() - outLeft;
    if (ok) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // EILSEQ or EINVAL: the bytes at `in` cannot be converted.
    out.resize(used);
    size_t skip = onBad(in, inLeft, out);
    used = out.size();
    out.resize(used + inLeft * growth + 16);
    in += skip;
    inLeft -= skip;
    cv.Reset();
  }
  out.resize(used);
  return out;
}

// What iconv makes of one character, remembered: the code page is stateless, so a
// character converts the same wherever it stands, and a drawing repeats the same few hundred
// characters many thousand times. Entries are filled on first use from iconv itself, so the
// cache can only ever agree with it. An entry packs, in one 64-bit word that threads may
// fill at the same time (they all store the same value): bit 63 filled, bit 62 "too long,
// ask iconv", bits 56-58 input bytes consumed, bits 48-50 output bytes, bits 0-31 output.
constexpr uint64_t kFilled = uint64_t{1} << 63, kSlow = uint64_t{1} << 62;

uint64_t Pack(size_t consumed, std::string_view out) {
  if (out.size() > 4) return kFilled | kSlow;
  uint64_t v = kFilled | (uint64_t{consumed} << 56) | (uint64_t{out.size()} << 48);
  for (size_t i = 0; i < out.size(); ++i)
    v |= uint64_t{static_cast<unsigned char>(out[i])} << (8 * i);
  return v;
}

// Stores an entry's output at `out` (which has room for four bytes) and moves past it.
inline char* PutPacked(char* out, uint64_t v) {
  const uint32_t bytes = static_cast<uint32_t>(v);
  std::memcpy(out, &bytes, 4);  // little-endian: the first output byte is the lowest
  return out + ((v >> 48) & 7);
}

// Decoding: indexed by the byte at hand (0x80-0xFF) and the byte after it, or 0x100 past
// the table's pairs for a byte that ends the input.
std::atomic<uint64_t> gDecoded[128 * 257];
// Encoding: indexed by the code point of the Basic Multilingual Plane.
std::atomic<uint64_t> gEncoded[0x10000];

// One step of iconv over `len` bytes; false where it stopped. `consumed` and `out` say what
// it got through before that.
bool Step(Converter& cv, const char* at, size_t len, size_t& consumed, std::string& out) {
  cv.Reset();
  char buf[16];
  const char* in = at;
  size_t inLeft = len;
  char* dst = buf;
  size_t outLeft = sizeof buf;
  const bool ok = cv.Step(in, inLeft, dst, outLeft);
  consumed = static_cast<size_t>(in - at);
  out.assign(buf, sizeof buf - outLeft);
  return ok;
}

// The character at `at`: a byte alone first, so that two single-byte characters never make
// one entry; a pair only where the byte alone is the incomplete start of one.
uint64_t DecodeOne(const char* at, size_t len) {
  Converter& cv = Decoder();
  size_t consumed = 0;
  std::string out;
  if (Step(cv, at, 1, consumed, out)) return Pack(1, out);
  if (errno == EINVAL && len == 2 && Step(cv, at, 2, consumed, out) && consumed == 2)
    return Pack(2, out);
  // A stop at the first byte costs that byte one replacement, as in the general path.
  return Pack(1, kReplacement);
}

uint64_t EncodeOne(std::string_view seq) {
  size_t consumed = 0;
  std::string out;
  if (!Step(Encoder(), seq.data(), seq.size(), consumed, out) || consumed != seq.size())
    return Pack(seq.size(), "?");
  return Pack(seq.size(), out);
}

}  // namespace

bool IsAscii(std::string_view bytes) {
  const char* p = bytes.data();
  size_t n = bytes.size();
  for (; n >= 8; p += 8, n -= 8) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    if (w & 0x8080808080808080u) return false;
  }
  for (; n > 0; ++p, --n)
    if (static_cast<unsigned char>(*p) >= 0x80) return false;
  return true;
}

std::string Cp932ToUtf8(std::string_view bytes) {
  if (IsAscii(bytes)) return std::string(bytes);
  // No byte becomes more than three: a pair or a single byte decodes to at most three bytes
  // of UTF-8, as does the replacement for a byte that cannot be decoded. One more for the
  // four-byte stores.
  std::string out(bytes.size() * 3 + 1, '\0');
  char* o = out.data();
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t i = 0;
  const size_t n = bytes.size();
  while (i < n) {
    if (p[i] < 0x80) {
      *o++ = static_cast<char>(p[i++]);
      continue;
    }
    const bool last = i + 1 == n;
    std::atomic<uint64_t>& slot = gDecoded[(p[i] - 0x80) * 257 + (last ? 0x100 : p[i + 1])];
    uint64_t v = slot.load(std::memory_order_relaxed);
    if (!(v & kFilled)) {
      v = DecodeOne(bytes.data() + i, last ? 1 : 2);
      slot.store(v, std::memory_order_relaxed);
    }
    if ((v & kSlow) || ((v >> 48) & 7) > 3) return detail::Cp932ToUtf8ByIconv(bytes);
    o = PutPacked(o, v);
    i += (v >> 56) & 7;
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

std::string Utf8ToCp932(std::string_view text) {
  if (IsAscii(text)) return std::string(text);
  // Never longer than the text: a character of two or more bytes becomes at most two, and a
  // malformed byte one '?'. Two more for the four-byte stores.
  std::string out(text.size() + 2, '\0');
  char* o = out.data();
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    if (p[i] < 0x80) {
      *o++ = static_cast<char>(p[i++]);
      continue;
    }
    const size_t len = Utf8SeqLen(p + i, n - i);
    if (len == 0) {  // malformed: one '?' per byte
      *o++ = '?';
      ++i;
      continue;
    }
    char32_t cp = p[i] & (0x7F >> len);
    for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (p[i + k] & 0x3F);
    uint64_t v;
    if (cp > 0xFFFF) {  // beyond the BMP, where the code page has nothing; rare enough
      v = EncodeOne(text.substr(i, len));
    } else {
      std::atomic<uint64_t>& slot = gEncoded[cp];
      v = slot.load(std::memory_order_relaxed);
      if (!(v & kFilled)) {
        v = EncodeOne(text.substr(i, len));
        slot.store(v, std::memory_order_relaxed);
      }
    }
    if ((v & kSlow) || ((v >> 48) & 7) > 2) return detail::Utf8ToCp932ByIconv(text);
    o = PutPacked(o, v);
    i += len;
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

namespace detail {

std::string Cp932ToUtf8ByIconv(std::string_view bytes) {
  return Convert(Decoder(), bytes, 3, [](const char*, size_t, std::string& out) {
    out += kReplacement;
    return size_t{1};
  });
}

std::string Utf8ToCp932ByIconv(std::string_view text) {
  return Convert(Encoder(), text, 2, [](const char* in, size_t left, std::string& out) {
    out += '?';
    size_t n = Utf8SeqLen(reinterpret_cast<const unsigned char*>(in), left);
    return n == 0 ? size_t{1} : n;
  });
}

}  // namespace detail

std::string Utf16ToUtf8(std::u16string_view units) {
  std::string out;
  if (units.empty()) return out;
  out.resize(units.size() * 3);
  int32_t len = 0;
  UErrorCode err = U_ZERO_ERROR;
  u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &len,
                     reinterpret_cast<const UChar*>(units.data()),
                     static_cast<int32_t>(units.size()), 0xFFFD, nullptr, &err);
  if (U_FAILURE(err)) return std::string();
  out.resize(static_cast<size_t>(len));
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  if (text.empty()) return out;
  out.resize(text.size());
  int32_t len = 0;
  UErrorCode err = U_ZERO_ERROR;
  u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()), &len,
                       text.data(), static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &err);
  if (U_FAILURE(err)) return std::u16string();
  out.resize(static_cast<size_t>(len));
  return out;
}

namespace {

// The default locale ("") is the one ICU took from the environment at start.
UCaseMap* CaseMap() {
  thread_local struct Holder {
    UCaseMap* map = nullptr;
    Holder() {
      UErrorCode err = U_ZERO_ERROR;
      map = ucasemap_open("", 0, &err);
      if (U_FAILURE(err)) map = nullptr;
    }
    ~Holder() {
      if (map) ucasemap_close(map);
    }
  } holder;
  return holder.map;
}

template <class Fn>
std::string MapCase(std::string_view text, Fn fn) {
  if (text.empty()) return std::string();
  UCaseMap* map = CaseMap();
  if (!map) return std::string(text);
  std::string out(text.size() + 16, '\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    UErrorCode err = U_ZERO_ERROR;
    int32_t len = fn(map, out.data(), static_cast<int32_t>(out.size()), text.data(),
                     static_cast<int32_t>(text.size()), &err);
    if (err == U_BUFFER_OVERFLOW_ERROR) {
      out.resize(static_cast<size_t>(len) + 1);
      continue;
    }
    if (U_FAILURE(err)) return std::string(text);
    out.resize(static_cast<size_t>(len));
    return out;
  }
  return std::string(text);
}

}  // namespace

std::string LocaleUpper(std::string_view text) {
  return MapCase(text, ucasemap_utf8ToUpper);
}
std::string LocaleLower(std::string_view text) {
  return MapCase(text, ucasemap_utf8ToLower);
}

}  // namespace platform
