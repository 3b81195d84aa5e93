// Small drawings built with the project's own writer: the seeds of the drawing fuzz target
// and the fixtures of the cut-and-flip sweep.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace reliability {

struct TFixture {
  std::string name;   // a file name ending ".jww"
  std::string bytes;  // the whole file
};

// Every entity kind (points temporary and real, with and without the pen-style-100 extra,
// dimensions with and without their SXF part, solids with their own colour), nested block
// definitions and one no insert reaches, in versions on both sides of the layout thresholds
// (351, 420, 700); a drawing in the Unicode text form; a version-700 drawing with a stored
// compressed picture and a plain one, one of them referenced only from inside a block.
// `scratch` is an existing folder the pictures pass through; it is left as it was.
std::vector<TFixture> Fixtures(const std::filesystem::path& scratch);

// Settings files: as written, with values of every form the reader takes, with LF line ends,
// and with lines missing.
std::vector<TFixture> SettingsSeeds();

// Worker command lines naming the files CheckLaunch installs: jobs, every failing check,
// quoting and escapes, paths that try to climb out, too few and too many arguments.
std::vector<TFixture> LaunchSeeds();

}  // namespace reliability
