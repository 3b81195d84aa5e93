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

  // Opens a regular file for reading with a shared lock: other readers may join, a writer
  // holding the exclusive lock makes the open fail. Folders, pipes and devices are refused.
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
  int Descriptor() const { return fd_; }

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
  friend class PendingFile;
  explicit File(int fd) : fd_(fd) {}
  int fd_ = -1;
};

// A file that is written first and only then appears under its name, complete. Where the
// file system allows, it has no name at all while it is written, so a process killed
// meanwhile leaves nothing behind; elsewhere it has a hidden temporary name ending ".tmp".
class PendingFile {
 public:
  PendingFile() = default;
  ~PendingFile();  // discards the file unless Commit succeeded
  PendingFile(PendingFile&& o) noexcept;
  PendingFile& operator=(PendingFile&& o) noexcept;

  // A pending file in `folder`; `stem` starts its temporary name where one is needed.
  // `unnamed` false asks for the named form even where the unnamed one is possible.
  static PendingFile Create(const std::filesystem::path& folder, const std::string& stem,
                            std::error_code& ec, bool unnamed = true);
  bool IsOpen() const { return file_.IsOpen(); }
  File& file() { return file_; }

  // Closes the file and gives it the name `dest`: over an existing file when `replace`,
  // otherwise only if nothing is there (errc::file_exists then, and `dest` is untouched).
  bool Commit(const std::filesystem::path& dest, bool replace, std::error_code& ec);

 private:
  File file_;
  std::filesystem::path folder_;
  std::filesystem::path temp_;  // empty while the file has no name
  std::string stem_;
};

// Renames over an existing file at `to`.
bool RenameReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                   std::error_code& ec);
// Renames only when nothing exists at `to`; otherwise fails with errc::file_exists and
// leaves both untouched.
bool RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                     std::error_code& ec);

}  // namespace platform
