// The properties the fuzz targets hold the system to. Each check runs one input and returns
// what went wrong in words, or an empty string; memory and undefined-behaviour faults are left
// to the sanitizers. A check works only inside `root`, an existing folder of its own, and
// leaves it as it found it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "jww/JwwUnit.h"

namespace reliability {

// Arbitrary bytes as a drawing, through the worker's load, the point deletion with settings
// taken from the input, saves in the drawing's own version and in another one, and loads of
// both saves, which must succeed with the counts the document had.
std::string CheckDrawing(std::span<const uint8_t> data, const std::filesystem::path& root);

// `file`, just saved from `doc` as version `ver`, loads into a document working in the
// folder `pictures` with what the save was given: the live entries of every list (an SXF
// dimension written below 420 from a later drawing brings six objects of its own), the
// definitions some insert reaches, and the pictures the save marked as written.
std::string ReadsBackAsSaved(const jww::TJwwData& doc, int32_t ver,
                             const std::filesystem::path& file,
                             const std::filesystem::path& pictures);

// Arbitrary bytes as the settings file; values derived from them written and read back.
std::string CheckSettings(std::span<const uint8_t> data, const std::filesystem::path& root);

// Arbitrary bytes as the worker's command line: split, then given to the worker's window
// object installed in `root`, whose launch checks and job may touch nothing but the
// destination they are given.
std::string CheckLaunch(std::span<const uint8_t> data, const std::filesystem::path& root);

}  // namespace reliability
