// Large drawings for the benchmarks, made with the project's own writer.
#pragma once

#include <cstddef>
#include <string>

#include "jww/JwwUnit.h"

namespace bench {

// A drawing of about `entities` mixed entities: lines, arcs, points (half of them
// temporary), Japanese and Latin texts, dimensions, solids and block inserts, with block
// definitions that hold points and nested inserts. From version 700, when `pictureFolder` is
// given, three embedded pictures referenced by texts, their files written into that folder.
jww::TJwwData Generate(size_t entities, int version, const std::string& pictureFolder = {});

}  // namespace bench
