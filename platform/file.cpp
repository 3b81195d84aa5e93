#include "platform/file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>

namespace platform {
namespace {

std::error_code LastError() {
  return std::error_code(errno, std::generic_category());
}

}  // namespace

File::~File() {
  if (fd_ >= 0) ::close(fd_);
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

File File::OpenRead(const std::filesystem::path& path, std::error_code& ec) {
  ec.clear();
  // Without blocking: a pipe put where a file was would otherwise wait for a writer forever.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    ec = LastError();
    return File();
  }
  struct stat st {};
  const bool known = ::fstat(fd, &st) == 0;
  if (!known || !S_ISREG(st.st_mode)) {
    ec = !known                ? LastError()
         : S_ISDIR(st.st_mode) ? std::make_error_code(std::errc::is_a_directory)
                               : std::make_error_code(std::errc::invalid_argument);  // pipe, device
    ::close(fd);
    return File();
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
    ec = LastError();
    ::close(fd);
    return File();
  }
  return File(fd);
}

File File::CreateNew(const std::filesystem::path& path, std::error_code& ec) {
  ec.clear();
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    ec = LastError();
    return File();
  }
  ::flock(fd, LOCK_EX | LOCK_NB);  // advisory only; a fresh file cannot be contended
  return File(fd);
}

File File::CreateOrTruncate(const std::filesystem::path& path, std::error_code& ec) {
  ec.clear();
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    ec = LastError();
    return File();
  }
  return File(fd);
}

File File::CreateTemp(const std::filesystem::path& folder, const std::string& stem,
                      std::filesystem::path& created, std::error_code& ec) {
  static std::atomic<unsigned> counter{0};
  const unsigned long long seed =
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, "-%d-%llx-%u.tmp", static_cast<int>(::getpid()),
                  (seed >> 4) & 0xFFFFFFull, counter.fetch_add(1));
    std::filesystem::path candidate = folder / (stem + suffix);
    File f = CreateNew(candidate, ec);
    if (f.IsOpen()) {
      created = candidate;
      return f;
    }
    if (ec != std::errc::file_exists) return File();
  }
  return File();
}

size_t File::Read(void* dst, size_t n, std::error_code& ec) {
  ec.clear();
  size_t done = 0;
  auto* p = static_cast<unsigned char*>(dst);
  while (done < n) {
    ssize_t r = ::read(fd_, p + done, n - done);
    if (r < 0) {
      if (errno == EINTR) continue;
      ec = LastError();
      break;
    }
    if (r == 0) break;
    done += static_cast<size_t>(r);
  }
  return done;
}

bool File::WriteAll(const void* src, size_t n, std::error_code& ec) {
  ec.clear();
  size_t done = 0;
  const auto* p = static_cast<const unsigned char*>(src);
  while (done < n) {
    ssize_t r = ::write(fd_, p + done, n - done);
    if (r < 0) {
      if (errno == EINTR) continue;
      ec = LastError();
      return false;
    }
    if (r == 0) {
      ec = std::make_error_code(std::errc::no_space_on_device);
      return false;
    }
    done += static_cast<size_t>(r);
  }
  return true;
}

bool File::Sync(std::error_code& ec) {
  ec.clear();
  if (::fsync(fd_) != 0) {
    ec = LastError();
    return false;
  }
  return true;
}

bool File::Close(std::error_code& ec) {
  ec.clear();
  if (fd_ < 0) return true;
  int r = ::close(fd_);
  fd_ = -1;
  if (r != 0 && errno != EINTR) {
    ec = LastError();
    return false;
  }
  return true;
}

uint64_t File::Size(std::error_code& ec) const {
  ec.clear();
  struct stat st {};
  if (::fstat(fd_, &st) != 0) {
    ec = LastError();
    return 0;
  }
  return static_cast<uint64_t>(st.st_size);
}

PendingFile::~PendingFile() {
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

PendingFile::PendingFile(PendingFile&& o) noexcept
    : file_(std::move(o.file_)),
      folder_(std::move(o.folder_)),
      temp_(std::move(o.temp_)),
      stem_(std::move(o.stem_)) {
  o.temp_.clear();
}

PendingFile& PendingFile::operator=(PendingFile&& o) noexcept {
  if (this != &o) {
    if (!temp_.empty()) ::unlink(temp_.c_str());
    file_ = std::move(o.file_);
    folder_ = std::move(o.folder_);
    temp_ = std::move(o.temp_);
    stem_ = std::move(o.stem_);
    o.temp_.clear();
  }
  return *this;
}

PendingFile PendingFile::Create(const std::filesystem::path& folder, const std::string& stem,
                                std::error_code& ec, bool unnamed) {
  ec.clear();
  PendingFile p;
  p.folder_ = folder;
  p.stem_ = stem;
  errno = EOPNOTSUPP;
  const int fd = unnamed ? ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666) : -1;
  if (fd >= 0) {
    p.file_ = File(fd);
    return p;
  }
  // ENOENT or ENOTDIR: no such folder; anything else: no unnamed files here, use a name.
  if (errno == ENOENT || errno == ENOTDIR) {
    ec = LastError();
    return PendingFile();
  }
  p.file_ = File::CreateTemp(folder, stem, p.temp_, ec);
  if (!p.file_.IsOpen()) return PendingFile();
  return p;
}

bool PendingFile::Commit(const std::filesystem::path& dest, bool replace, std::error_code& ec) {
  ec.clear();
  if (!temp_.empty()) {
    if (!file_.Close(ec)) return false;
    const bool ok = replace ? RenameReplace(temp_, dest, ec) : RenameNoReplace(temp_, dest, ec);
    if (ok) temp_.clear();
    return ok;
  }
  // Give the unnamed file a name: straight at `dest`, which refuses an existing file, or,
  // to replace one, at a temporary name that is then renamed over it.
  const std::string self = "/proc/self/fd/" + std::to_string(file_.Descriptor());
  auto linkTo = [&](const std::filesystem::path& to) {
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
    if (errno == ENOENT &&  // no /proc: the descriptor itself, which needs privilege
        ::linkat(file_.Descriptor(), "", AT_FDCWD, to.c_str(), AT_EMPTY_PATH) == 0)
      return true;
    ec = LastError();
    return false;
  };
  std::filesystem::path named = dest;
  if (replace) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
      named = folder_ / (stem_ + "-" + std::to_string(::getpid()) + "-" +
                         std::to_string(counter.fetch_add(1)) + ".tmp");
      if (linkTo(named)) break;
      if (ec != std::errc::file_exists) return false;
      named.clear();
    }
    if (named.empty()) return false;
  } else if (!linkTo(dest)) {
    return false;
  }
  std::error_code closeEc;
  if (!file_.Close(closeEc)) {
    ::unlink(named.c_str());
    ec = closeEc;
    return false;
  }
  if (replace && !RenameReplace(named, dest, ec)) {
    ::unlink(named.c_str());
    return false;
  }
  return true;
}

bool RenameReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                   std::error_code& ec) {
  ec.clear();
  if (::rename(from.c_str(), to.c_str()) != 0) {
    ec = LastError();
    return false;
  }
  return true;
}

bool RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                     std::error_code& ec) {
  ec.clear();
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) {
    ec = LastError();
    return false;
  }
  // File systems without the flag: a hard link fails on an existing name just the same.
  if (::link(from.c_str(), to.c_str()) != 0) {
    ec = LastError();
    return false;
  }
  ::unlink(from.c_str());
  return true;
}

}  // namespace platform
