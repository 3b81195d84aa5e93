// The working folder that holds the pictures of the drawing being converted. Each job has a
// folder of its own, so that two jobs never share picture files.
#pragma once

#include <string>

namespace worker {

class TWorkFolder {
 public:
  // A new folder under appPath + "TEMP", made with its parents; where that cannot be made
  // (a read-only installation) a private folder under the system's temporary folder.
  static TWorkFolder Beside(const std::string& appPath);
  // A private folder under the system's temporary folder.
  static TWorkFolder Private();

  TWorkFolder() = default;
  TWorkFolder(TWorkFolder&& o) noexcept : path_(std::move(o.path_)), temp_(std::move(o.temp_)) {
    o.path_.clear();
    o.temp_.clear();
  }
  TWorkFolder& operator=(TWorkFolder&& o) noexcept {
    if (this != &o) {
      Remove();
      path_ = std::move(o.path_);
      temp_ = std::move(o.temp_);
      o.path_.clear();
      o.temp_.clear();
    }
    return *this;
  }
  ~TWorkFolder() { Remove(); }

  // The folder with a trailing separator; empty when none could be made.
  const std::string& Path() const { return path_; }

  // Removes the folder if it is empty, then the shared TEMP folder if that is empty too.
  // Files in them are never deleted here.
  void Remove();

 private:
  std::string path_;  // ends with the separator
  std::string temp_;  // the shared parent to remove when empty, if any
};

}  // namespace worker
