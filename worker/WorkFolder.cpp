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
  f.appPath_ = appPath;
  return f;
}

TWorkFolder TWorkFolder::Private() {
  TWorkFolder f;
  f.private_ = true;
  return f;
}

const std::string& TWorkFolder::Path() {
  if (!path_.empty() || tried_) return path_;
  tried_ = true;
  if (!private_) {
    const std::string temp = appPath_ + "TEMP";
    std::error_code ec;
    std::filesystem::create_directories(temp, ec);
    path_ = MakeUnder(temp + "/", "job-");
    if (!path_.empty()) {
      temp_ = temp;
      return path_;
    }
  }
  std::error_code ec;
  std::string base = std::filesystem::temp_directory_path(ec).string();
  if (ec || base.empty()) base = "/tmp";
  if (base.back() != '/') base += '/';
  path_ = MakeUnder(base, "dotsweep-");
  return path_;
}

void TWorkFolder::Remove() {
  if (!path_.empty()) ::rmdir(path_.c_str());
  if (!temp_.empty()) ::rmdir(temp_.c_str());
  path_.clear();
  temp_.clear();
  tried_ = false;
}

}  // namespace worker
