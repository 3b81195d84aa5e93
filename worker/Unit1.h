// The worker's window object. The worker has no window here: what the window's life does
// (create, show, close) and its job log stay, as an object the program runs once.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "jww/JwwUnit.h"
#include "worker/Job.h"
#include "worker/WorkFolder.h"

namespace worker {

class TForm1 {
 public:
  // `programPath` is the worker's own file; `args` the command-line arguments after it.
  TForm1(std::string programPath, std::vector<std::string> args);
  // The document asks the form for its picture folder, so the form stays where it is.
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  void FormCreate();
  void FormShow();
  void FormClose();

  void ReadDatFile(const std::string& fn);
  void Proc(const std::string& src, const std::string& dst);
  bool proc2(const std::string& fn);
  void Proc2a();
  void JwInit();
  void JwFine();

  // The job log: the program path, each argument, then one line per launch check.
  std::vector<std::string> Memo1;

  std::string AppPath;
  std::string gstyle;
  int32_t Fm1x = 0, Fm1y = 0, Fm1w = 0, Fm1h = 0, Fidx = 0;
  bool rb1 = false, rb2 = false, rb3 = false, rb4 = false, rb5 = false;
  std::string ed1, lb1, lb2;
  int32_t rg1 = 0;  // 0 temporary points only, 1 real and temporary
  int32_t rg2 = 0;  // 0 inside block definitions only, 1 the whole drawing

  jww::TJwwData JWW1;

  // The local date-time as a day count; a test may stand in its own clock.
  std::function<double()> Now;

  // What the job did, for callers that want more than the destination's existence.
  std::optional<TJobResult> Result;

 private:
  std::string programPath_;
  std::vector<std::string> args_;
  TWorkFolder work_;
};

// Reads a decimal number with "." as the decimal point; anything that is not wholly such a
// number gives 0.
double TextToFloat(const std::string& s);

}  // namespace worker
