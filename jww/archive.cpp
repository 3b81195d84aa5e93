#include "jww/archive.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/file.h"

namespace jww {
namespace {

constexpr size_t kBufferSize = 64 * 1024;
// Large enough that handing buffers to the writing thread costs little, small enough that the
// two stay in the cache.
constexpr size_t kOutBufferSize = 256 * 1024;

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

// The thread that writes full buffers to the file; one buffer at a time is in its hands.
struct TJwwOut::Writer {
  explicit Writer(platform::File& f) : file(f), thread([this] { Run(); }) {}
  ~Writer() {
    {
      std::lock_guard lock(m);
      stop = true;
    }
    wake.notify_all();
    thread.join();  // a write in flight ends first: its buffer must outlive it
  }

  // Starts writing n bytes at data; the caller keeps them unchanged until Wait returns.
  void Give(const uint8_t* data, size_t n) {
    {
      std::lock_guard lock(m);
      pending = data;
      size = n;
    }
    wake.notify_all();
  }

  // Waits until no write is in flight; the first failure, if any, stays reported.
  std::error_code Wait() {
    std::unique_lock lock(m);
    done.wait(lock, [&] { return pending == nullptr; });
    return failure;
  }

  void Run() {
    std::unique_lock lock(m);
    for (;;) {
      wake.wait(lock, [&] { return pending != nullptr || stop; });
      if (pending == nullptr) return;
      const uint8_t* data = pending;
      const size_t n = size;
      lock.unlock();
      std::error_code ec;
      // After a failure nothing more goes to the file: the save is lost already.
      const bool ok = failure ? false : file.WriteAll(data, n, ec);
      lock.lock();
      if (!ok && !failure) failure = ec ? ec : std::make_error_code(std::errc::io_error);
      pending = nullptr;
      done.notify_all();
    }
  }

  platform::File& file;
  std::mutex m;
  std::condition_variable wake, done;
  const uint8_t* pending = nullptr;
  size_t size = 0;
  bool stop = false;
  std::error_code failure;
  std::thread thread;  // last: it starts once everything it uses exists
};

TJwwOut::TJwwOut(platform::File& file) : file_(&file), buf_(kOutBufferSize) {}

TJwwOut::TJwwOut(std::string& memory) : memory_(&memory) {}

TJwwOut::~TJwwOut() = default;

void TJwwOut::AwaitWriter() {
  if (!writer_) return;
  if (const std::error_code ec = writer_->Wait()) ThrowIO(TJwwErrorKind::Write, ec.message());
}

// Gives the full buffer to the writing thread and goes on in the other one.
void TJwwOut::HandOver() {
  if (!writer_ && !alone_) {
    try {
      spare_.resize(kOutBufferSize);
      writer_ = std::make_unique<Writer>(*file_);
    } catch (const std::system_error&) {
      alone_ = true;
    } catch (const std::bad_alloc&) {
      alone_ = true;
    }
  }
  if (!writer_) {
    Flush();
    return;
  }
  AwaitWriter();  // the spare buffer is free again
  writer_->Give(buf_.data(), used_);
  std::swap(buf_, spare_);
  flushed_ += used_;
  used_ = 0;
}

void TJwwOut::Flush() {
  if (memory_) return;
  AwaitWriter();
  if (used_ == 0) return;
  std::error_code ec;
  if (!file_->WriteAll(buf_.data(), used_, ec)) ThrowIO(TJwwErrorKind::Write, ec.message());
  flushed_ += used_;
  used_ = 0;
}

void TJwwOut::WriteSlow(const void* src, size_t n) {
  // Fill the buffer to its end first, so that every hand-over is a whole buffer.
  const size_t room = buf_.size() - used_;
  std::memcpy(buf_.data() + used_, src, room);
  used_ += room;
  src = static_cast<const uint8_t*>(src) + room;
  n -= room;
  HandOver();
  if (n >= buf_.size()) {
    AwaitWriter();
    std::error_code ec;
    if (!file_->WriteAll(src, n, ec)) ThrowIO(TJwwErrorKind::Write, ec.message());
    flushed_ += n;
    return;
  }
  std::memcpy(buf_.data(), src, n);
  used_ = n;
}

}  // namespace jww
