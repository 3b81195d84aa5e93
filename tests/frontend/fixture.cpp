#include "tests/frontend/fixture.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QRadioButton>
#include <QUrl>

#include "platform/text.h"
#include "tests/drawing.h"

namespace fetest {

std::optional<frontend::TOpenAnswer> TFakeDialogs::OpenFiles(QWidget*,
                                                             const frontend::TOpenRequest& r) {
  openRequests.push_back(r);
  if (openAnswers.empty()) return std::nullopt;
  const bool answered = openAnswers.front().has_value();
  frontend::TOpenAnswer answer = answered ? *openAnswers.front() : frontend::TOpenAnswer{};
  openAnswers.pop_front();
  if (!answered) return std::nullopt;
  return answer;
}

std::optional<QString> TFakeDialogs::BrowseFolder(QWidget*, const QString& caption,
                                                  const QString& start) {
  browseRequests.push_back({caption, start});
  if (folderAnswers.empty()) return std::nullopt;
  const bool answered = folderAnswers.front().has_value();
  const QString answer = answered ? *folderAnswers.front() : QString();
  folderAnswers.pop_front();
  if (!answered) return std::nullopt;
  return answer;
}

void TFakeDialogs::Message(QWidget*, const QString& text) {
  messages << text;
}

TInstalled::TInstalled() {
  fs::create_directories(app);
  fs::copy_file(DOTSWEEP_SUB, app / "DotsweepSub");
}

fs::path TInstalled::Folder(const std::string& name) const {
  fs::path p = dir / name;
  fs::create_directories(p);
  return p;
}

std::unique_ptr<frontend::TForm1> TInstalled::Window(std::vector<std::string> args) {
  return std::make_unique<frontend::TForm1>(program, std::move(args), dialogs);
}

void TInstalled::InstallRecordingWorker() const {
  const fs::path worker = app / "DotsweepSub";
  fs::remove(worker);
  testsupport::WriteFile(worker, "#!/bin/sh\n: > '" + (dir / "worker-ran").string() + "'\n");
  fs::permissions(worker, fs::perms::owner_all);
}

void WriteDrawing(const fs::path& path) {
  jww::TJwwData doc = testsupport::NewDrawing(600);
  jww::Append(doc, testsupport::Line(0, 0, 10, 0));
  jww::Append(doc, testsupport::Point(1, 1, true));
  jww::Append(doc, testsupport::Point(2, 2, false));
  doc.MakeBlockTree();
  if (!doc.FileOut(path, 600)) throw std::runtime_error("cannot write " + path.string());
}

int PointCount(const fs::path& path) {
  jww::TJwwData doc;
  if (!doc.FileIn(path)) return -1;
  return doc.EntTenN;
}

QStringList SettingsLines(const fs::path& file) {
  if (!fs::exists(file)) return {};
  const QString text = QString::fromStdString(platform::Cp932ToUtf8(testsupport::ReadFile(file)));
  QStringList lines = text.split(QStringLiteral("\r\n"));
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.pop_back();
  return lines;
}

void WriteSettingsLines(const fs::path& file, const QStringList& lines) {
  std::string bytes;
  for (const QString& l : lines) bytes += platform::Utf8ToCp932(l.toStdString()) + "\r\n";
  testsupport::WriteFile(file, bytes);
}

QStringList LogLines(const frontend::TForm1& form) {
  QStringList lines;
  for (int i = 0; i < form.ListBox1->count(); ++i) lines << form.ListBox1->item(i)->text();
  return lines;
}

void Drop(frontend::TForm1& form, const std::vector<fs::path>& paths) {
  QMimeData mime;
  QList<QUrl> urls;
  for (const auto& p : paths) urls << QUrl::fromLocalFile(QString::fromStdString(p.string()));
  mime.setUrls(urls);
  const QPoint at = form.rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&form, &enter);
  if (!enter.isAccepted()) return;
  QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&form, &drop);
  // The batch starts once the drop has finished.
  QCoreApplication::sendPostedEvents(&form);
}

void ChooseFolder(frontend::TForm1& form, const fs::path& folder) {
  form.RadioButton4->setChecked(true);
  form.Edit1->setText(QString::fromStdString(folder.string()));
}

}  // namespace fetest
