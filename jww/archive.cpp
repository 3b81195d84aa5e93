#include "jww/archive.h"

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/file.h"

namespace jww {
namespace {

constexpr size_t kBufferSize = 64 * 1024;
// Buffers that pass between threads: large enough that handing them over costs little,
// small enough that the two stay in the cache.
constexpr size_t kSharedBufferSize = 256 * 1024;

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

// Runs one operation at a time, handed over by the thread that owns the stream.
class TJwwIoThread {
 public:
  TJwwIoThread() : thread_([this] { Run(); }) {}  // raises std::system_error
  TJwwIoThread(const TJwwIoThread&) = delete;
  TJwwIoThread& operator=(const TJwwIoThread&) = delete;
  ~TJwwIoThread() {
    {
      std::lock_guard lock(m_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();  // an operation handed over runs to its end first
  }

  // The previous operation must have been waited for.
  void Start(std::function<void()> op) {
    {
      std::lock_guard lock(m_);
      op_ = std::move(op);
    }
    wake_.notify_all();
  }

  // Returns once the operation handed over, if any, has ended; what it wrote is then seen.
  void Wait() {
    std::unique_lock lock(m_);
    done_.wait(lock, [&] { return !op_; });
  }

 private:
  void Run() {
    std::unique_lock lock(m_);
    for (;;) {
      wake_.wait(lock, [&] { return op_ || stop_; });
      if (!op_) return;
      lock.unlock();
      op_();  // the owner leaves op_ alone until Wait sees it done
      lock.lock();
      op_ = nullptr;
      done_.notify_all();
    }
  }

  std::mutex m_;
  std::condition_variable wake_, done_;
  std::function<void()> op_;
  bool stop_ = false;
  std::thread thread_;  // last: it starts once everything it uses exists
};

namespace {

// A thread for a stream, or null when the system will not start one; the stream then does
// its writes itself.
std::unique_ptr<TJwwIoThread> StartIoThread() {
  try {
    return std::make_unique<TJwwIoThread>();
  } catch (const std::system_error&) {
    return nullptr;
  }
}

}  // namespace

// A small drawing never fills the first buffer, so it starts at the reading size; the
// buffers that pass between threads take their size at the first hand-over.
TJwwOut::TJwwOut(platform::File& file) : file_(&file), buf_(kBufferSize) {}

TJwwOut::TJwwOut(std::string& memory) : memory_(&memory) {}

TJwwOut::~TJwwOut() = default;

void TJwwOut::AwaitWriter() {
  if (!io_) return;
  io_->Wait();
  if (writeError_) ThrowIO(TJwwErrorKind::Write, writeError_.message());
}

// Gives the full buffer to the writing thread and goes on in the other one.
void TJwwOut::HandOver() {
  if (!io_ && !alone_) {
    io_ = StartIoThread();
    alone_ = !io_;
  }
  if (!io_) {
    Flush();
    return;
  }
  AwaitWriter();  // the spare buffer is free again
  if (spare_.size() < kSharedBufferSize) spare_.resize(kSharedBufferSize);
  std::swap(buf_, spare_);
  io_->Start([this, data = spare_.data(), n = used_] {
    // After a failure nothing more goes to the file: the save is lost already.
    if (writeError_) return;
    if (!file_->WriteAll(data, n, writeError_) && !writeError_)
      writeError_ = std::make_error_code(std::errc::io_error);
  });
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
