// One register per home, and a register that leaves nothing it started
// running however it ends.
#include <gtest/gtest.h>
#include <signal.h>

#include "tests/register/register_process.h"

namespace register_test {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A register busy in a card payment: the manager delays its acknowledgement.
std::vector<std::string> SlowCardSale(const Home& home) {
  home.ControlManager("ack-delay-ms=2000\n");
  return {"--dir", home.str(), "--unattended"};
}

TEST(RegisterHome, SecondRegisterOnTheSameHomeRefuses) {
  Home home;
  RegisterProcess first(SlowCardSale(home));
  ASSERT_TRUE(Eventually(10, [&] { return ManagerServes(home.TefRoot()); }));

  const Finished second = RunRegister({"--dir", home.str(), "--unattended", "--sem-cartao"}, 20);
  EXPECT_EQ(second.exit_code, 1) << second.out << second.err;
  EXPECT_TRUE(Has(second.err, "Outro caixa j\xC3\xA1 est\xC3\xA1 em execu\xC3\xA7\xC3\xA3o nesta pasta: " + home.str()))
      << second.err;
  EXPECT_FALSE(Has(second.out, "AbreCupom")) << second.out;

  // The first goes on undisturbed; once it is done the home is free again.
  const auto done = first.Wait(60);
  ASSERT_TRUE(done.has_value());
  EXPECT_EQ(done->exit_code, 0) << done->out << done->err;
  const Finished after = RunRegister({"--dir", home.str(), "--unattended", "--sem-cartao"});
  EXPECT_EQ(after.exit_code, 0) << after.out << after.err;
}

// Stopped by a signal in the middle of a card payment, the register stops
// the TEF manager it started before it ends; killed outright, the system
// ends the manager for it.
TEST(RegisterHome, ManagerEndsWithTheRegisterHoweverItEnds) {
  for (int signal_number : {SIGTERM, SIGHUP, SIGINT, SIGKILL}) {
    SCOPED_TRACE(strsignal(signal_number));
    Home home;
    RegisterProcess reg(SlowCardSale(home));
    ASSERT_TRUE(Eventually(10, [&] { return ManagerServes(home.TefRoot()); }));
    reg.Signal(signal_number);
    const auto ended = reg.Wait(10);
    ASSERT_TRUE(ended.has_value());
    EXPECT_EQ(ended->signal, signal_number);
    EXPECT_TRUE(Eventually(3, [&] { return !ManagerServes(home.TefRoot()); }));
  }
}

// A register whose output goes to a pipe nobody reads any more (the reader
// quit) ends by SIGPIPE at its next line and takes its manager with it.
TEST(RegisterHome, ClosedOutputPipeStopsTheManagerToo) {
  Home home;
  RegisterProcess reg(SlowCardSale(home), /*close_output=*/true);
  const auto ended = reg.Wait(20);
  ASSERT_TRUE(ended.has_value());
  EXPECT_EQ(ended->signal, SIGPIPE);
  EXPECT_TRUE(fs::exists(home.TefRoot() / "manager.lock"));  // it had started one
  EXPECT_TRUE(Eventually(3, [&] { return !ManagerServes(home.TefRoot()); }));
}

}  // namespace
}  // namespace register_test
