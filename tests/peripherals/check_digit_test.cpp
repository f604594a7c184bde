// The badge check digit through the emulated "DCVT32.dll": on and off by
// IdCriptoCons, the program directory handed over, and answers the library
// gets wrong kept from reaching the front end.
#include <gtest/gtest.h>

#include "emulators/badge/dcvt32.h"
#include "peripherals/readers/Qdm00800.h"
#include "peripherals/readers/check_digit.h"
#include "platform/os/files.h"
#include "peripherals/library_bench.h"

namespace {

using namespace Qdm00800;

class CheckDigitBench : public peripheral_test::LibraryBench {
 public:
  CheckDigitBench() : LibraryBench("DCVT32.dll") { Reset(); }
  ~CheckDigitBench() { Reset(); }
  // The directory handed over in the last call ("directory|badge").
  std::string LastDirectory() const {
    const std::string call = FrameAt(FrameCount() - 1);
    return call.substr(0, call.rfind('|'));
  }
  int CallCount() const { return FrameCount(); }
  void (*SetFault)(int) = Bind<void(int)>("DcvtEmu_SetFault");
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
  } cases[] = {{"12345", "123455"}, {"0004711", "00047112"}, {"1", "19"}, {"6", "60"}, {"261533", "2615339"}, {"", ""},
               {"12A45", ""}};
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
