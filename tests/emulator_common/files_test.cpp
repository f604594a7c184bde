// The one atomic writer of the emulators and the TEF manager.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "emulators/common/files.h"
#include "emulators/common/state_memory.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class AtomicWriteTest : public ::testing::Test {
 protected:
  // Removed at the end whatever permissions the test left on it.
  testsupport::TempDir temp{"emu-files"};
  std::string dir = temp.path();

  std::string File(const std::string& name) const { return dir + "/" + name; }
  std::string Read(const std::string& path) const {
    std::string bytes;
    EXPECT_EQ(emu::ReadWholeFile(path, bytes, std::size_t{1} << 20), emu::ReadResult::Read) << path;
    return bytes;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    return names;
  }
};

TEST_F(AtomicWriteTest, ReplacesWholeKeepsPermissionsAndLeavesNoWorkFile) {
  const std::string path = File("state");
  std::string bytes(200000, 'x');
  bytes[100] = '\0';
  ASSERT_TRUE(emu::WriteFileAtomic(path, "old\n"));
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  std::string error;
  ASSERT_TRUE(emu::WriteFileAtomic(path, bytes, &error)) << error;
  EXPECT_EQ(Read(path), bytes);
  struct stat info;
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(Names(), std::vector<std::string>{"state"});
}

TEST_F(AtomicWriteTest, AReaderBetweenTheLinesSeesOnlyTheOldFile) {
  const std::string path = File("intpos.001");
  ASSERT_TRUE(emu::WriteFileAtomic(path, "000-000 = ATV\r\n999-999 = 0\r\n"));
  int pauses = 0;
  emu::WriteOptions slow;
  slow.between_lines = [&] {
    ++pauses;
    EXPECT_EQ(Read(path), "000-000 = ATV\r\n999-999 = 0\r\n");
    for (const std::string& name : Names())
      EXPECT_TRUE(name == "intpos.001" || name[0] == '.') << "a work file any search would see: " << name;
  };
  const std::string answer = "000-000 = CRT\r\n001-000 = 1\r\n999-999 = 0\r\n";
  ASSERT_TRUE(emu::WriteFileAtomic(path, answer, nullptr, slow));
  EXPECT_EQ(pauses, 2);
  EXPECT_EQ(Read(path), answer);
}

TEST_F(AtomicWriteTest, FailureSaysWhyAndLeavesTheTargetUntouched) {
  const std::string path = File("state");
  ASSERT_TRUE(emu::WriteFileAtomic(path, "kept"));
  std::string error;
  EXPECT_FALSE(emu::WriteFileAtomic(File("missing/state"), "x", &error));
  EXPECT_NE(error.find("missing/state"), std::string::npos) << error;
  EXPECT_NE(error.find("No such file"), std::string::npos) << error;

  if (::geteuid() != 0) {  // root writes anywhere
    ASSERT_EQ(::chmod(dir.c_str(), 0500), 0);
    error.clear();
    EXPECT_FALSE(emu::WriteFileAtomic(path, "lost", &error));
    EXPECT_FALSE(error.empty());
    ASSERT_EQ(::chmod(dir.c_str(), 0700), 0);
  }
  // A directory where the file should be: the rename fails, the work file goes.
  fs::create_directory(File("taken"));
  EXPECT_FALSE(emu::WriteFileAtomic(File("taken"), "x", &error));
  EXPECT_NE(error.find("rename"), std::string::npos) << error;
  EXPECT_EQ(Read(path), "kept");
  EXPECT_EQ(Names().size(), 2u) << "no work file left behind";
}

TEST_F(AtomicWriteTest, ReadTellsAMissingFileFromAnUnreadableOneAndATooLargeOne) {
  std::string bytes = "untouched";
  EXPECT_EQ(emu::ReadWholeFile(File("none"), bytes, 10), emu::ReadResult::Missing);
  EXPECT_EQ(emu::ReadWholeFile(dir, bytes, 10), emu::ReadResult::Unreadable) << "a directory";
  ASSERT_TRUE(emu::WriteFileAtomic(File("eleven"), "01234567890"));
  EXPECT_EQ(emu::ReadWholeFile(File("eleven"), bytes, 10), emu::ReadResult::TooLarge);
  EXPECT_EQ(bytes, "untouched");
  EXPECT_EQ(emu::ReadWholeFile(File("eleven"), bytes, 11), emu::ReadResult::Read);
  EXPECT_EQ(bytes, "01234567890");
}

// A printer's memory as the three emulated printers keep it.
struct Counter {
  int value = 0;
};
int parsed = 0;
std::optional<Counter> ParseCounter(const std::string& text) {
  ++parsed;
  if (text.rfind("count=", 0) != 0) return std::nullopt;
  return Counter{std::atoi(text.c_str() + 6)};
}
std::string SerializeCounter(const Counter& c) { return "count=" + std::to_string(c.value); }

TEST_F(AtomicWriteTest, StateFileAboveTheBoundIsAMemoryFaultNeverRead) {
  emu::StateMemory<Counter> memory(ParseCounter, SerializeCounter);
  Counter counter;
  memory.SetPath(File("state"));
  memory.Load(counter, [&] { counter.value = 1; });
  EXPECT_FALSE(memory.fault());
  EXPECT_EQ(Read(File("state")), "count=1");

  // 100 MB (sparse): refused by its size, before any parse, and kept.
  fs::resize_file(File("state"), std::uintmax_t{100} << 20);
  parsed = 0;
  counter.value = 7;
  memory.Load(counter, [&] { counter.value = 1; });
  EXPECT_TRUE(memory.fault());
  EXPECT_EQ(parsed, 0);
  EXPECT_EQ(counter.value, 7);
  EXPECT_FALSE(memory.Save(counter));
  EXPECT_EQ(fs::file_size(File("state")), std::uintmax_t{100} << 20);

  // Just at the bound it is read.
  fs::resize_file(File("state"), emu::kStateFileLimit);
  memory.SetPath(File("state"));
  memory.Load(counter, [] {});
  EXPECT_EQ(parsed, 1);
}

}  // namespace
