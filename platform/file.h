// Files as the document library and the programs need them: whole reads and writes that say
// exactly how much moved, advisory locks in place of the Windows sharing modes, and renames
// that either replace or refuse to replace.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace platform {

class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens for reading with a shared lock: other readers may join, a writer holding the
  // exclusive lock makes the open fail.
  static File OpenRead(const std::filesystem::path& path, std::error_code& ec);
  // Creates a new file (never an existing one) for writing, locked exclusively.
  static File CreateNew(const std::filesystem::path& path, std::error_code& ec);
  // Opens for writing, creating the file or emptying an existing one.
  static File CreateOrTruncate(const std::filesystem::path& path, std::error_code& ec);
  // Creates a new, uniquely named file in `folder` whose name starts with `stem` and ends
  // ".tmp"; `created` receives its path.
  static File CreateTemp(const std::filesystem::path& folder, const std::string& stem,
                         std::filesystem::path& created, std::error_code& ec);

  bool IsOpen() const { return fd_ >= 0; }

  // Reads up to n bytes, going on until n bytes or the end of the file; returns the number
  // read, which is short only at the end of the file or on an error (then ec is set).
  size_t Read(void* dst, size_t n, std::error_code& ec);
  // Writes all n bytes or reports why not; a short write (a full disk) is an error.
  bool WriteAll(const void* src, size_t n, std::error_code& ec);
  bool Sync(std::error_code& ec);
  bool Close(std::error_code& ec);
  // Size of the open file in bytes.
  uint64_t Size(std::error_code& ec) const;

 private:
  explicit File(int fd) : fd_(fd) {}
  int fd_ = -1;
};

// Renames over an existing file at `to`.
bool RenameReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                   std::error_code& ec);
// Renames only when nothing exists at `to`; otherwise fails with errc::file_exists and
// leaves both untouched.
bool RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                     std::error_code& ec);

}  // namespace platform
