// File work of the manager: finding the request, reading it, and writing
// answers so that a reader never meets a half-written file.
#pragma once
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

#include "emulators/common/files.h"

namespace tef_emu {

namespace fs = std::filesystem;

// The regular file in `dir` named `name` regardless of letter case.
std::optional<fs::path> find_file_nocase(const fs::path& dir, const std::string& name);

// Requests, answers and the control file hold a few kilobytes: a file above
// this bound is refused unread.
inline constexpr std::size_t file_limit = std::size_t{1} << 20;

// The whole file; nullopt when it is missing, unreadable or above
// file_limit (that one said on stderr, naming the file). `result`, when
// given, tells which.
std::optional<std::string> read_file(const fs::path& path, emu::ReadResult* result = nullptr);

// Writes through the emulators' atomic writer (beside the target under a
// dot name no "intpos.*" search matches, flushed, renamed into place).
// With `pause_between_lines_ms` the bytes go out line by line with that
// pause between lines (a slow disk); the rename still makes the file appear
// whole. False on failure, with the reason on stderr; the target is then
// untouched.
bool write_atomic(const fs::path& target, const std::string& bytes, int pause_between_lines_ms = 0);

}  // namespace tef_emu
