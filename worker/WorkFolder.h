// The working folder that holds the pictures of the drawing being converted. Each job has a
// folder of its own, so that two jobs never share picture files.
#pragma once

#include <string>

namespace worker {

class TWorkFolder {
 public:
  // A folder under appPath + "TEMP", made with its parents; where that cannot be made (a
  // read-only installation) a private folder under the system's temporary folder.
  static TWorkFolder Beside(const std::string& appPath);
  // A private folder under the system's temporary folder.
  static TWorkFolder Private();

  TWorkFolder() = default;
  TWorkFolder(TWorkFolder&& o) noexcept { *this = std::move(o); }
  TWorkFolder& operator=(TWorkFolder&& o) noexcept {
    if (this != &o) {
      Remove();
      appPath_ = std::move(o.appPath_);
      path_ = std::move(o.path_);
      temp_ = std::move(o.temp_);
      private_ = o.private_;
      tried_ = o.tried_;
      o.appPath_.clear(), o.path_.clear(), o.temp_.clear();
      o.private_ = o.tried_ = false;
    }
    return *this;
  }
  ~TWorkFolder() { Remove(); }

  // The folder with a trailing separator, made on the first call; empty when none could be
  // made. Nothing is made until a job has a picture to put there.
  const std::string& Path();
  // Whether the folder has been made.
  bool Made() const { return !path_.empty(); }

  // Removes the folder if it is empty, then the shared TEMP folder if that is empty too.
  // Files in them are never deleted here. A later Path() makes a new folder.
  void Remove();

 private:
  std::string appPath_;  // for Beside: where TEMP goes
  std::string path_;     // ends with the separator
  std::string temp_;     // the shared parent to remove when empty, if any
  bool private_ = false;
  bool tried_ = false;  // a failed attempt is not repeated for every picture
};

}  // namespace worker
