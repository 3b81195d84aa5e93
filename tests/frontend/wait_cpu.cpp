// Measures the window's own CPU time while it waits for workers (run with
// QT_QPA_PLATFORM=offscreen). A measurement for people, not a test: it prints the figures and
// asserts nothing.
//   frontend_wait_cpu [seconds]   one worker stand-in that only sleeps that long (default 10)
//   frontend_wait_cpu batch N     a batch of N small drawings through the real worker
#include <sys/resource.h>

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "tests/frontend/fixture.h"

namespace fs = std::filesystem;

namespace {

double CpuSeconds(int who) {
  rusage u{};
  getrusage(who, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double WallSeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char** argv) {
  const bool batch = argc > 2 && std::strcmp(argv[1], "batch") == 0;
  const int n = batch ? std::atoi(argv[2]) : argc > 1 ? std::atoi(argv[1]) : 10;
  QApplication app(argc, argv);
  testsupport::ScratchDir dir;
  const fs::path appDir = dir / "app", out = dir / "out";
  fs::create_directories(appDir);
  fs::create_directories(out);
  if (batch) {
    fs::copy_file(DOTSWEEP_SUB, appDir / "DotsweepSub");
  } else {
    testsupport::WriteFile(appDir / "DotsweepSub", "#!/bin/sh\nsleep " + std::to_string(n) + "\n");
    fs::permissions(appDir / "DotsweepSub", fs::perms::owner_all);
  }
  std::vector<fs::path> drawings;
  for (int i = 0; i < (batch ? n : 1); ++i) {
    drawings.push_back(dir / ("plan" + std::to_string(i) + ".jww"));
    fetest::WriteDrawing(drawings.back());
  }

  fetest::TFakeDialogs dialogs;
  frontend::TForm1 form((appDir / "Dotsweep").string(), {}, dialogs);
  fetest::ChooseFolder(form, out);
  form.show();
  QCoreApplication::sendPostedEvents(&form);
  QCoreApplication::processEvents();

  const double cpu0 = CpuSeconds(RUSAGE_SELF), workers0 = CpuSeconds(RUSAGE_CHILDREN);
  const double wall0 = WallSeconds();
  if (batch)
    fetest::Drop(form, drawings);
  else
    form.RunProc1(drawings[0].string(), (out / "plan0.jww").string());
  const double wall = WallSeconds() - wall0;
  const double cpu = CpuSeconds(RUSAGE_SELF) - cpu0;
  const double workers = CpuSeconds(RUSAGE_CHILDREN) - workers0;
  std::printf(
      "%d worker(s) in %.2f s; the window used %.4f s of CPU (%.3f %% of one core), "
      "the workers %.2f s\n",
      batch ? n : 1, wall, cpu, 100.0 * cpu / wall, workers);
  form.close();
  return 0;
}
