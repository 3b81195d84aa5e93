#include "jww/archive.h"

#include <algorithm>

#include "platform/file.h"

namespace jww {
namespace {

constexpr size_t kBufferSize = 64 * 1024;

const char* MessageOf(TJwwErrorKind kind) {
  switch (kind) {
    case TJwwErrorKind::Header:
      return "JWW-Header Error";
    case TJwwErrorKind::Version:
      return "JWW-Version Error";
    default:
      return "File I/O Error";
  }
}

}  // namespace

void ThrowIO(TJwwErrorKind kind, std::string detail) {
  throw EJwwIOError(kind, MessageOf(kind), std::move(detail));
}

TJwwIn::TJwwIn(std::span<const uint8_t> memory)
    : buf_(memory.data()),
      cur_(memory.data()),
      end_(memory.data() + memory.size()),
      size_(memory.size()) {}

TJwwIn::TJwwIn(platform::File& file) : file_(&file), storage_(kBufferSize) {
  std::error_code ec;
  size_ = file.Size(ec);
  if (ec) ThrowIO(TJwwErrorKind::Read, ec.message());
  buf_ = cur_ = end_ = storage_.data();
}

bool TJwwIn::Refill() {
  if (!file_ || atEnd_) return false;
  base_ += static_cast<uint64_t>(end_ - buf_);
  std::error_code ec;
  size_t got = file_->Read(storage_.data(), storage_.size(), ec);
  if (ec) ThrowIO(TJwwErrorKind::Read, ec.message());
  buf_ = cur_ = storage_.data();
  end_ = buf_ + got;
  // A short read is the end of the file; asking again would cost a system call per field.
  if (got < storage_.size()) atEnd_ = true;
  return got > 0;
}

size_t TJwwIn::ReadSlow(void* dst, size_t n) {
  auto* out = static_cast<uint8_t*>(dst);
  size_t done = 0;
  while (done < n) {
    size_t avail = static_cast<size_t>(end_ - cur_);
    if (avail == 0) {
      // Large reads bypass the buffer once it is drained.
      if (file_ && !atEnd_ && n - done >= storage_.size()) {
        base_ += static_cast<uint64_t>(end_ - buf_);
        buf_ = cur_ = end_ = storage_.data();
        std::error_code ec;
        size_t got = file_->Read(out + done, n - done, ec);
        if (ec) ThrowIO(TJwwErrorKind::Read, ec.message());
        base_ += got;
        done += got;
        if (done < n) atEnd_ = true;
        break;
      }
      if (!Refill()) break;
      continue;
    }
    size_t take = std::min(avail, n - done);
    std::memcpy(out + done, cur_, take);
    cur_ += take;
    done += take;
  }
  return done;
}

uint64_t TJwwIn::Skip(uint64_t n) {
  uint64_t done = 0;
  while (done < n) {
    size_t avail = static_cast<size_t>(end_ - cur_);
    if (avail == 0 && !Refill()) break;
    avail = static_cast<size_t>(end_ - cur_);
    size_t take = static_cast<size_t>(std::min<uint64_t>(avail, n - done));
    cur_ += take;
    done += take;
  }
  if (done < n) ranShort_ = true;
  return done;
}

TJwwOut::TJwwOut(platform::File& file) : file_(&file), buf_(kBufferSize) {}

TJwwOut::TJwwOut(std::string& memory) : memory_(&memory) {}

void TJwwOut::Flush() {
  if (memory_ || used_ == 0) return;
  std::error_code ec;
  if (!file_->WriteAll(buf_.data(), used_, ec)) ThrowIO(TJwwErrorKind::Write, ec.message());
  flushed_ += used_;
  used_ = 0;
}

void TJwwOut::WriteSlow(const void* src, size_t n) {
  Flush();
  if (n >= buf_.size()) {
    std::error_code ec;
    if (!file_->WriteAll(src, n, ec)) ThrowIO(TJwwErrorKind::Write, ec.message());
    flushed_ += n;
    return;
  }
  std::memcpy(buf_.data(), src, n);
  used_ = n;
}

}  // namespace jww
