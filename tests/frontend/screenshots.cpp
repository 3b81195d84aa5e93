// Renders the window's two pages as the program shows them, the log page after a real batch,
// into PNG files: frontend_screenshots <folder>  (run with QT_QPA_PLATFORM=offscreen).
// Not a test; the pictures in docs/ come from here.
#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <QTabWidget>
#include <cstdio>
#include <filesystem>

#include "tests/frontend/fixture.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder for the PNG files>\n", argv[0]);
    return 2;
  }
  QApplication app(argc, argv);
  const fs::path pictures = fs::absolute(argv[1]);
  // A fixed, readable place, since its paths show in the window.
  const fs::path root = fs::temp_directory_path() / "dotsweep-demo";
  fs::remove_all(root);
  const fs::path appDir = root / "Dotsweep", drawings = root / "図面", out = root / "出力";
  for (const auto& d : {appDir, drawings, out}) fs::create_directories(d);
  fs::copy_file(DOTSWEEP_SUB, appDir / "DotsweepSub");
  fetest::WriteDrawing(drawings / "平面図.jww");
  fetest::WriteDrawing(drawings / "立面図.jww");
  testsupport::WriteFile(drawings / "壊れた図面.jww", "not a drawing");

  fetest::TFakeDialogs dialogs;
  frontend::TForm1 form((appDir / "Dotsweep").string(), {}, dialogs);
  form.RadioButton4->setChecked(true);
  form.Edit1->setText(QString::fromStdString(out.string() + "/"));
  form.show();
  QCoreApplication::sendPostedEvents(&form);
  QCoreApplication::processEvents();
  bool ok = form.grab().save(QString::fromStdString((pictures / "settings-page.png").string()));

  fetest::Drop(form, {drawings / "平面図.jww", drawings / "立面図.jww", drawings / "壊れた図面.jww",
                      drawings / "平面図.jww"});
  QCoreApplication::processEvents();
  ok = form.grab().save(QString::fromStdString((pictures / "log-page.png").string())) && ok;
  form.close();
  fs::remove_all(root);
  return ok ? 0 : 1;
}
