// Drawings made in code for the tests, and saving and loading them through real files.
#pragma once

#include <string>

#include "jww/JwwBuild.h"
#include "tests/support.h"

namespace testsupport {

jww::TEntJwwAttr Att(int style = 1, int color = 1, int layer = 0, int group = 0);
jww::TEntJwwLine Line(double x1, double y1, double x2, double y2);
jww::TEntJwwEnko Circle(double x, double y, double r);
jww::TEntJwwTen Point(double x, double y, bool temporary);
jww::TEntJwwMoji Text(const std::string& s, double x = 0, double y = 0);
jww::TEntJwwSunpo Dimension(double x1, double y1, double x2, double y2, bool sxf);
jww::TEntJwwSolid Solid(int color);
jww::TEntJwwBlock Insert(uint32_t number, double x = 0, double y = 0);

// A new drawing of version `ver` with every table filled.
jww::TJwwData NewDrawing(int ver = 600);

// Writes `doc` as version `ver` to `path`, failing the test when FileOut fails.
std::string Save(jww::TJwwData& doc, const std::filesystem::path& path, int ver);
// Writes and reads back; `bytes` receives the file.
jww::TJwwData SaveAndLoad(jww::TJwwData& doc, const ScratchDir& dir, int ver,
                          std::string* bytes = nullptr);

// Every file left in a folder, for checking that nothing stray remains.
std::vector<std::string> FilesIn(const std::filesystem::path& dir);

}  // namespace testsupport
