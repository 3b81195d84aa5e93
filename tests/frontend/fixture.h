// What the window's tests share: dialogs that answer as told, an installed copy of the real
// worker beside a program path for the window, and small drawings.
#pragma once

#include <QStringList>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frontend/Dialogs.h"
#include "frontend/Unit1.h"
#include "tests/support.h"

namespace fetest {

namespace fs = std::filesystem;

// Answers the window's dialogs from queues (an empty queue cancels) and records what it
// was asked.
class TFakeDialogs : public frontend::TDialogs {
 public:
  std::deque<std::optional<frontend::TOpenAnswer>> openAnswers;
  std::deque<std::optional<QString>> folderAnswers;
  std::vector<frontend::TOpenRequest> openRequests;
  struct Browse {
    QString caption, start;
  };
  std::vector<Browse> browseRequests;
  QStringList messages;

  std::optional<frontend::TOpenAnswer> OpenFiles(QWidget*,
                                                 const frontend::TOpenRequest& r) override;
  std::optional<QString> BrowseFolder(QWidget*, const QString& caption,
                                      const QString& start) override;
  void Message(QWidget*, const QString& text) override;
};

// A folder "app" holding a copy of the built DotsweepSub, where the window's program file
// is said to be; drawings and results go into other folders of the same scratch folder.
struct TInstalled {
  testsupport::ScratchDir dir;
  fs::path app = dir / "app";
  std::string program = (app / "Dotsweep").string();
  TFakeDialogs dialogs;

  TInstalled();
  fs::path Folder(const std::string& name) const;  // made when missing
  fs::path SettingsFile() const { return app / "Dotsweep.dat"; }
  // The window, as the program would make it from this folder.
  std::unique_ptr<frontend::TForm1> Window(std::vector<std::string> args = {});
  // Replaces the worker with a script that only notes that it ran.
  void InstallRecordingWorker() const;
  bool WorkerRan() const { return fs::exists(dir / "worker-ran"); }
};

// A version 600 drawing with a line, a temporary and a real point.
void WriteDrawing(const fs::path& path);
// How many points the drawing at `path` holds, or −1 when it does not load.
int PointCount(const fs::path& path);

// Settings lines as the file holds them (code page 932 decoded, CR LF split).
QStringList SettingsLines(const fs::path& file);
void WriteSettingsLines(const fs::path& file, const QStringList& lines);

QStringList LogLines(const frontend::TForm1& form);
// Drops local files on the window the way a file manager does, and lets the batch run.
void Drop(frontend::TForm1& form, const std::vector<fs::path>& paths);
// Selects "指定フォルダ" with `folder` in the field.
void ChooseFolder(frontend::TForm1& form, const fs::path& folder);

}  // namespace fetest
