// The badge check digit through the emulated "DCVT32.dll": on and off by
// IdCriptoCons, the program directory handed over, and answers the library
// gets wrong kept from reaching the front end.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "emulators/badge/dcvt32.h"
#include "peripherals/readers/Qdm00800.h"
#include "platform/os/files.h"
#include "support/emulated_printer.h"

namespace {

using namespace Qdm00800;

class CheckDigitBench {
 public:
  CheckDigitBench() {
    handle_ = dlopen((testsupport::ExecutableDirectory() + "/DCVT32.dll").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) throw std::runtime_error(dlerror());
    SetFault = reinterpret_cast<void (*)(int)>(dlsym(handle_, "DcvtEmu_SetFault"));
    last_directory_ = reinterpret_cast<int (*)(char*, int)>(dlsym(handle_, "DcvtEmu_LastDirectory"));
    CallCount = reinterpret_cast<int (*)()>(dlsym(handle_, "DcvtEmu_CallCount"));
    SetFault(DCVT_OK);
  }
  ~CheckDigitBench() {
    SetFault(DCVT_OK);
    dlclose(handle_);
  }
  CheckDigitBench(const CheckDigitBench&) = delete;
  CheckDigitBench& operator=(const CheckDigitBench&) = delete;
  std::string LastDirectory() const {
    char buf[4096];
    last_directory_(buf, sizeof buf);
    return buf;
  }
  void (*SetFault)(int);
  int (*CallCount)();

 private:
  void* handle_;
  int (*last_directory_)(char*, int);
};

class CheckDigitTest : public ::testing::Test {
 protected:
  void TearDown() override {
    StopDigVerif();
    IdCriptoCons.clear();
    platform::SetHostExecutable("");
  }
};

TEST_F(CheckDigitTest, OnlyOneTurnsTheLibraryOn) {
  for (const char* setting : {"0", "", "S", "11", " 1"}) {
    IdCriptoCons = setting;
    StartDigVerif();
    EXPECT_FALSE(DigVerifOK) << setting;
    EXPECT_EQ(DigVerifDLLHandle, nullptr);
    EXPECT_EQ(GetMatriculaDV("12345"), "");
  }
  IdCriptoCons = "1";
  StartDigVerif();
  EXPECT_TRUE(DigVerifOK);
  EXPECT_NE(DVDescriptografaMatricula, nullptr);
}

TEST_F(CheckDigitTest, BadgeNumberGetsItsModuloElevenDigit) {
  CheckDigitBench bench;
  IdCriptoCons = "1";
  StartDigVerif();
  const struct {
    const char* badge;
    const char* with_digit;
  } cases[] = {{"12345", "123455"}, {"0004711", "00047112"}, {"1", "19"}, {"6", "60"}, {"261533", "2615339"},
               {"", ""}, {"12A45", ""}};
  for (const auto& c : cases) EXPECT_EQ(GetMatriculaDV(c.badge), c.with_digit) << c.badge;
}

TEST_F(CheckDigitTest, ProgramDirectoryGoesWithoutTheTrailingDelimiter) {
  CheckDigitBench bench;
  IdCriptoCons = "1";
  StartDigVerif();
  platform::SetHostExecutable("/opt/pdv/bin/pdv");
  GetMatriculaDV("12345");
  EXPECT_EQ(bench.LastDirectory(), "/opt/pdv/bin");
  platform::SetHostExecutable("/pdv");
  EXPECT_EQ(ProgramDirectory(), "/");
}

TEST_F(CheckDigitTest, OverlongUnterminatedOrMissingAnswerGivesEmptyText) {
  CheckDigitBench bench;
  IdCriptoCons = "1";
  StartDigVerif();
  for (int fault : {DCVT_OVERLONG, DCVT_UNTERMINATED, DCVT_NULL}) {
    bench.SetFault(fault);
    EXPECT_EQ(GetMatriculaDV("12345"), "") << fault;
  }
  bench.SetFault(DCVT_OK);
  EXPECT_EQ(GetMatriculaDV("12345"), "123455");
}

TEST_F(CheckDigitTest, StopUnloadsAndAskingAfterwardsReachesNoLibrary) {
  CheckDigitBench bench;
  IdCriptoCons = "1";
  StartDigVerif();
  const int calls = bench.CallCount();
  StopDigVerif();
  StopDigVerif();
  EXPECT_FALSE(DigVerifOK);
  EXPECT_EQ(DigVerifDLLHandle, nullptr);
  EXPECT_EQ(DVDescriptografaMatricula, nullptr);
  EXPECT_EQ(GetMatriculaDV("12345"), "");
  EXPECT_EQ(bench.CallCount(), calls);
}

}  // namespace
