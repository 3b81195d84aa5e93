// Embedded pictures: the image section, the picture files in the working folder, and the
// gzip handling of stored pictures.
#include <zlib.h>

#include <cstdio>
#include <limits>

#include "jww/internal.h"
#include "jww/strutil.h"
#include "platform/file.h"

namespace jww {
namespace {

constexpr size_t kCopyBlock = 64 * 1024;
constexpr std::string_view kTempRef = "^@BM%temp%";

// Smallest record of the image section: an empty name and the size.
constexpr uint64_t kMinImageBytes = 1 + 4;

// The extension of a name as the picture rules see it: from the last dot after the last
// path delimiter, dot included; empty when there is none.
std::string_view LastExtension(std::string_view name) {
  const size_t slash = name.find_last_of("\\/");
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return name.substr(dot);
}

bool EndsGz(std::string_view name) {
  return LowerStr(LastExtension(name)) == ".gz";
}

std::string WithoutLastExtension(std::string_view name) {
  return std::string(name.substr(0, name.size() - LastExtension(name).size()));
}

// A stored name that is safe to use as a file name inside the folder as it stands.
bool IsPlainName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of(std::string_view("/\\:\0", 4)) == std::string_view::npos;
}

uint32_t Fnv1a(std::string_view s) {
  uint32_t h = 2166136261u;
  for (unsigned char c : s) h = (h ^ c) * 16777619u;
  return h;
}

bool Exists(const std::filesystem::path& p) {
  std::error_code ec;
  return std::filesystem::is_regular_file(p, ec);
}

void RemoveIfExists(const std::filesystem::path& p) {
  std::error_code ec;
  if (Exists(p)) std::filesystem::remove(p, ec);
}

// Runs zlib over a whole file into another; false on any failure.
template <class Init, class Step, class End>
bool ZStream(const std::filesystem::path& from, const std::filesystem::path& to, Init init,
             Step step, End end) {
  std::error_code ec;
  platform::File in = platform::File::OpenRead(from, ec);
  if (!in.IsOpen()) return false;
  platform::File out = platform::File::CreateOrTruncate(to, ec);
  if (!out.IsOpen()) return false;
  z_stream z{};
  if (init(z) != Z_OK) return false;
  std::vector<unsigned char> ibuf(kCopyBlock), obuf(kCopyBlock);
  bool ok = true, done = false;
  while (ok && !done) {
    const size_t got = in.Read(ibuf.data(), ibuf.size(), ec);
    if (ec) {
      ok = false;
      break;
    }
    const bool last = got < ibuf.size();
    z.next_in = ibuf.data();
    z.avail_in = static_cast<uInt>(got);
    do {
      z.next_out = obuf.data();
      z.avail_out = static_cast<uInt>(obuf.size());
      const int r = step(z, last);
      if (r == Z_STREAM_END) done = true;
      if (r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR) ok = false;
      const size_t produced = obuf.size() - z.avail_out;
      if (ok && produced && !out.WriteAll(obuf.data(), produced, ec)) ok = false;
      if (r == Z_BUF_ERROR && z.avail_out != 0) break;  // needs input that is not there
    } while (ok && !done && z.avail_out == 0);
    if (last && !done) ok = false;  // the stream ended before its end marker
  }
  end(z);
  return out.Close(ec) && ok;
}

bool Gunzip(const std::filesystem::path& from, const std::filesystem::path& to) {
  return ZStream(
      from, to, [](z_stream& z) { return inflateInit2(&z, 31); },
      [](z_stream& z, bool) { return inflate(&z, Z_NO_FLUSH); },
      [](z_stream& z) { inflateEnd(&z); });
}

bool Gzip(const std::filesystem::path& from, const std::filesystem::path& to) {
  return ZStream(
      from, to,
      [](z_stream& z) { return deflateInit2(&z, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY); },
      [](z_stream& z, bool last) { return deflate(&z, last ? Z_FINISH : Z_NO_FLUSH); },
      [](z_stream& z) { deflateEnd(&z); });
}

}  // namespace

std::string BindImageFileName(std::string_view name) {
  if (IsPlainName(name)) return std::string(name);
  // Keep something recognisable of the stored name, but nothing that could climb out of
  // the folder; the hash keeps different stored names apart.
  std::string safe;
  for (char c : name) safe += (c == '/' || c == '\\' || c == ':' || c == '\0') ? '_' : c;
  char tag[16];
  std::snprintf(tag, sizeof tag, "~%08x~", Fnv1a(name));
  return tag + safe;
}

std::filesystem::path TJwwData::BindImagePath(std::string_view name) const {
  if (BindImageFolder.empty()) return {};
  return std::filesystem::path(BindImageFolder + BindImageFileName(name));
}

void TJwwData::ReadImageSection(TJwwIn& s) {
  if (Enthd.jwVer < 700) return;
  BindImageInit();
  if (!BindImageExp && !BindImageExr) return;
  int32_t count = 0;
  const size_t got = s.Get(count);
  if (got == 0) return;  // the drawing ends where its picture count would stand: no pictures
  if (got < sizeof count) ThrowIO(TJwwErrorKind::Truncated, "the file ends in the picture count");
  if (count <= 0) return;
  if (static_cast<uint64_t>(count) > s.Remaining() / kMinImageBytes + 1)
    ThrowIO(TJwwErrorKind::TooLarge, "picture count " + std::to_string(count) +
                                         " is larger than the rest of the file could hold");
  BindImage.assign(static_cast<size_t>(count), TBindImageType{});
  BindImageN = count;
  bool extract = BindImageExp && (!BindImageFolder.empty() || BindImageFolderOnDemand);
  std::vector<uint8_t> buf(kCopyBlock);
  for (TBindImageType& img : BindImage) {
    if (s.trace) s.Note("picture " + std::to_string(&img - BindImage.data()));
    img.Fname = ReadName(s);
    s.Get(img.Fsize);
    if (img.Fname.empty() || img.Fsize == 0) continue;
    const uint64_t size = img.Fsize > 0 ? static_cast<uint64_t>(img.Fsize) : 0;
    if (extract && BindImageFolder.empty()) {
      BindImageFolder = BindImageFolderOnDemand();
      // No folder could be made: the pictures are skipped, and a job that needs one of
      // them learns it from the missing file.
      extract = !BindImageFolder.empty();
    }
    if (!extract) {
      s.Skip(size);
      continue;
    }
    const auto path = BindImagePath(img.Fname);
    std::error_code ec;
    platform::File f = platform::File::CreateOrTruncate(path, ec);
    uint64_t left = size;
    bool ok = f.IsOpen();
    while (ok && left > 0) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(left, buf.size()));
      const size_t n = s.Read(buf.data(), want);
      if (n == 0) break;  // a drawing cut inside the picture: a shorter file, no error
      ok = f.WriteAll(buf.data(), n, ec);
      left -= n;
    }
    if (f.IsOpen()) ok = f.Close(ec) && ok;
    if (!ok) {
      // This picture is lost, the drawing is not: the entry stays, its file does not.
      RemoveIfExists(path);
      s.Skip(left);
    }
  }
}

void TJwwData::BindImageExplode() {
  for (const TBindImageType& img : BindImage) {
    if (!EndsGz(img.Fname)) continue;
    const auto stored = BindImagePath(img.Fname);
    if (!Exists(stored)) continue;
    const auto target = BindImagePath(WithoutLastExtension(img.Fname));
    // Never over another entry's stored picture (x.bmp beside x.bmp.gz): that one is
    // written back as stored.
    bool taken = false;
    for (const TBindImageType& other : BindImage)
      if (BindImagePath(other.Fname) == target) taken = true;
    if (taken) continue;
    Gunzip(stored, target);  // a failure leaves the stored file untouched
  }
}

void TJwwData::BindImagePack() {
  for (TBindImageType& img : BindImage) {
    if (img.Fname.empty() || EndsGz(img.Fname)) continue;
    const auto plain = BindImagePath(img.Fname);
    if (!Exists(plain)) continue;
    const std::string gzName = img.Fname + ".gz";
    const auto packed = BindImagePath(gzName);
    bool taken = false;
    for (const TBindImageType& other : BindImage)
      if (&other != &img && BindImagePath(other.Fname) == packed) taken = true;
    if (taken) continue;
    Gzip(plain, packed);
    if (Exists(packed)) {
      img.Fname = gzName;
      std::error_code ec;
      const auto size = std::filesystem::file_size(packed, ec);
      if (!ec && size <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
        img.Fsize = static_cast<int32_t>(size);  // what the drawing will store
    }
  }
}

void TJwwData::BindImageCopy(const std::string& dst) {
  std::string folder = dst;
  if (folder.empty() || folder.back() != '/') folder += '/';
  for (const TBindImageType& img : BindImage) {
    const std::string name = EndsGz(img.Fname) ? WithoutLastExtension(img.Fname) : img.Fname;
    const auto from = BindImagePath(name);
    if (!Exists(from)) continue;
    std::error_code ec;
    std::filesystem::copy_file(from, folder + BindImageFileName(name),
                               std::filesystem::copy_options::overwrite_existing, ec);
  }
}

void TJwwData::BindImageDeleteFile() {
  for (const TBindImageType& img : BindImage) RemoveIfExists(BindImagePath(img.Fname));
}

void TJwwData::BindImageDeleteGzFile() {
  for (const TBindImageType& img : BindImage)
    if (EndsGz(img.Fname)) RemoveIfExists(BindImagePath(img.Fname));
}

void TJwwData::BindImageDeleteNonGzFile() {
  for (const TBindImageType& img : BindImage)
    RemoveIfExists(BindImagePath(EndsGz(img.Fname) ? WithoutLastExtension(img.Fname) : img.Fname));
}

void TJwwData::BindImageMark() {
  for (auto& img : BindImage) img.exf = false;
  if (BindImage.empty()) return;
  std::vector<std::string> upper;
  upper.reserve(BindImage.size());
  for (const auto& img : BindImage) upper.push_back(UpperStr(img.Fname));
  auto mark = [&](const std::string& str) {
    if (str.size() <= kTempRef.size() || !str.starts_with(kTempRef)) return;
    const size_t comma = str.find(',');
    if (comma == std::string::npos || comma == kTempRef.size()) return;
    const std::string ref =
        UpperStr(std::string_view(str).substr(kTempRef.size(), comma - kTempRef.size()));
    for (size_t i = 0; i < upper.size(); ++i) {
      if (upper[i].starts_with(ref)) {
        BindImage[i].exf = true;
        return;
      }
    }
  };
  auto markList = [&](const std::vector<TEntJwwNo>& order, int32_t len,
                      const std::vector<TEntJwwMoji>& texts) {
    const size_t n = std::min<size_t>(len > 0 ? static_cast<size_t>(len) : 0, order.size());
    for (size_t i = 0; i < n; ++i) {
      const TEntJwwNo& e = order[i];
      if (e.EntType == kMoji && e.EntNo >= 0 && static_cast<size_t>(e.EntNo) < texts.size())
        mark(texts[e.EntNo].str);
    }
  };
  markList(EntNo, Enthd.n1, EntMoji);
  const size_t defs = std::min<size_t>(EntBlockDefN > 0 ? EntBlockDefN : 0, EntBlockDef.size());
  for (size_t k = 0; k < defs; ++k)
    markList(EntBlockDef[k].mNo, EntBlockDef[k].N, EntBlockDef[k].mMoji);
}

void TJwwData::WriteImageSection(TJwwOut& s, int32_t Ver) {
  if (Ver < 700) return;
  BindImageMark();
  // Presence, with the size each picture will be stored with.
  std::vector<int32_t> sizes(BindImage.size(), 0);
  int32_t count = 0;
  for (size_t i = 0; i < BindImage.size(); ++i) {
    TBindImageType& img = BindImage[i];
    if (!img.exf) continue;
    std::error_code ec;
    platform::File f = platform::File::OpenRead(BindImagePath(img.Fname), ec);
    const uint64_t size = f.IsOpen() ? f.Size(ec) : 0;
    if (!f.IsOpen() || ec) {
      img.exf = false;
      continue;
    }
    if (size > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
      ThrowIO(TJwwErrorKind::Write, "picture " + img.Fname + " is 2 GiB or larger");
    sizes[i] = static_cast<int32_t>(size);
    ++count;
  }
  if (!BindImageExp && !BindImageExr) {
    for (auto& img : BindImage) img.exf = false;
    count = 0;
  }
  s.Put(count);
  std::vector<uint8_t> buf(kCopyBlock);
  for (size_t i = 0; i < BindImage.size(); ++i) {
    const TBindImageType& img = BindImage[i];
    if (!img.exf) continue;
    WriteStr(s, img.Fname);
    s.Put(sizes[i]);
    // The record must agree with its size even if the file changed since it was measured:
    // what is missing is filled with zeros, what is extra is left out.
    uint64_t left = static_cast<uint64_t>(sizes[i]);
    std::error_code ec;
    platform::File f = platform::File::OpenRead(BindImagePath(img.Fname), ec);
    while (f.IsOpen() && left > 0) {
      const size_t n =
          f.Read(buf.data(), static_cast<size_t>(std::min<uint64_t>(left, buf.size())), ec);
      if (n == 0) break;
      s.Write(buf.data(), n);
      left -= n;
    }
    std::fill(buf.begin(), buf.end(), 0);
    while (left > 0) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(left, buf.size()));
      s.Write(buf.data(), n);
      left -= n;
    }
  }
}

}  // namespace jww
