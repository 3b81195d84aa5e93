// Dotsweep: the window that converts drawings dropped on it, handed to it on the command line
// or chosen in its file dialog, one worker DotsweepSub per drawing.
#include <QApplication>
#include <filesystem>
#include <string>
#include <vector>

#include "frontend/Dialogs.h"
#include "frontend/Unit1.h"
#include "platform/paths.h"

int main(int argc, char** argv) {
  // Every argument is a drawing: Qt sees none of them, so a file named like one of its
  // options (-style, -platform …) is still a file.
  std::vector<std::string> args(argv + 1, argv + argc);
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  std::string self = platform::ProgramPath().string();
  if (self.empty()) self = std::filesystem::absolute(argv[0]).string();
  frontend::TQtDialogs dialogs;
  frontend::TForm1 form(self, std::move(args), dialogs);
  form.show();
  return app.exec();
}
