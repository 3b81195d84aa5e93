#include "platform/paths.h"

namespace platform {

std::filesystem::path ProgramPath() {
  std::error_code ec;
  auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : p;
}

std::string ProgramFolder() {
  return WithTrailingSeparator(ProgramPath().parent_path().string());
}

std::string WithTrailingSeparator(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string ExtensionOf(const std::filesystem::path& p) {
  const std::string name = p.filename().string();
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

bool FileExists(const std::filesystem::path& p) {
  std::error_code ec;
  return std::filesystem::is_regular_file(p, ec);
}

std::filesystem::path UniqueFileName(const std::filesystem::path& p) {
  return UniqueFileName(p, [](const std::filesystem::path&) { return false; });
}

std::filesystem::path UniqueFileName(
    const std::filesystem::path& p,
    const std::function<bool(const std::filesystem::path&)>& taken) {
  auto free = [&](const std::filesystem::path& c) { return !FileExists(c) && !taken(c); };
  if (free(p)) return p;
  const std::string ext = ExtensionOf(p);
  const std::string full = p.string();
  const std::string stem = full.substr(0, full.size() - ext.size());
  for (int n = 1; n <= 99999; ++n) {
    std::filesystem::path candidate = stem + "~" + std::to_string(n) + ext;
    if (free(candidate)) return candidate;
  }
  return {};
}

}  // namespace platform
