#include <fstream>

#include "fuzz/lib/checks.h"
#include "fuzz/lib/fixtures.h"
#include "fuzz/lib/tree.h"
#include "platform/process.h"
#include "settings/DatFile.h"
#include "worker/Unit1.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

// The worker's clock in these runs: launch times up to this day count pass CHECK3.
constexpr double kNow = 45000.5;

void Write(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

// The worker beside its settings file in root/app, and files a command line may name in
// root: drawings, a text file named like a drawing, a drawing under another extension, a
// folder named like a drawing and an existing destination.
void Install(const fs::path& root) {
  if (fs::exists(root / "app" / "Dotsweep.dat")) return;
  fs::create_directories(root / "app");
  settings::TDotsweepSettings s = settings::FrontEndDefaults((root / "app").string() + "/");
  settings::WriteDatFile(root / "app" / "Dotsweep.dat", s);
  for (const TFixture& f : Fixtures(root)) {
    if (f.name == "v600-all-kinds.jww") {
      Write(root / "a.jww", f.bytes);
      Write(root / "a.txt", f.bytes);
    }
    if (f.name == "v700-pictures.jww") Write(root / "p.jww", f.bytes);
    if (f.name == "v350-all-kinds.jww") Write(root / "OLD.JWW", f.bytes);
  }
  Write(root / "t.jww", "not a drawing\r\n");
  Write(root / "b.jww", "mine");
  fs::create_directories(root / "d.jww");
}

// A path of the command line made to stay inside root: no leading separator, and no ".."
// step out of a folder.
std::string Inside(const fs::path& root, const std::string& p) {
  std::string out, step;
  auto flush = [&] {
    if (!out.empty() && out.back() != '/') out += '/';
    out += step == ".." ? "__" : step;
    step.clear();
  };
  for (char c : p) {
    if (c == '/')
      flush();
    else
      step += c;
  }
  flush();
  while (!out.empty() && out.front() == '/') out.erase(0, 1);
  return (root / out).string();
}

// A command line the splitter must read back as `args`: the program quoted when it holds a
// blank (a split program name never holds both a blank and a quote), every other argument
// quoted by the rules the splitter reads.
std::string Join(const Args& args) {
  std::string line;
  const std::string& prog = args[0];
  if (prog.empty() || prog.find_first_of(" \t") != std::string::npos)
    line = "\"" + prog + "\"";
  else
    line = prog;
  for (size_t k = 1; k < args.size(); ++k) {
    const std::string& a = args[k];
    line += ' ';
    if (!a.empty() && a.find_first_of(" \t\"") == std::string::npos) {
      line += a;
      continue;
    }
    line += '"';
    size_t slashes = 0;
    for (char c : a) {
      if (c == '\\') {
        ++slashes;
        continue;
      }
      line.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
      slashes = 0;
      line += c;
    }
    line.append(slashes * 2, '\\');
    line += '"';
  }
  return line;
}

std::string Quoted(const Args& a) {
  std::string s;
  for (const auto& x : a) s += "[" + x + "]";
  return s;
}

}  // namespace

std::string CheckLaunch(std::span<const uint8_t> data, const fs::path& root) {
  Install(root);
  const std::string line(reinterpret_cast<const char*>(data.data()), data.size());
  const Args split = platform::SplitCommandLine(line);
  if (split.empty()) return "a command line split into nothing, not even a program";
  // What a line splits into, written back by the quoting rules, splits the same way.
  const Args again = platform::SplitCommandLine(Join(split));
  if (again != split)
    return "the line " + Quoted(split) + " joined and split again gives " + Quoted(again);

  // The worker receives its arguments as a program would: each ends at a zero byte.
  Args args(split.begin() + 1, split.end());
  for (auto& a : args) a = a.substr(0, a.find('\0'));
  if (args.size() == 4) args[2] = Inside(root, args[2]), args[3] = Inside(root, args[3]);

  const std::string prog = (root / "app" / "DotsweepSub").string();
  const TTree before = Snapshot(root);
  std::vector<std::string> log = {prog};
  log.insert(log.end(), args.begin(), args.end());
  bool all = args.size() == 4;
  if (args.size() == 4) {
    // A name too long for the system is no file; the checks must not throw on it either.
    auto isFile = [](const std::string& p) {
      std::error_code ec;
      return fs::is_regular_file(p, ec);
    };
    const bool checks[5] = {true, args[0] == "DOTSWEEP", kNow >= worker::TextToFloat(args[1]),
                            isFile(args[2]), !isFile(args[3])};
    for (int n = 0; n < 5; ++n) {
      log.push_back("CHECK" + std::to_string(n + 1) + (checks[n] ? ":OK" : ":NG"));
      all = all && checks[n];
    }
  }

  worker::TForm1 form(prog, args);
  form.Now = [] { return kNow; };
  form.FormCreate();
  form.FormShow();
  form.FormClose();

  std::string finding;
  if (form.Memo1 != log)
    finding = "the job log reads " + Quoted(form.Memo1) + ", not " + Quoted(log);
  else if (form.Result.has_value() != all)
    finding = all ? "every check passed and no job ran" : "a job ran after a failed check";

  // Nothing changed but the destination, which is there exactly when the job says so, and
  // then loads.
  const bool written = form.Result && form.Result->ok;
  const TTree after = Snapshot(root);
  TTree allowed = before;
  if (written) {
    std::error_code rel;
    const fs::path dst = fs::relative(args[3], root, rel);
    for (fs::path p = dst; !p.empty(); p = p.parent_path())
      if (!allowed.count(p.string()))
        allowed[p.string()] = after.count(p.string()) ? after.at(p.string()) : "";
    jww::TJwwData out;
    if (finding.empty() && !out.FileIn(args[3]))
      finding = "the job's destination does not load: " + out.LastError;
  }
  if (std::string diff = Difference(allowed, after); finding.empty() && !diff.empty())
    finding = "the run changed files it was not given:\n" + diff;

  // Back to the installation as it was.
  std::error_code ec;
  for (const auto& [path, what] : after)
    if (!before.count(path)) fs::remove_all(root / path, ec);
  return finding;
}

}  // namespace reliability
