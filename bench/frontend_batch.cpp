// frontend-batch APPDIR DRAWING...: runs one batch through the window, with DotsweepSub from
// APPDIR, into a fresh folder, and prints the batch's wall time and the window's own CPU time
// in nanoseconds. Run with QT_QPA_PLATFORM=offscreen.
#include <stdlib.h>
#include <sys/resource.h>

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "frontend/Dialogs.h"
#include "frontend/Unit1.h"

namespace {

// The batch asks nothing: the destination is a named folder.
class TNoDialogs : public frontend::TDialogs {
 public:
  std::optional<frontend::TOpenAnswer> OpenFiles(QWidget*, const frontend::TOpenRequest&) override {
    return std::nullopt;
  }
  std::optional<QString> BrowseFolder(QWidget*, const QString&, const QString&) override {
    return std::nullopt;
  }
  void Message(QWidget*, const QString&) override {}
};

int64_t CpuNanoseconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000000000LL +
         (u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1000LL;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: frontend-batch APPDIR DRAWING...\n");
    return 2;
  }
  int qargc = 1;
  QApplication app(qargc, argv);
  const std::filesystem::path appDir = argv[1];
  char templ[] = "/tmp/dotsweep-batch-XXXXXX";
  const std::filesystem::path out = ::mkdtemp(templ);
  QStringList drawings;
  for (int i = 2; i < argc; ++i) drawings << QString::fromLocal8Bit(argv[i]);

  TNoDialogs dialogs;
  frontend::TForm1 form((appDir / "Dotsweep").string(), {}, dialogs);
  form.RadioButton4->setChecked(true);
  form.Edit1->setText(QString::fromStdString(out.string()));
  form.show();
  QCoreApplication::processEvents();

  const int64_t cpu0 = CpuNanoseconds();
  const auto wall0 = std::chrono::steady_clock::now();
  form.WMDropFiles(drawings);
  while (form.Busy()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  const int64_t wall = std::chrono::duration_cast<std::chrono::nanoseconds>(
                           std::chrono::steady_clock::now() - wall0)
                           .count();
  const int64_t cpu = CpuNanoseconds() - cpu0;
  std::printf("%lld %lld\n", static_cast<long long>(wall), static_cast<long long>(cpu));
  form.close();
  std::error_code ec;
  std::filesystem::remove_all(out, ec);
  return 0;
}
