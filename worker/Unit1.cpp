#include "worker/Unit1.h"

#include <charconv>
#include <cmath>

#include "jww/strutil.h"
#include "platform/daycount.h"
#include "platform/paths.h"
#include "settings/DatFile.h"

namespace worker {
namespace {

const char kSettingsName[] = "Dotsweep.dat";

}  // namespace

double TextToFloat(const std::string& s) {
  std::string_view v = s;
  if (!v.empty() && v.front() == '+') v.remove_prefix(1);
  if (v.empty() || v.front() == '+' || (v.size() != s.size() && v.front() == '-')) return 0;
  double d = 0;
  const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), d);
  if (ec != std::errc() || end != v.data() + v.size() || !std::isfinite(d)) return 0;
  return d;
}

TForm1::TForm1(std::string programPath, std::vector<std::string> args)
    : Now(platform::DayCountNow), programPath_(std::move(programPath)), args_(std::move(args)) {}

void TForm1::FormCreate() {
  AppPath =
      platform::WithTrailingSeparator(std::filesystem::path(programPath_).parent_path().string());
  ReadDatFile(AppPath + kSettingsName);
  Memo1.clear();
  Memo1.push_back(programPath_);
  for (const auto& a : args_) Memo1.push_back(a);
  JwInit();
}

void TForm1::ReadDatFile(const std::string& fn) {
  settings::TDotsweepSettings s = settings::WorkerDefaults(AppPath);
  s.rg1 = rg1;
  s.rg2 = rg2;
  settings::ReadDatFile(fn, s);
  Fm1x = s.Fm1x, Fm1y = s.Fm1y, Fm1w = s.Fm1w, Fm1h = s.Fm1h;
  rb1 = s.rb1, rb2 = s.rb2, rb3 = s.rb3, rb4 = s.rb4, rb5 = s.rb5;
  ed1 = s.ed1, lb1 = s.lb1, lb2 = s.lb2;
  Fidx = s.Fidx;
  gstyle = s.gstyle;
  rg1 = s.rg1, rg2 = s.rg2;
}

void TForm1::JwInit() {
  jww::SetDefaultPenStyle(1);
  jww::SetDefaultPenColor(1);
  JWW1.BindImageExp = true;
  JWW1.BindImageExr = true;
  JWW1.KeepBlockTree = false;  // the job reads the definitions' marks, never the tree
  // The job's own folder inside TEMP, so that two workers never share picture files.
  // Made only when a drawing brings pictures.
  work_ = TWorkFolder::Beside(AppPath);
  JWW1.BindImageFolderOnDemand = [this] { return work_.Path(); };
}

void TForm1::FormShow() {
  if (args_.size() == 4) {
    auto log = [&](int n, bool ok) {
      Memo1.push_back("CHECK" + std::to_string(n) + (ok ? ":OK" : ":NG"));
      return ok;
    };
    bool all = true;
    all &= log(1, platform::FileExists(AppPath + kSettingsName));
    all &= log(2, args_[0] == jww::UpperStr("Dotsweep"));
    all &= log(3, Now() >= TextToFloat(args_[1]));
    all &= log(4, platform::FileExists(args_[2]));
    all &= log(5, !platform::FileExists(args_[3]));
    if (all) Proc(args_[2], args_[3]);
  }
  // The window closes itself here in every case; the program then ends.
}

void TForm1::Proc(const std::string& src, const std::string& dst) {
  Result = RunJob(JWW1, src, dst, rg1, rg2);
}

bool TForm1::proc2(const std::string& fn) {
  return LoadDrawing(JWW1, fn);
}

void TForm1::Proc2a() {
  worker::Proc2a(JWW1, rg1, rg2);
}

void TForm1::FormClose() {
  JwFine();
}

void TForm1::JwFine() {
  JwwDataFree(JWW1);
  work_.Remove();
}
}  // namespace worker
