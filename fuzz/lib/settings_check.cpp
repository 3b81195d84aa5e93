#include <cstring>
#include <fstream>

#include "fuzz/lib/checks.h"
#include "platform/text.h"
#include "settings/DatFile.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;
using settings::TDotsweepSettings;

std::string Show(const TDotsweepSettings& s) {
  auto b = [](bool v) { return v ? "1" : "0"; };
  return std::to_string(s.Fm1x) + "," + std::to_string(s.Fm1y) + "," + std::to_string(s.Fm1w) +
         "," + std::to_string(s.Fm1h) + "," + b(s.rb1) + b(s.rb2) + b(s.rb3) + b(s.rb4) + b(s.rb5) +
         ",[" + s.ed1 + "],[" + s.lb1 + "],[" + s.lb2 + "]," + std::to_string(s.Fidx) + ",[" +
         s.gstyle + "]," + std::to_string(s.rg1) + "," + std::to_string(s.rg2);
}

// A text as it comes back from the file: what the code page can hold of it.
std::string ThroughCodePage(const std::string& t) {
  return platform::Cp932ToUtf8(platform::Utf8ToCp932(t));
}

void Normalise(TDotsweepSettings& s) {
  for (std::string* t : {&s.ed1, &s.lb1, &s.lb2, &s.gstyle}) *t = ThroughCodePage(*t);
}

// Settings made from the input bytes: numbers from its first bytes, texts from pieces of it
// decoded as the file's code page would decode them, without the line breaks that would
// split them.
TDotsweepSettings Derived(std::span<const uint8_t> data) {
  TDotsweepSettings s;
  auto i32 = [&](size_t at) {
    int32_t v = 0;
    if (at + 4 <= data.size()) std::memcpy(&v, data.data() + at, 4);
    return v;
  };
  s.Fm1x = i32(0), s.Fm1y = i32(4), s.Fm1w = i32(8), s.Fm1h = i32(12);
  s.Fidx = i32(16), s.rg1 = i32(20), s.rg2 = i32(24);
  const uint8_t bits = data.size() > 28 ? data[28] : 0;
  s.rb1 = bits & 1, s.rb2 = bits & 2, s.rb3 = bits & 4, s.rb4 = bits & 8, s.rb5 = bits & 16;
  std::string rest(reinterpret_cast<const char*>(data.data()) + std::min<size_t>(29, data.size()),
                   data.size() - std::min<size_t>(29, data.size()));
  std::string clean;
  for (char c : rest)
    if (c != '\r' && c != '\n' && c != '\0') clean += c;
  const size_t q = clean.size() / 4;
  std::string* texts[] = {&s.ed1, &s.lb1, &s.lb2, &s.gstyle};
  for (size_t i = 0; i < 4; ++i)
    *texts[i] = platform::Cp932ToUtf8(clean.substr(i * q, i == 3 ? std::string::npos : q));
  return s;
}

}  // namespace

std::string CheckSettings(std::span<const uint8_t> data, const fs::path& root) {
  const fs::path dat = root / "Dotsweep.dat";
  std::ofstream(dat, std::ios::binary)
      .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  std::string finding;

  // Whatever the file holds reads; once written back it reads as the same settings, apart
  // from texts the code page cannot hold, which settle after one more round.
  TDotsweepSettings read = settings::WorkerDefaults(root.string() + "/");
  if (!settings::ReadDatFile(dat, read)) finding = "an existing settings file reads as missing";
  TDotsweepSettings expected = read;
  Normalise(expected);
  TDotsweepSettings again;
  if (finding.empty() && !settings::WriteDatFile(dat, read))
    finding = "writing the settings failed";
  if (finding.empty() && !settings::ReadDatFile(dat, again))
    finding = "a written file reads as missing";
  if (finding.empty() && again != expected)
    finding = "settings read back as " + Show(again) + ", not " + Show(expected);

  // Settings made from the input survive a round trip through the file.
  TDotsweepSettings made = Derived(data);
  expected = made;
  Normalise(expected);
  again = TDotsweepSettings{};
  if (finding.empty() && !settings::WriteDatFile(dat, made))
    finding = "writing the settings failed";
  if (finding.empty() && !settings::ReadDatFile(dat, again))
    finding = "a written file reads as missing";
  if (finding.empty() && again != expected)
    finding = "settings read back as " + Show(again) + ", not " + Show(expected);

  std::error_code ec;
  fs::remove(dat, ec);
  return finding;
}

}  // namespace reliability
