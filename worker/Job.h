// One conversion: load a drawing, delete the chosen points, save it under a new name. The
// worker program and the command-line tool both run it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "jww/JwwUnit.h"

namespace worker {

// Points taken out of a drawing, by kind and by where they were.
struct TRemoved {
  int64_t topTemporary = 0, topReal = 0;      // in the drawing itself
  int64_t blockTemporary = 0, blockReal = 0;  // inside block definitions
  int64_t Total() const { return topTemporary + topReal + blockTemporary + blockReal; }
  bool operator==(const TRemoved&) const = default;
};

// The point deletion. rg1: 0 temporary points only, 1 real and temporary points; any other
// value deletes nothing. rg2: 1 the whole drawing, anything else the block definitions only.
// Points that belong to dimensions are never touched. Removal is by marking: the order entry
// gets kind 0 and the live count goes down; records stay where they are.
TRemoved Proc2a(jww::TJwwData& doc, int32_t rg1, int32_t rg2);

// Empties a document together with the picture files its list names.
void JwwDataFree(jww::TJwwData& doc);

// Loads a drawing for the job: the signature and version check first, then the previous
// drawing and its picture files go, then the load and the unpacking of its pictures.
bool LoadDrawing(jww::TJwwData& doc, const std::filesystem::path& fn);

struct TJobResult {
  bool ok = false;
  std::string reason;  // why it failed, in words for people
  int32_t version = 0;
  TRemoved removed;
};

// The job on a document whose picture folder and flags the caller has set. The destination
// is written in the source's version and never over an existing file.
TJobResult RunJob(jww::TJwwData& doc, const std::filesystem::path& src,
                  const std::filesystem::path& dst, int32_t rg1, int32_t rg2);

}  // namespace worker
