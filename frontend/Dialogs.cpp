#include "frontend/Dialogs.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>

namespace frontend {
namespace {

// Centred on the monitor that shows `parent`, not over the window itself.
void CentreOnMonitorOf(QWidget& dialog, QWidget* parent) {
  QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  dialog.ensurePolished();
  dialog.adjustSize();
  QRect frame(QPoint(), dialog.size());
  frame.moveCenter(screen->availableGeometry().center());
  dialog.move(frame.topLeft());
}

}  // namespace

std::optional<TOpenAnswer> TQtDialogs::OpenFiles(QWidget* parent, const TOpenRequest& request) {
  QFileDialog dialog(parent, request.title, request.initialFolder);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setNameFilters(request.filters);
  if (request.filterIndex >= 1 && request.filterIndex <= request.filters.size())
    dialog.selectNameFilter(request.filters[request.filterIndex - 1]);
  dialog.selectFile(request.fileName);
  dialog.setSizeGripEnabled(true);
  CentreOnMonitorOf(dialog, parent);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  TOpenAnswer answer;
  answer.files = dialog.selectedFiles();
  const qsizetype chosen = request.filters.indexOf(dialog.selectedNameFilter());
  answer.filterIndex = chosen >= 0 ? static_cast<int>(chosen) + 1 : request.filterIndex;
  return answer;
}

std::optional<QString> TQtDialogs::BrowseFolder(QWidget* parent, const QString& caption,
                                                const QString& start) {
  QFileDialog dialog(parent, caption, start);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  CentreOnMonitorOf(dialog, parent);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

void TQtDialogs::Message(QWidget* parent, const QString& text) {
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), shown,
                  QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace frontend
