#include "fuzz/lib/tree.h"

#include <fstream>
#include <sstream>

namespace reliability {

uint64_t Fnv1a64(std::string_view bytes) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
  return h;
}

TTree Snapshot(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  TTree tree;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, fs::directory_options::none, ec), end;
       !ec && it != end; it.increment(ec)) {
    const std::string rel = fs::relative(it->path(), root, ec).string();
    const fs::file_status st = it->symlink_status(ec);
    if (fs::is_directory(st)) {
      tree[rel] = "dir";
    } else if (fs::is_regular_file(st)) {
      std::ifstream in(it->path(), std::ios::binary);
      std::ostringstream bytes;
      bytes << in.rdbuf();
      const std::string b = bytes.str();
      tree[rel] = std::to_string(b.size()) + " bytes, " + std::to_string(Fnv1a64(b));
    } else {
      tree[rel] = "type " + std::to_string(static_cast<int>(st.type()));
    }
  }
  return tree;
}

std::string Difference(const TTree& before, const TTree& after) {
  std::string out;
  for (const auto& [path, what] : before) {
    auto it = after.find(path);
    if (it == after.end())
      out += "- " + path + "\n";
    else if (it->second != what)
      out += "~ " + path + " (" + what + " -> " + it->second + ")\n";
  }
  for (const auto& [path, what] : after)
    if (!before.count(path)) out += "+ " + path + " (" + what + ")\n";
  return out;
}

}  // namespace reliability
