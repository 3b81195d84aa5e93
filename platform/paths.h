// Paths as both programs use them: their own folder, extensions, and free output names.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace platform {

// The program's own file, and its folder with a trailing separator.
std::filesystem::path ProgramPath();
std::string ProgramFolder();

// `folder` with a trailing separator added unless it has one.
std::string WithTrailingSeparator(std::string folder);

// The extension of a path's file name: from its last "." on, empty when there is none.
std::string ExtensionOf(const std::filesystem::path& p);

// The first free name for an output: `p` itself when no file is there, else p without its
// extension + "~" + n + the extension, for n = 1 .. 99999. Only files count as taken.
// Returns an empty path when every name is taken.
std::filesystem::path UniqueFileName(const std::filesystem::path& p);
// The same, with `taken` saying which other names count as taken besides existing files.
std::filesystem::path UniqueFileName(
    const std::filesystem::path& p, const std::function<bool(const std::filesystem::path&)>& taken);

bool FileExists(const std::filesystem::path& p);

}  // namespace platform
