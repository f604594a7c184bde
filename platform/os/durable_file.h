// A whole file saved so that neither a reader nor a power failure ever
// meets half of it. The library's saves and the emulators' go through it:
// plain POSIX, nothing else of the tree.
#pragma once
#include <cstddef>
#include <functional>
#include <string>

namespace platform::durable {

// The step a save failed at ("create a file beside", "write", "flush",
// "rename over", "close", "flush the directory of") and its errno; a null
// step is a save done.
struct Outcome {
  const char* step = nullptr;
  int error = 0;
  explicit operator bool() const { return step == nullptr; }
};

// Writes all of [data, data + size), again after an interruption or a
// partial write; 0 or the errno of the failure.
int WriteAll(int fd, const char* data, std::size_t size);

// Saves through `write` (given the descriptor of the work file, it answers
// 0 or an errno) a work file beside `path` named ".<name>.<pid>.<n>.tmp",
// which no search for "intpos.*" or "ecf*.cds" sees; flushes it, renames it
// over `path` and flushes the directory, so the rename survives a lost disk
// cache. The work file is locked while it is written. A replaced file keeps
// its permissions. Before the rename a failure leaves the target untouched
// and removes the work file.
//
// The first save into a directory in a process first removes the work files
// that interrupted saves left there (RemoveLeftovers).
Outcome SaveFile(const std::string& path, const std::function<int(int fd)>& write);

// The process id a work file name ".<name>.<pid>.<n>.tmp" carries, or 0
// when the name is not one.
long WorkFileOwner(const std::string& name);

// Removes from `directory` the work files of saves that can no longer end:
// only names of the work-file form, only regular files, only when the
// process that made one is gone from this machine and nobody holds its
// lock. Answers how many went.
int RemoveLeftovers(const std::string& directory);

}  // namespace platform::durable
