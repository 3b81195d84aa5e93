// The settings file Dotsweep.dat shared by the window and the worker: sixteen lines of text
// in code page 932 with CR LF line ends.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace settings {

// The sixteen values in file order, named as the window holds them.
struct TDotsweepSettings {
  int32_t Fm1x = 50, Fm1y = 50, Fm1w = 480, Fm1h = 480;  // window place and size
  bool rb1 = true;                                       // destination "デスクトップ"
  bool rb2 = false;                                      // "マイドキュメント"
  bool rb3 = false;                                      // "元ファイルのフォルダ"
  bool rb4 = false;                                      // "指定フォルダ"
  bool rb5 = false;                                      // "毎回指定"
  std::string ed1;                                       // the specified folder
  std::string lb1;                                       // last folder of the file dialog
  std::string lb2;                                       // last folder chosen under "毎回指定"
  int32_t Fidx = 1;                                      // filter index of the file dialog
  std::string gstyle = "Windows";
  int32_t rg1 = 1;  // 0 temporary points only, 1 real and temporary points
  int32_t rg2 = 1;  // 0 inside block definitions only, 1 the whole drawing
  bool operator==(const TDotsweepSettings&) const = default;
};

// The defaults the window starts from; `appPath` is the program's folder (line 12).
TDotsweepSettings FrontEndDefaults(const std::string& appPath);
// The worker's: the same, except that which points and where stay 0 unless the file says.
TDotsweepSettings WorkerDefaults(const std::string& appPath);

// A line that reads wholly as a signed 32-bit whole number gives it; anything else 0.
int32_t TextToInt(std::string_view line);
// Upper-cased by the locale, the line is one of T, TR, TRU, TRUE, 1, １, ○, ON, 真, 正.
bool TextToBool(std::string_view line);
std::string BoolToText(bool value);

// Reads the file over `s`, line by line: a missing file changes nothing, a missing line reads
// as empty, and a read error keeps what was read. Returns whether the file existed.
bool ReadDatFile(const std::filesystem::path& path, TDotsweepSettings& s);

// Writes all sixteen lines. Any failure removes the file rather than leave part of it.
bool WriteDatFile(const std::filesystem::path& path, const TDotsweepSettings& s);

}  // namespace settings
