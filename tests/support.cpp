#include "tests/support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace testsupport {

std::vector<std::filesystem::path> CorpusFiles() {
  namespace fs = std::filesystem;
  const char* env = std::getenv("DOTSWEEP_CORPUS");
  fs::path dir = env && *env ? fs::path(env) : fs::path(DOTSWEEP_CORPUS_DIR);
  std::vector<fs::path> files;
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) return files;
  for (const auto& e : fs::directory_iterator(dir, ec))
    if (e.is_regular_file() && e.path().extension() == ".jww") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + p.string());
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::filesystem::path& p, std::string_view bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + p.string());
}

std::string Hex(std::string_view bytes) {
  std::string out;
  char b[4];
  for (unsigned char c : bytes) {
    std::snprintf(b, sizeof b, "%02X ", c);
    out += b;
  }
  if (!out.empty()) out.pop_back();
  return out;
}

ScratchDir::ScratchDir() {
  std::random_device rd;
  for (int i = 0; i < 100; ++i) {
    auto p = std::filesystem::temp_directory_path() /
             ("dotsweep-test-" + std::to_string(rd()) + "-" + std::to_string(i));
    if (std::filesystem::create_directory(p)) {
      path_ = p;
      return;
    }
  }
  throw std::runtime_error("cannot create a scratch folder");
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace testsupport
