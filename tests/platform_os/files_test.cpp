// Paths and files: drive mapping, wildcard search, whole-file writes that a
// reader never sees half done, and the append-only log.
#include "platform/os/files.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "platform/base/errors.h"
#include "platform_os/os_fixtures.h"
#include "tests/support/other_process.h"

// Every fsync of this test program passes here, so a test sees what a save
// flushes and when.
std::function<void(int fd)> on_fsync;

extern "C" int fsync(int fd) {
  static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
  if (on_fsync) on_fsync(fd);
  return real(fd);
}

namespace {

using ostest::ScopedEnv;
using ostest::ScratchDirectory;
using ::testing::HasSubstr;

void Touch(const std::string& path, const std::string& bytes = "x") { std::ofstream(path, std::ios::binary) << bytes; }

class DriveMappingTest : public ::testing::Test {
 protected:
  void TearDown() override {
    platform::UnmapDrive('c');
    platform::UnmapDrive('d');
  }
};

TEST_F(DriveMappingTest, HostPathMapsDriveAndBackslashes) {
  platform::MapDrive('c', "/srv/drive_c/");
  struct Case {
    const char* path;
    const char* host;
  } cases[] = {
      {"c:\\tef_dial\\req\\intpos.001", "/srv/drive_c/tef_dial/req/intpos.001"},
      {"C:\\tef_disc\\resp\\", "/srv/drive_c/tef_disc/resp/"},
      {"c:", "/srv/drive_c"},
      {"c:ecf.cds", "/srv/drive_c/ecf.cds"},
      {"req\\intpos.001", "req/intpos.001"},
      {"/opt/pdv/ecf003.cds", "/opt/pdv/ecf003.cds"},
      {"/opt/pdv/\\impdebug.txt", "/opt/pdv//impdebug.txt"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::HostPath(c.path), c.host) << c.path;
}

TEST_F(DriveMappingTest, RootComesFromMappingThenEnvironmentThenDataHome) {
  ScopedEnv drive("PKG_QDM_DRIVE_D", "/env/d");
  EXPECT_EQ(platform::DriveRoot('d'), "/env/d");
  EXPECT_EQ(platform::HostPath("d:\\x.txt"), "/env/d/x.txt");

  platform::MapDrive('D', "/mapped/d");
  EXPECT_EQ(platform::DriveRoot('d'), "/mapped/d");
  platform::UnmapDrive('d');
  EXPECT_EQ(platform::DriveRoot('D'), "/env/d");

  ScopedEnv no_drive("PKG_QDM_DRIVE_D", std::nullopt);
  {
    ScopedEnv xdg("XDG_DATA_HOME", "/xdg");
    EXPECT_EQ(platform::DriveRoot('d'), "/xdg/pkg_qdm/drive_d");
  }
  ScopedEnv no_xdg("XDG_DATA_HOME", std::nullopt);
  ScopedEnv home("HOME", "/home/caixa");
  EXPECT_EQ(platform::HostPath("D:\\tef_dial\\"), "/home/caixa/.local/share/pkg_qdm/drive_d/tef_dial/");
}

TEST(PathParts, SplitsEitherForm) {
  struct Case {
    const char* path;
    const char* directory;
    const char* name;
    const char* extension;
  } cases[] = {
      {"/opt/pdv/ecf003.cds", "/opt/pdv/", "ecf003.cds", ".cds"},
      {"c:\\tef_dial\\resp\\intpos.001", "c:\\tef_dial\\resp\\", "intpos.001", ".001"},
      {"c:mp20fi.ret", "c:", "mp20fi.ret", ".ret"},
      {"/opt/pdv.1/pdv", "/opt/pdv.1/", "pdv", ""},
      {"impdebug.txt", "", "impdebug.txt", ".txt"},
      {"/opt/pdv/", "/opt/pdv/", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::ExtractFilePath(c.path), c.directory) << c.path;
    EXPECT_EQ(platform::ExtractFileName(c.path), c.name) << c.path;
    EXPECT_EQ(platform::ExtractFileExt(c.path), c.extension) << c.path;
  }
  EXPECT_EQ(platform::IncludeTrailingPathDelimiter("/opt/pdv"), "/opt/pdv/");
  EXPECT_EQ(platform::IncludeTrailingPathDelimiter("/opt/pdv/"), "/opt/pdv/");
  EXPECT_EQ(platform::IncludeTrailingPathDelimiter("c:\\tef_dial"), "c:\\tef_dial\\");
  EXPECT_EQ(platform::ExtractShortPathName("/opt/Program Files/pdv/"), "/opt/Program Files/pdv/");
}

TEST(HostExecutable, RealPathUnlessSet) {
  const std::string real = std::filesystem::read_symlink("/proc/self/exe");
  EXPECT_EQ(platform::GetModuleFileNameA(), real);
  platform::SetHostExecutable("/opt/pdv/pdv.exe");
  EXPECT_EQ(platform::GetModuleFileNameA(), "/opt/pdv/pdv.exe");
  platform::SetHostExecutable("");
  EXPECT_EQ(platform::GetModuleFileNameA(), real);
}

class FilesTest : public ::testing::Test {
 protected:
  ScratchDirectory dir;
};

TEST_F(FilesTest, FindFilesMatchesNamesInAnyCase) {
  for (const char* name : {"INTPOS.001", "intpos.sts", "Intpos.7", "intpos", "xintpos.001", "other.txt"})
    Touch(dir.file(name));
  std::filesystem::create_directory(dir.file("intpos.dir"));
  struct Case {
    const char* mask;
    std::vector<std::string> names;
  } cases[] = {
      {"intpos.*", {"INTPOS.001", "Intpos.7", "intpos.sts"}},
      {"INTPOS.00?", {"INTPOS.001"}},
      {"*pos.0*", {"INTPOS.001", "xintpos.001"}},
      {"*", {"INTPOS.001", "Intpos.7", "intpos", "intpos.sts", "other.txt", "xintpos.001"}},
      {"*.TXT", {"other.txt"}},
      {"intpos.??", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::FindFiles(dir.path(), c.mask), c.names) << c.mask;
  EXPECT_TRUE(platform::FindFiles(dir.file("absent"), "*").empty());
}

TEST_F(FilesTest, FindFilesThroughMappedDriveAndMaskDirectory) {
  std::filesystem::create_directories(dir.file("tef_dial/resp"));
  Touch(dir.file("tef_dial/resp/intpos.001"));
  platform::MapDrive('c', dir.path());
  EXPECT_EQ(platform::FindFiles("c:\\tef_dial\\resp\\", "intpos.*"), std::vector<std::string>{"intpos.001"});
  EXPECT_EQ(platform::FindFiles("c:\\tef_dial\\", "resp\\intpos.*"), std::vector<std::string>{"intpos.001"});
  EXPECT_TRUE(platform::FileExists("c:\\tef_dial\\resp\\intpos.001"));
  EXPECT_TRUE(platform::DirectoryExists("c:\\tef_dial\\resp\\"));
  EXPECT_FALSE(platform::FileExists("c:\\tef_dial\\resp"));
  platform::UnmapDrive('c');
}

TEST_F(FilesTest, WriteFileAtomicReplacesTargetAndLeavesNothingElse) {
  const std::string target = dir.file("intpos.001");
  platform::WriteFileAtomic(target, "000-000 = ATV\r\n");
  ::chmod(target.c_str(), 0640);
  const std::string bytes("000-000 = CNF\r\n\xE7\0\xFF", 18);
  platform::WriteFileAtomic(target, bytes);

  EXPECT_EQ(platform::ReadFileBytes(target), bytes);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"intpos.001"});
  struct stat info;
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(FilesTest, WriteFileAtomicFailureRaisesAndCleansUp) {
  EXPECT_THROW(
      {
        try {
          platform::WriteFileAtomic(dir.file("missing/intpos.001"), "x");
        } catch (const platform::EInOutError& e) {
          EXPECT_THAT(e.Message(), HasSubstr(dir.file("missing/intpos.001")));
          throw;
        }
      },
      platform::EInOutError);
  // The target is a directory: the rename fails after the temporary was written.
  std::filesystem::create_directory(dir.file("req"));
  Touch(dir.file("req/keep"));
  EXPECT_THROW(platform::WriteFileAtomic(dir.file("req"), "x"), platform::EInOutError);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"req"});
}

TEST_F(FilesTest, WriteFileAtomicFlushesTheDirectoryAfterTheRename) {
  const std::string target = dir.file("tiporece.cds");
  struct stat directory;
  ASSERT_EQ(::stat(dir.path().c_str(), &directory), 0);
  std::vector<std::string> flushed;  // what was flushed, and what the target held then
  on_fsync = [&](int fd) {
    struct stat info;
    ASSERT_EQ(::fstat(fd, &info), 0);
    const bool is_directory = S_ISDIR(info.st_mode) && info.st_ino == directory.st_ino;
    flushed.push_back(std::string(is_directory ? "directory" : "file") + " with target '" +
                      (platform::FileExists(target) ? platform::ReadFileBytes(target) : "") + "'");
  };
  platform::WriteFileAtomic(target, "new");
  on_fsync = nullptr;
  EXPECT_EQ(flushed, (std::vector<std::string>{"file with target ''", "directory with target 'new'"}));
}

TEST_F(FilesTest, FirstSaveIntoADirectoryRemovesOnlyWorkFilesOfEndedSaves) {
  // Processes of our own: one running to the end of the test, one ended,
  // and one ended and not yet collected (as when a power cut's kill takes a
  // process and its parent together).
  testsupport::OtherProcess ended({}), running({}), uncollected({});
  ended.Kill();
  uncollected.EndUncollected();
  const std::string self = std::to_string(::getpid());
  const std::vector<std::string> leftovers = {".tiporece.cds." + ended.id() + ".0.tmp",
                                              ".intpos.001." + ended.id() + ".17.tmp",
                                              ".intpos.sts." + uncollected.id() + ".1.tmp"};
  std::vector<std::string> kept = {".tiporece.cds." + running.id() + ".0.tmp",  // a save still running
                                   ".tiporece.cds." + self + ".999999.tmp",     // this process's id
                                   ".ecf001.cds." + ended.id() + ".2.tmp",      // locked: a save on another machine
                                   // Other programs' files, and names that only look like a work file.
                                   ".tiporece.cds.swp", "tiporece.cds." + ended.id() + ".0.tmp",
                                   ".tiporece.cds." + ended.id() + ".tmp", "." + ended.id() + ".0.tmp",
                                   ".x." + ended.id() + ".0.tmp.bak", ".x.1a.0.tmp", "notes.tmp"};
  for (const std::string& name : leftovers) Touch(dir.file(name));
  for (const std::string& name : kept) Touch(dir.file(name));
  // Never a directory, never through a link.
  kept.push_back(".dir." + ended.id() + ".0.tmp");
  std::filesystem::create_directory(dir.file(kept.back()));
  kept.push_back(".link." + ended.id() + ".0.tmp");
  std::filesystem::create_symlink("notes.tmp", dir.file(kept.back()));
  const int held = ::open(dir.file(".ecf001.cds." + ended.id() + ".2.tmp").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);

  platform::WriteFileAtomic(dir.file("tiporece.cds"), "new");
  ::close(held);
  kept.push_back("tiporece.cds");
  std::sort(kept.begin(), kept.end());
  std::vector<std::string> entries = dir.Entries();
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, kept);
  EXPECT_TRUE(platform::FileExists(dir.file("notes.tmp")));

  // Only the first save into the directory looks: the process's start.
  Touch(dir.file(leftovers[0]));
  platform::WriteFileAtomic(dir.file("tiporece.cds"), "newer");
  EXPECT_TRUE(platform::FileExists(dir.file(leftovers[0])));
}

// After a restart process ids come round again: the work file names an
// earlier process with this one's id left do not stop a save.
TEST_F(FilesTest, WorkFileNamesTakenByAnEarlierProcessAreSkipped) {
  // The number of the next work file, from the one a save flushes.
  int next = -1;
  on_fsync = [&](int fd) {
    char link[PATH_MAX] = {};
    const std::string name = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), link, sizeof link - 1) > 0
                                 ? std::filesystem::path(link).filename().string()
                                 : "";
    if (name.ends_with(".tmp")) next = std::stoi(name.substr(name.rfind('.', name.size() - 5) + 1)) + 1;
  };
  platform::WriteFileAtomic(dir.file("probe"), "x");
  on_fsync = nullptr;
  ASSERT_GE(next, 0);
  const std::string self = std::to_string(::getpid());
  for (int n = next; n < next + 3; ++n) Touch(dir.file(".ledger." + self + "." + std::to_string(n) + ".tmp"), "old");
  platform::WriteFileAtomic(dir.file("ledger"), "new");
  EXPECT_EQ(platform::ReadFileBytes(dir.file("ledger")), "new");
  EXPECT_EQ(dir.Entries().size(), 5u);
}

TEST_F(FilesTest, AppendLineAddsCrLfPerCall) {
  const std::string log = dir.file("impdebug.txt");
  platform::AppendLine(log, "06/12/2026 14:03:27 - Abrindo porta COM1");
  platform::AppendLine(log, "Comando : \x1B|09|\x1B");
  EXPECT_EQ(platform::ReadFileBytes(log), "06/12/2026 14:03:27 - Abrindo porta COM1\r\nComando : \x1B|09|\x1B\r\n");
  EXPECT_THROW(platform::AppendLine(dir.path(), "x"), platform::EInOutError);
  EXPECT_THROW(platform::AppendLine(dir.file("missing/impdebug.txt"), "x"), platform::EInOutError);
}

TEST_F(FilesTest, ReadFileBytesRaisesForMissingFile) {
  try {
    platform::ReadFileBytes(dir.file("ecf003.cds"));
    ADD_FAILURE() << "no error raised";
  } catch (const platform::EInOutError& e) {
    // Said to the operator in Portuguese (Windows-1252).
    EXPECT_EQ(e.Message(),
              "N\xE3o foi poss\xEDvel abrir " + dir.file("ecf003.cds") + ": arquivo ou diret\xF3rio inexistente");
  }
}

TEST_F(FilesTest, ReadFileBoundedRefusesALargerFileNamingIt) {
  const std::string answer = dir.file("intpos.001");
  Touch(answer, "000-000 = CRT\r\n");
  EXPECT_EQ(platform::ReadFileBounded(answer, 15), "000-000 = CRT\r\n");
  // A sparse file of 100 MB: refused by its size, never read.
  const std::string big = dir.file("tiporece.cds");
  Touch(big, "");
  std::filesystem::resize_file(big, std::uintmax_t{100} << 20);
  for (const std::string& path : {answer, big}) {
    try {
      platform::ReadFileBounded(path, 14);
      ADD_FAILURE() << "no error raised for " << path;
    } catch (const platform::EInOutError& e) {
      EXPECT_THAT(e.Message(), HasSubstr(path));
      EXPECT_THAT(e.Message(), HasSubstr("maior que 14 bytes"));
    }
  }
  EXPECT_THROW(platform::ReadFileBounded(dir.file("ecf003.cds"), 14), platform::EInOutError);
}

// A regular file is read straight into place by its size; a pipe, whose
// size is unknown, through a buffer, piece by piece, under the same bound.
TEST_F(FilesTest, ReadsWholeFilesAndPipesLargerThanOneBuffer) {
  std::string bytes(200001, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>('A' + i % 23);
  const std::string file = dir.file("movcaixa.cds");
  Touch(file, bytes);
  EXPECT_EQ(platform::ReadFileBytes(file), bytes);
  EXPECT_EQ(platform::ReadFileBounded(file, bytes.size()), bytes);

  const std::string pipe = dir.file("pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  for (const std::size_t limit : {bytes.size(), bytes.size() - 1}) {
    std::thread writer([&] { std::ofstream(pipe, std::ios::binary) << bytes; });
    if (limit == bytes.size()) {
      EXPECT_EQ(platform::ReadFileBounded(pipe, limit), bytes);
    } else {
      EXPECT_THROW(platform::ReadFileBounded(pipe, limit), platform::EInOutError);
    }
    writer.join();
  }
}

TEST_F(FilesTest, WriteFileAtCutsTheTornEndAndTailReadsTheLastBytes) {
  const std::string archive = dir.file("qdm_tef_202612.ldg");
  platform::WriteFileAt(archive, 0, "CNF;1;A\r\nNCN;1;B\r\nCNF;1;");  // the last line torn
  std::size_t size = 0;
  EXPECT_EQ(platform::ReadFileTail(archive, 8, size), "\r\nCNF;1;");
  EXPECT_EQ(size, 24u);
  platform::WriteFileAt(archive, 18, "CNF;1;C\r\n");
  EXPECT_EQ(platform::ReadFileBytes(archive), "CNF;1;A\r\nNCN;1;B\r\nCNF;1;C\r\n");
  EXPECT_EQ(platform::ReadFileTail(archive, 100, size), platform::ReadFileBytes(archive));
  EXPECT_EQ(size, 27u);
  EXPECT_THROW(platform::ReadFileTail(dir.file("missing"), 8, size), platform::EInOutError);
  EXPECT_THROW(platform::WriteFileAt(dir.file("missing/x"), 0, "x"), platform::EInOutError);
}

TEST_F(FilesTest, DirectoriesDeleteAndRename) {
  EXPECT_TRUE(platform::ForceDirectories(dir.file("tef_dial/resp/")));
  EXPECT_TRUE(platform::DirectoryExists(dir.file("tef_dial/resp")));
  EXPECT_TRUE(platform::ForceDirectories(dir.file("tef_dial")));
  Touch(dir.file("plain"));
  EXPECT_FALSE(platform::ForceDirectories(dir.file("plain/sub")));

  Touch(dir.file("tef_dial/resp/intpos.001"), "answer");
  Touch(dir.file("tef_dial/resp/intpos.3"), "old");
  EXPECT_TRUE(platform::RenameFile(dir.file("tef_dial/resp/intpos.001"), dir.file("tef_dial/resp/intpos.3")));
  EXPECT_EQ(platform::ReadFileBytes(dir.file("tef_dial/resp/intpos.3")), "answer");
  EXPECT_FALSE(platform::RenameFile(dir.file("tef_dial/resp/intpos.001"), dir.file("x")));

  EXPECT_TRUE(platform::DeleteFile(dir.file("tef_dial/resp/intpos.3")));
  EXPECT_FALSE(platform::DeleteFile(dir.file("tef_dial/resp/intpos.3")));
  EXPECT_FALSE(platform::DeleteFile(dir.file("tef_dial")));
  EXPECT_FALSE(platform::DeleteFile(""));
}

}  // namespace
