// File locks between processes: held, busy while another process holds the
// file (a bounded wait on the library clock), free again when the holder
// lets go or dies; nested within one process; a missing directory and a
// lock file that cannot be opened told apart.
#include <gtest/gtest.h>

#include <memory>

#include "os_fixtures.h"
#include "platform/os/file_lock.h"
#include "support/other_process.h"

namespace {

using platform::TFileLock;
using platform::TLockResult;

// Another process holding the lock file until it lets go (or is killed).
class OtherHolder {
 public:
  explicit OtherHolder(const std::string& path)
      : lock_(std::make_shared<TFileLock>()),
        other_({[lock = lock_, path] { return lock->Acquire(path) == TLockResult::Held ? 1 : 0; },
                [lock = lock_] {
                  lock->Release();
                  return 1;
                }}) {
    if (other_.Run(0) != 1) throw std::runtime_error("not held");
  }
  void Release() {
    other_.Run(1);
    other_.Kill();
  }
  void Kill() { other_.Kill(); }

 private:
  std::shared_ptr<TFileLock> lock_;  // the other process's copy is the one held
  testsupport::OtherProcess other_;
};

// What a fresh lock in another process gets for the file.
TLockResult AnotherProcessAcquires(const std::string& path) {
  testsupport::OtherProcess other({[&path] {
    TFileLock probe;
    return static_cast<int>(probe.Acquire(path));
  }});
  return static_cast<TLockResult>(other.Run(0));
}

TEST(FileLock, AnotherProcessHoldingItMakesItBusyUntilItLetsGoOrDies) {
  ostest::ScratchDirectory dir;
  ostest::ManualClock clock;
  const std::string path = dir.file("caixa.lck");
  for (bool dies : {false, true}) {
    SCOPED_TRACE(dies ? "holder killed" : "holder lets go");
    OtherHolder other(path);
    TFileLock lock;
    EXPECT_EQ(lock.Acquire(path, 500), TLockResult::Busy);
    EXPECT_GE(clock.Elapsed(), 500);  // waited, on the library clock
    EXPECT_FALSE(lock.Held());
    if (dies)
      other.Kill();
    else
      other.Release();
    EXPECT_EQ(lock.Acquire(path), TLockResult::Held);
    EXPECT_TRUE(lock.Held());
  }
}

TEST(FileLock, LocksOfOneProcessNestAndTheLastReleaseFreesTheFile) {
  ostest::ScratchDirectory dir;
  const std::string path = dir.file("tef.lck");
  auto outer = std::make_unique<TFileLock>();
  ASSERT_EQ(outer->Acquire(path), TLockResult::Held);
  {
    TFileLock inner;
    EXPECT_EQ(inner.Acquire(path), TLockResult::Held);
  }
  // Still held by the outer lock: another process finds it busy.
  EXPECT_EQ(AnotherProcessAcquires(path), TLockResult::Busy);

  outer.reset();
  EXPECT_EQ(AnotherProcessAcquires(path), TLockResult::Held);
}

TEST(FileLock, MissingDirectoryAndUnopenableFileAreToldApart) {
  ostest::ScratchDirectory dir;
  TFileLock lock;
  EXPECT_EQ(lock.Acquire(dir.file("absent/x.lck")), TLockResult::NoDirectory);
  std::filesystem::create_directory(dir.file("a_directory"));
  EXPECT_EQ(lock.Acquire(dir.file("a_directory")), TLockResult::NotWritable);
  EXPECT_FALSE(lock.ErrorText().empty());
  EXPECT_FALSE(lock.Held());
}

}  // namespace
