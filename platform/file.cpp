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
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    ec = LastError();
    return File();
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ec = S_ISDIR(st.st_mode) ? std::make_error_code(std::errc::is_a_directory) : LastError();
    ::close(fd);
    return File();
  }
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
