// The window's dialogs and its one message box, behind an interface so that a test can answer
// them; the program uses the Qt ones.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace frontend {

// What the file-open dialog is asked to show.
struct TOpenRequest {
  QString title;
  QString initialFolder;
  QString fileName;     // preset text of the file-name box
  QStringList filters;  // "Description (patterns)", in order
  int filterIndex = 1;  // 1-based, as the settings file keeps it
};

struct TOpenAnswer {
  QStringList files;    // in the dialog's order
  int filterIndex = 1;  // 1-based
};

class TDialogs {
 public:
  virtual ~TDialogs() = default;
  // Several existing files; nothing when the user cancels.
  virtual std::optional<TOpenAnswer> OpenFiles(QWidget* parent, const TOpenRequest& request) = 0;
  // One existing folder, `start` preselected; nothing when the user cancels.
  virtual std::optional<QString> BrowseFolder(QWidget* parent, const QString& caption,
                                              const QString& start) = 0;
  // A plain message with an OK button; `text` may hold CR LF line breaks.
  virtual void Message(QWidget* parent, const QString& text) = 0;
};

// Qt's own dialogs, each centred on the monitor of its parent window.
class TQtDialogs : public TDialogs {
 public:
  std::optional<TOpenAnswer> OpenFiles(QWidget* parent, const TOpenRequest& request) override;
  std::optional<QString> BrowseFolder(QWidget* parent, const QString& caption,
                                      const QString& start) override;
  void Message(QWidget* parent, const QString& text) override;
};

}  // namespace frontend
