// Shared helpers of the tests: the real drawings, scratch folders and byte buffers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace testsupport {

// The real Jw_cad drawings, sorted by name; empty when the corpus folder is absent.
// DOTSWEEP_CORPUS in the environment overrides the folder the build was configured with.
std::vector<std::filesystem::path> CorpusFiles();

std::string ReadFile(const std::filesystem::path& p);
void WriteFile(const std::filesystem::path& p, std::string_view bytes);

inline std::span<const uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// Hex dump of a byte string, for readable failure messages.
std::string Hex(std::string_view bytes);

// A fresh folder, removed with everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace testsupport
