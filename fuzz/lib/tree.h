// What a folder tree holds, for showing that a run changed nothing but what it was allowed to.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace reliability {

// Every entry under a folder by its path relative to it: folders as "dir", files by size and
// a hash of their bytes, anything else by its type.
using TTree = std::map<std::string, std::string>;

TTree Snapshot(const std::filesystem::path& root);

// The entries that differ between two snapshots, one per line ("+ a", "- b", "~ c").
std::string Difference(const TTree& before, const TTree& after);

uint64_t Fnv1a64(std::string_view bytes);

}  // namespace reliability
