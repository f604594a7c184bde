// The fault a script gives an emulated printer through its environment:
// what is read, and what is refused with its reason.
#include <gtest/gtest.h>

#include "emulators/common/env_fault.h"

namespace {

using emu::CommandFaultSetting;
using emu::ParseCommandFault;

TEST(EnvFault, ReadsCommandStatusAndCount) {
  const struct {
    const char* text;
    const char* command;
    std::vector<std::string> status;
    int count;
  } cases[] = {
      {"34:0,1", "34", {"0", "1"}, 1},
      {"80|52:0,1:3", "80|52", {"0", "1"}, 3},
      {"12:P013,SEM PAPEL:-1", "12", {"P013", "SEM PAPEL"}, -1},
      {" F3 : 31 : 2 ", "F3", {"31"}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::string error;
    const auto fault = ParseCommandFault(c.text, &error);
    ASSERT_TRUE(fault.has_value()) << error;
    EXPECT_EQ(fault->command, c.command);
    EXPECT_EQ(fault->status, c.status);
    EXPECT_EQ(fault->count, c.count);
  }
}

TEST(EnvFault, RefusesWhatItCannotRead) {
  for (const char* text : {"", "34", ":0,1", "34:", "34:0,", "34:0,1:0", "34:0,1:x", "34:0,1:2:3", "34:0,1:-2"}) {
    SCOPED_TRACE(text);
    std::string error;
    EXPECT_FALSE(ParseCommandFault(text, &error).has_value());
    EXPECT_FALSE(error.empty());
  }
}

TEST(EnvFault, NumbersInRange) {
  EXPECT_EQ(emu::FaultNumber("255", 0, 255), 255);
  EXPECT_FALSE(emu::FaultNumber("256", 0, 255).has_value());
  EXPECT_FALSE(emu::FaultNumber("1a", 0, 255).has_value());
  EXPECT_FALSE(emu::FaultNumber("", 0, 255).has_value());
}

}  // namespace
