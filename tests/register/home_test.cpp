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

// Without --dir the register keeps its home in the user's data directory
// (never beside the installed program, where a package owns the files).
TEST(RegisterHome, DefaultHomeIsTheUsersDataDirectory) {
  Home user;
  const struct {
    Environment env;
    fs::path home;
  } cases[] = {
      {{{"XDG_DATA_HOME", (user.path() / "xdg").string()}}, user.path() / "xdg" / "pkg_qdm" / "register"},
      {{{"XDG_DATA_HOME", ""}, {"HOME", user.str()}}, user.path() / ".local" / "share" / "pkg_qdm" / "register"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.home.string());
    const Finished run = RunRegister({"--unattended", "--sem-cartao"}, 60, c.env);
    EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
    EXPECT_TRUE(Has(run.out, "== Caixa 001 em " + c.home.string())) << run.out;
    for (const char* file : {"ecf001.cds", "impdebug.txt", "tape.txt", "mp20fi.state"})
      EXPECT_TRUE(fs::exists(c.home / file)) << file;
    // The emulated drive c: is the home's, not the user's default one.
    EXPECT_FALSE(fs::exists(c.home.parent_path() / "drive_c"));
  }
  EXPECT_FALSE(fs::exists(fs::path(RegisterBinary()).parent_path() / "register"));
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
