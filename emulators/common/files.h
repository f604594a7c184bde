// Whole files as the emulators and the TEF manager keep them: read in one
// go, and written so that a reader, or a power failure, never meets half a
// file.
#pragma once
#include <cstddef>
#include <functional>
#include <string>

namespace emu {

enum class ReadResult { Read, Missing, Unreadable, TooLarge };
// The whole file when it holds at most `limit` bytes; a larger one is
// TooLarge, known by its size and never read into memory.
ReadResult ReadWholeFile(const std::string& path, std::string& bytes, std::size_t limit);

struct WriteOptions {
  // Called between the lines of the text (after each '\n' but the last):
  // a slow disk for the TEF manager's answers. The rename still makes the
  // file appear whole.
  std::function<void()> between_lines;
};

// Writes `bytes` to a new file beside `path` under a dot name (which no
// "intpos.*" or similar search matches), loops over partial writes and
// interrupted calls, flushes it to disk, renames it over `path` and flushes
// the directory, so the new file survives a power failure (the library's
// own durable save, platform/os/durable_file.h, which also clears the work
// files interrupted saves left in the directory). A replaced file keeps its
// permissions. On failure the target is untouched, the work file
// removed, and `error` (when given) says what failed.
bool WriteFileAtomic(const std::string& path, const std::string& bytes, std::string* error = nullptr,
                     const WriteOptions& options = {});

}  // namespace emu
