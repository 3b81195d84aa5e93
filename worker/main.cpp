// DotsweepSub: converts one drawing per run, as the window Dotsweep starts it:
//   DotsweepSub DOTSWEEP <launch time> <source.jww> <destination.jww>
// Success is the destination's existence; the exit status also says it (0 written, 1 not).
#include "platform/paths.h"
#include "worker/Unit1.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string self = platform::ProgramPath().string();
  if (self.empty()) self = argv[0];
  worker::TForm1 form(self, std::move(args));
  form.FormCreate();
  form.FormShow();
  form.FormClose();
  return form.Result && form.Result->ok ? 0 : 1;
}
