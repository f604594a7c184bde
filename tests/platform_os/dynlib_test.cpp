// Loading a maker library by file name and binding its entry points.
#include "platform/os/dynlib.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/os/files.h"
#include "platform_os/os_fixtures.h"

namespace {

using ostest::ScopedEnv;
using ostest::ScratchDirectory;
using ::testing::HasSubstr;

const char* const kLibrary = "QdmTestLib32.dll";

std::string BuiltLibrary() {
  return platform::ExtractFilePath(std::filesystem::read_symlink("/proc/self/exe")) + kLibrary;
}

// Loads, binds and calls the stand-in's entry point.
int AnswerOf(const char* file_name) {
  platform::HMODULE module = platform::LoadLibraryA(file_name);
  if (!module) {
    ADD_FAILURE() << file_name << ": " << platform::LastLibraryError();
    return -1;
  }
  int (*answer)() = nullptr;
  EXPECT_TRUE(platform::Bind(module, "QdmTestAnswer", answer));
  const int result = answer ? answer() : -1;
  EXPECT_TRUE(platform::FreeLibrary(module));
  return result;
}

class LibraryLookupTest : public ::testing::Test {
 protected:
  LibraryLookupTest() { std::filesystem::copy_file(BuiltLibrary(), elsewhere.file("QdmPathLib.dll")); }
  ~LibraryLookupTest() override {
    platform::SetHostExecutable("");
    platform::UnmapDrive('c');
  }
  ScratchDirectory elsewhere, empty;
};

TEST_F(LibraryLookupTest, BareNameBesideTheExecutableInAnyCase) {
  EXPECT_EQ(AnswerOf(kLibrary), 42);
  EXPECT_EQ(AnswerOf("qdmtestlib32.DLL"), 42);
}

TEST_F(LibraryLookupTest, BareNameBesideTheHostThenOnTheLibraryPath) {
  EXPECT_EQ(platform::LoadLibraryA("QdmPathLib.dll"), nullptr);
  {
    ScopedEnv path("PKG_QDM_LIBRARY_PATH", empty.path() + ":" + elsewhere.path());
    EXPECT_EQ(AnswerOf("QdmPathLib.dll"), 42);
  }
  platform::SetHostExecutable(elsewhere.file("pdv"));
  EXPECT_EQ(AnswerOf("QdmPathLib.dll"), 42);
}

TEST_F(LibraryLookupTest, NameWithDirectoryIsUsedAsGiven) {
  platform::MapDrive('c', elsewhere.path());
  EXPECT_EQ(AnswerOf("c:\\QdmPathLib.dll"), 42);
  EXPECT_EQ(AnswerOf(elsewhere.file("QdmPathLib.dll").c_str()), 42);
  EXPECT_EQ(platform::LoadLibraryA((empty.path() + "/" + kLibrary).c_str()), nullptr);
}

TEST_F(LibraryLookupTest, FailuresAnswerNullAndKeepTheReason) {
  EXPECT_EQ(platform::LoadLibraryA("Mp20fi32_absent.dll"), nullptr);
  EXPECT_THAT(platform::LastLibraryError(), HasSubstr("Mp20fi32_absent.dll"));
  EXPECT_EQ(platform::LoadLibraryA(nullptr), nullptr);
  EXPECT_EQ(platform::LoadLibraryA(""), nullptr);

  platform::HMODULE module = platform::LoadLibraryA(kLibrary);
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(platform::GetProcAddress(module, "RecComm"), nullptr);
  EXPECT_THAT(platform::LastLibraryError(), HasSubstr("RecComm"));
  EXPECT_EQ(platform::GetProcAddress(nullptr, "QdmTestAnswer"), nullptr);
  EXPECT_EQ(platform::GetProcAddress(module, nullptr), nullptr);
  EXPECT_TRUE(platform::FreeLibrary(module));
  EXPECT_FALSE(platform::FreeLibrary(nullptr));
}

}  // namespace
