// File locks between processes: held, busy while another process holds the
// file (a bounded wait on the library clock), free again when the holder
// lets go or dies; nested within one process; a missing directory and a
// lock file that cannot be opened told apart.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

#include "os_fixtures.h"
#include "platform/os/file_lock.h"

namespace {

using platform::TFileLock;
using platform::TLockResult;

// Another process holding the lock file until it is told to stop (or killed).
class OtherHolder {
 public:
  explicit OtherHolder(const std::string& path) {
    int held[2];
    if (pipe(held) != 0 || pipe(release_) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
      TFileLock lock;
      char byte = lock.Acquire(path) == TLockResult::Held ? 'y' : 'n';
      (void)!write(held[1], &byte, 1);
      (void)!read(release_[0], &byte, 1);
      _exit(0);
    }
    char byte = 0;
    if (read(held[0], &byte, 1) != 1 || byte != 'y') throw std::runtime_error("not held");
    close(held[0]);
    close(held[1]);
  }
  ~OtherHolder() { End(); }
  void Release() {
    char byte = 'x';
    (void)!write(release_[1], &byte, 1);
    End();
  }
  void Kill() {
    kill(pid_, SIGKILL);
    End();
  }

 private:
  void End() {
    if (pid_ <= 0) return;
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
    close(release_[0]);
    close(release_[1]);
  }
  pid_t pid_ = -1;
  int release_[2] = {-1, -1};
};

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
  pid_t child = fork();
  if (child == 0) {
    TFileLock probe;
    _exit(probe.Acquire(path) == TLockResult::Busy ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  outer.reset();
  child = fork();
  if (child == 0) {
    TFileLock probe;
    _exit(probe.Acquire(path) == TLockResult::Held ? 0 : 1);
  }
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
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
