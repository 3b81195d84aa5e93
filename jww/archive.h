// Buffered byte streams under the drawing reader and writer, the error they raise, and the
// class-tag state that runs through one file.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <system_error>
#include <type_traits>
#include <vector>

namespace platform {
class File;
}

namespace jww {

class TJwwIoThread;  // a stream's file operations, one at a time, on a thread of its own

static_assert(std::endian::native == std::endian::little,
              "the archive streams copy little-endian file numbers straight into memory");

// Why a load or save failed. The first three are Jw_cad's own messages.
enum class TJwwErrorKind {
  None,
  Header,     // "JWW-Header Error": not the signature of a drawing
  Version,    // "JWW-Version Error": version outside 220..700
  Truncated,  // "File I/O Error": the file ends where data must follow
  Format,     // "File I/O Error": data that no drawing holds (an unknown class name)
  TooLarge,   // a declared count larger than the rest of the file could hold
  Open,       // the file cannot be opened or created
  Write,      // a write, flush or rename failed
  Read,       // the operating system reported a read error
  Memory,     // allocation failed
};

// The input/output error of the library; the public file operations catch it.
class EJwwIOError : public std::runtime_error {
 public:
  EJwwIOError(TJwwErrorKind kind, const std::string& message, std::string detail = {})
      : std::runtime_error(message), kind_(kind), detail_(std::move(detail)) {}
  TJwwErrorKind kind() const { return kind_; }
  const std::string& detail() const { return detail_; }

 private:
  TJwwErrorKind kind_;
  std::string detail_;
};

[[noreturn]] void ThrowIO(TJwwErrorKind kind, std::string detail = {});

// Class indexes and the running object index of one file. Slots 1..7 are the entity kinds,
// slot 8 is the block-definition class; 0 means "not introduced in this file yet".
struct TJwwTagState {
  std::array<uint32_t, 9> ClassIndex{};
  uint32_t ObjIndex = 1;
};

// A place in a file and what lies there, for naming the spot where two files differ.
struct TJwwTracePoint {
  uint64_t offset = 0;
  std::string what;
};

// Reads through a buffer, from a file or from memory. Reads say how many bytes arrived: at
// the end of the data they deliver what is left and leave the rest of the destination as it
// was, which is how the format's unchecked reads behave.
class TJwwIn {
 public:
  explicit TJwwIn(std::span<const uint8_t> memory);
  explicit TJwwIn(platform::File& file);
  TJwwIn(const TJwwIn&) = delete;
  TJwwIn& operator=(const TJwwIn&) = delete;

  size_t Read(void* dst, size_t n) {
    if (n <= static_cast<size_t>(end_ - cur_)) {
      std::memcpy(dst, cur_, n);
      cur_ += n;
      return n;
    }
    const size_t got = ReadSlow(dst, n);
    if (got < n) ranShort_ = true;
    return got;
  }

  // The next n bytes in place, consumed, when the buffer holds them all; null otherwise (then
  // nothing is consumed). Saves copying a record's fixed part before decoding it.
  const uint8_t* Take(size_t n) {
    if (n > static_cast<size_t>(end_ - cur_)) return nullptr;
    const uint8_t* here = cur_;
    cur_ += n;
    return here;
  }

  // True once any read or skip found the data ended before what it asked for: the file is
  // shorter than its own structure says.
  bool RanShort() const { return ranShort_; }

  // A number in file order; partial at the end of the data.
  template <class T>
  size_t Get(T& v) {
    static_assert(std::is_arithmetic_v<T>);
    return Read(&v, sizeof v);
  }

  // Skips up to n bytes; returns how many were skipped.
  uint64_t Skip(uint64_t n);

  uint64_t Position() const { return base_ + static_cast<uint64_t>(cur_ - buf_); }
  uint64_t Remaining() const { return size_ > Position() ? size_ - Position() : 0; }
  uint64_t Size() const { return size_; }

  TJwwTagState tags;
  // When set, the readers note where each section and object starts.
  std::vector<TJwwTracePoint>* trace = nullptr;
  void Note(std::string what) {
    if (trace) trace->push_back({Position(), std::move(what)});
  }

 private:
  size_t ReadSlow(void* dst, size_t n);
  bool Refill();

  platform::File* file_ = nullptr;
  std::vector<uint8_t> storage_;
  const uint8_t* buf_ = nullptr;  // start of the buffered window
  const uint8_t* cur_ = nullptr;
  const uint8_t* end_ = nullptr;
  uint64_t base_ = 0;  // file offset of buf_
  uint64_t size_ = 0;
  bool ranShort_ = false;
  bool atEnd_ = false;  // the file has nothing more to give
};

// Writes through a buffer to a file or appends to a byte string. Every short write and
// every failed flush raises EJwwIOError, so a full disk cannot pass unnoticed.
//
// A file is written by a thread of its own once the first buffer fills: while the system
// copies one buffer into the file the next one is filled, so a large drawing's encoding and
// its writing overlap. A write that fails raises at the next hand-over or flush.
class TJwwOut {
 public:
  explicit TJwwOut(platform::File& file);
  explicit TJwwOut(std::string& memory);
  ~TJwwOut();
  TJwwOut(const TJwwOut&) = delete;
  TJwwOut& operator=(const TJwwOut&) = delete;

  void Write(const void* src, size_t n) {
    if (memory_) {
      memory_->append(static_cast<const char*>(src), n);
      return;
    }
    if (n <= buf_.size() - used_) {
      std::memcpy(buf_.data() + used_, src, n);
      used_ += n;
      return;
    }
    WriteSlow(src, n);
  }

  template <class T>
  void Put(T v) {
    static_assert(std::is_arithmetic_v<T>);
    Write(&v, sizeof v);
  }

  // Room for n bytes in the buffer, to be filled in place and then committed; null when the
  // buffer lacks the room (a stream into a string has none), and the bytes then go to Write.
  // Saves building a record aside and copying it in.
  uint8_t* Room(size_t n) { return n <= buf_.size() - used_ ? buf_.data() + used_ : nullptr; }
  void Commit(size_t n) { used_ += n; }

  // Hands the buffered bytes to the file and waits until every byte is written; raises on
  // failure.
  void Flush();
  uint64_t Position() const { return memory_ ? memory_->size() : flushed_ + used_; }

  TJwwTagState tags;

 private:
  void WriteSlow(const void* src, size_t n);
  void HandOver();
  void AwaitWriter();

  platform::File* file_ = nullptr;
  std::string* memory_ = nullptr;
  bool alone_ = false;                // no thread could be started: every write is made here
  std::vector<uint8_t> buf_, spare_;  // spare_: the buffer the thread writes
  size_t used_ = 0;
  uint64_t flushed_ = 0;
  std::error_code writeError_;        // the thread's first failure
  std::unique_ptr<TJwwIoThread> io_;  // last, so gone first: a write in flight ends before
                                      // the buffer it writes
};

}  // namespace jww
