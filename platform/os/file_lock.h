// Advisory locks on files, for work that two processes must not do at once
// (two registers on one home, two transactions in one TEF manager's
// directory). A lock is an flock on a lock file: the system drops it when
// its holder dies, so a killed process never leaves a directory locked.
//
// Within one process the locks of a file nest: a second TFileLock on a file
// the process already holds shares the hold, and the file is released when
// the last one ends. A child made by fork holds none of its parent's locks:
// it finds them busy, and a program it runs never inherits one.
#pragma once
#include <string>
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace platform {

enum class TLockResult {
  Held,         // this process holds the file now
  Busy,         // another process holds it
  NoDirectory,  // the lock file's directory does not exist
  NotWritable,  // the lock file cannot be created or opened for writing
};

class TFileLock {
 public:
  TFileLock() = default;
  ~TFileLock();
  TFileLock(const TFileLock&) = delete;
  TFileLock& operator=(const TFileLock&) = delete;

  // Takes the lock of `path` (created when missing), waiting on the library
  // clock up to `wait_ms` for another process to let it go. Releases any
  // lock this object held before.
  TLockResult Acquire(const std::string& path, int wait_ms = 0);
  void Release();
  bool Held() const { return !path_.empty(); }
  // The system's text of the last failure to open the file ("Permission
  // denied"), for the operator's message.
  const std::string& ErrorText() const { return error_; }

 private:
  std::string path_;  // host path while held
  std::string error_;
};

}  // namespace platform

PKG_QDM_PUBLIC_END
