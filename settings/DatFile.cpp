#include "settings/DatFile.h"

#include <charconv>
#include <vector>

#include "platform/file.h"
#include "platform/text.h"

namespace settings {

TDotsweepSettings FrontEndDefaults(const std::string& appPath) {
  TDotsweepSettings s;
  s.lb2 = appPath;
  return s;
}

TDotsweepSettings WorkerDefaults(const std::string& appPath) {
  TDotsweepSettings s = FrontEndDefaults(appPath);
  s.rg1 = 0;
  s.rg2 = 0;
  return s;
}

int32_t TextToInt(std::string_view line) {
  std::string_view digits = line;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  if (digits.empty() || (digits.size() != line.size() && digits.front() == '-')) return 0;
  int32_t v = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
  if (ec != std::errc() || end != digits.data() + digits.size()) return 0;
  return v;
}

bool TextToBool(std::string_view line) {
  static constexpr std::string_view kTrue[] = {"T",  "TR", "TRU", "TRUE", "1",
                                               "１", "○",  "ON",  "真",   "正"};
  const std::string upper = platform::LocaleUpper(line);
  for (auto t : kTrue)
    if (upper == t) return true;
  return false;
}

std::string BoolToText(bool value) {
  return value ? "1" : "0";
}

namespace {

// Splits at CR LF, and also at a lone CR or LF, as a line reader does.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string cur;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(cur);
      cur.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) lines.push_back(cur);
  return lines;
}

}  // namespace

bool ReadDatFile(const std::filesystem::path& path, TDotsweepSettings& s) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  platform::File f = platform::File::OpenRead(path, ec);
  if (!f.IsOpen()) return true;
  std::string raw;
  char buf[4096];
  while (true) {
    const size_t n = f.Read(buf, sizeof buf, ec);
    raw.append(buf, n);
    if (ec || n < sizeof buf || raw.size() > (1u << 20)) break;  // ample for 16 lines
  }
  const std::vector<std::string> lines = SplitLines(raw);
  auto line = [&](size_t i) {
    return i < lines.size() ? platform::Cp932ToUtf8(lines[i]) : std::string();
  };
  s.Fm1x = TextToInt(line(0));
  s.Fm1y = TextToInt(line(1));
  s.Fm1w = TextToInt(line(2));
  s.Fm1h = TextToInt(line(3));
  s.rb1 = TextToBool(line(4));
  s.rb2 = TextToBool(line(5));
  s.rb3 = TextToBool(line(6));
  s.rb4 = TextToBool(line(7));
  s.rb5 = TextToBool(line(8));
  s.ed1 = line(9);
  s.lb1 = line(10);
  s.lb2 = line(11);
  s.Fidx = TextToInt(line(12));
  s.gstyle = line(13);
  s.rg1 = TextToInt(line(14));
  s.rg2 = TextToInt(line(15));
  return true;
}

bool WriteDatFile(const std::filesystem::path& path, const TDotsweepSettings& s) {
  std::string text;
  auto put = [&](const std::string& v) { text += platform::Utf8ToCp932(v) + "\r\n"; };
  put(std::to_string(s.Fm1x));
  put(std::to_string(s.Fm1y));
  put(std::to_string(s.Fm1w));
  put(std::to_string(s.Fm1h));
  put(BoolToText(s.rb1));
  put(BoolToText(s.rb2));
  put(BoolToText(s.rb3));
  put(BoolToText(s.rb4));
  put(BoolToText(s.rb5));
  put(s.ed1);
  put(s.lb1);
  put(s.lb2);
  put(std::to_string(s.Fidx));
  put(s.gstyle);
  put(std::to_string(s.rg1));
  put(std::to_string(s.rg2));
  std::error_code ec;
  platform::File f = platform::File::CreateOrTruncate(path, ec);
  bool ok = f.IsOpen() && f.WriteAll(text.data(), text.size(), ec);
  if (f.IsOpen()) ok = f.Close(ec) && ok;
  if (!ok) {
    std::error_code ignored;
    if (std::filesystem::is_regular_file(path, ignored)) std::filesystem::remove(path, ignored);
  }
  return ok;
}

}  // namespace settings
