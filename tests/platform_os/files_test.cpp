// Paths and files: drive mapping, wildcard search, whole-file writes that a
// reader never sees half done, and the append-only log.
#include "platform/os/files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/base/errors.h"
#include "platform_os/os_fixtures.h"

namespace {

using ostest::ScopedEnv;
using ostest::ScratchDirectory;
using ::testing::HasSubstr;

void Touch(const std::string& path, const std::string& bytes = "x") { std::ofstream(path, std::ios::binary) << bytes; }

class DriveMapping : public ::testing::Test {
 protected:
  void TearDown() override {
    platform::UnmapDrive('c');
    platform::UnmapDrive('d');
  }
};

TEST_F(DriveMapping, HostPathMapsDriveAndBackslashes) {
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

TEST_F(DriveMapping, RootComesFromMappingThenEnvironmentThenDataHome) {
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

class Files : public ::testing::Test {
 protected:
  ScratchDirectory dir;
};

TEST_F(Files, FindFilesMatchesNamesInAnyCase) {
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

TEST_F(Files, FindFilesThroughMappedDriveAndMaskDirectory) {
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

TEST_F(Files, WriteFileAtomicReplacesTargetAndLeavesNothingElse) {
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

TEST_F(Files, WriteFileAtomicFailureRaisesAndCleansUp) {
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

TEST_F(Files, AppendLineAddsCrLfPerCall) {
  const std::string log = dir.file("impdebug.txt");
  platform::AppendLine(log, "06/12/2026 14:03:27 - Abrindo porta COM1");
  platform::AppendLine(log, "Comando : \x1B|09|\x1B");
  EXPECT_EQ(platform::ReadFileBytes(log), "06/12/2026 14:03:27 - Abrindo porta COM1\r\nComando : \x1B|09|\x1B\r\n");
  EXPECT_THROW(platform::AppendLine(dir.path(), "x"), platform::EInOutError);
  EXPECT_THROW(platform::AppendLine(dir.file("missing/impdebug.txt"), "x"), platform::EInOutError);
}

TEST_F(Files, ReadFileBytesRaisesForMissingFile) {
  try {
    platform::ReadFileBytes(dir.file("ecf003.cds"));
    ADD_FAILURE() << "no error raised";
  } catch (const platform::EInOutError& e) {
    // Said to the operator in Portuguese (Windows-1252).
    EXPECT_EQ(e.Message(), "N\xE3o foi poss\xEDvel abrir " + dir.file("ecf003.cds") +
                               ": arquivo ou diret\xF3rio inexistente");
  }
}

TEST_F(Files, DirectoriesDeleteAndRename) {
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
