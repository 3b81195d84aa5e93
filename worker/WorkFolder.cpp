#include "worker/WorkFolder.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

namespace worker {
namespace {

// A fresh folder under `parent`, or empty.
std::string MakeUnder(const std::string& parent, const char* prefix) {
  std::string templ = parent + prefix + "XXXXXX";
  if (!::mkdtemp(templ.data())) return {};
  return templ + "/";
}

}  // namespace

TWorkFolder TWorkFolder::Beside(const std::string& appPath) {
  TWorkFolder f;
  const std::string temp = appPath + "TEMP";
  std::error_code ec;
  std::filesystem::create_directories(temp, ec);
  f.path_ = MakeUnder(temp + "/", "job-");
  if (!f.path_.empty()) {
    f.temp_ = temp;
    return f;
  }
  return Private();
}

TWorkFolder TWorkFolder::Private() {
  TWorkFolder f;
  std::error_code ec;
  std::string base = std::filesystem::temp_directory_path(ec).string();
  if (ec || base.empty()) base = "/tmp";
  if (base.back() != '/') base += '/';
  f.path_ = MakeUnder(base, "dotsweep-");
  return f;
}

void TWorkFolder::Remove() {
  if (!path_.empty()) ::rmdir(path_.c_str());
  if (!temp_.empty()) ::rmdir(temp_.c_str());
  path_.clear();
  temp_.clear();
}

}  // namespace worker
