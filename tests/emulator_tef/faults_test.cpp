// Scripted faults of the manager and how it stops.
#include <gtest/gtest.h>
#include <signal.h>
#include <strings.h>

#include <fstream>
#include <thread>

#include "tests/emulator_tef/manager_process.h"
#include "tests/emulator_tef/tef_root.h"

namespace tef_test {
namespace {

const std::vector<std::string> atv{"000-000 = ATV", "001-000 = 0123456789"};
const std::vector<std::string> crt{"000-000 = CRT", "001-000 = 0000000007", "003-000 = 1234"};

TEST(Faults, WrongIdAcknowledgesAnotherIdentifier) {
  TefRoot root;
  ManagerProcess manager(root.path(), {"--wrong-id"});
  auto ack = parse_fields(root.exchange(atv).value_or(""));
  EXPECT_EQ(ack["000-000"], "ATV");
  EXPECT_EQ(ack["001-000"].size(), 10u);
  EXPECT_NE(ack["001-000"], "0123456789");
}

TEST(Faults, NoAckTakesTheRequestAndWritesNothing) {
  TefRoot root;
  ManagerProcess manager(root.path(), {"--no-ack", "--once"});
  root.write_request(crt);
  ASSERT_EQ(manager.wait_exit(), 0);
  EXPECT_TRUE(fs::is_empty(root.path() / "req"));
  EXPECT_TRUE(fs::is_empty(root.path() / "resp"));
}

TEST(Faults, DeclinedSaleHasNoVoucher) {
  TefRoot root;
  ManagerProcess manager(root.path(), {"--decline"});
  auto answer = root.transaction(crt);
  EXPECT_EQ(answer["000-000"], "CRT");
  EXPECT_NE(answer["009-000"], "0");
  EXPECT_EQ(answer.count("028-000"), 0u);
  EXPECT_TRUE(voucher_lines(answer).empty());
  EXPECT_EQ(answer["030-000"], "Transacao negada");
  EXPECT_EQ(root.state_of(answer["012-000"]), "NEGADA");
}

TEST(Faults, SlowWriteNeverShowsAPartialFile) {
  TefRoot root;
  ManagerProcess manager(root.path(), {"--slow-write-ms", "15"});
  root.write_request(crt);
  const fs::path answer = root.path() / "resp" / "intpos.001";
  int complete_reads = 0;
  const bool done = eventually([&] {
    // What the library's "intpos.*" scans would find meanwhile.
    for (const auto& entry : fs::directory_iterator(root.path() / "resp")) {
      const auto name = entry.path().filename().string();
      if (strncasecmp(name.c_str(), "intpos.", 7) == 0) {
        EXPECT_TRUE(name == "intpos.sts" || name == "intpos.001") << name;
      }
    }
    std::ifstream in(answer, std::ios::binary);
    if (!in) return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(bytes.ends_with("999-999 = 0\r\n")) << bytes;
    return ++complete_reads >= 3;
  });
  EXPECT_TRUE(done);
}

TEST(Faults, ControlFileChangesARunningManager) {
  TefRoot root;
  ManagerProcess manager(root.path());
  root.write_control("absent=1\n");
  root.write_request(atv);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));  // several polls
  EXPECT_TRUE(fs::exists(root.path() / "req" / "intpos.001"));
  EXPECT_FALSE(fs::exists(root.path() / "resp" / "intpos.sts"));

  root.write_control("# the network is down\nabsent=0\ndecline=1\n");
  EXPECT_TRUE(root.take("intpos.sts"));
  EXPECT_NE(root.transaction(crt)["009-000"], "0");

  root.write_control("");
  EXPECT_EQ(root.transaction(crt)["009-000"], "0");
}

TEST(Faults, UnknownCommandIsOnlyAcknowledged) {
  TefRoot root;
  ManagerProcess manager(root.path(), {"--once"});
  EXPECT_EQ(root.exchange({"000-000 = XYZ", "001-000 = 0000000003"}),
            "000-000 = XYZ\r\n001-000 = 0000000003\r\n999-999 = 0\r\n");
  ASSERT_EQ(manager.wait_exit(), 0);
  EXPECT_FALSE(fs::exists(root.path() / "resp" / "intpos.001"));
  EXPECT_NE(root.journal().find("XYZ id=0000000003 nota=comando desconhecido"), std::string::npos);
}

// A request holds a few hundred bytes: one of megabytes is refused unread,
// journaled, never answered; the next request is served.
TEST(Faults, RequestAboveTheBoundIsDiscardedUnread) {
  TefRoot root;
  ManagerProcess manager(root.path());
  root.write_request(
      {"000-000 = CRT", "001-000 = 0000000009", "003-000 = 1234", "002-000 = " + std::string(2 << 20, 'x')});
  EXPECT_TRUE(eventually([&] { return root.journal().find("pedido grande demais descartado") != std::string::npos; }));
  EXPECT_TRUE(fs::is_empty(root.path() / "req"));
  EXPECT_FALSE(fs::exists(root.path() / "resp" / "intpos.sts"));
  EXPECT_EQ(root.journal().find(" CRT "), std::string::npos);
  EXPECT_TRUE(root.exchange(atv));
}

TEST(Stop, ExitAfterServesThatManyRequests) {
  TefRoot root;
  ManagerProcess manager(root.path(), {"--exit-after", "2"});
  ASSERT_TRUE(root.exchange(atv));
  ASSERT_TRUE(root.exchange(atv));
  EXPECT_EQ(manager.wait_exit(), 0);
}

class StopSignalTest : public ::testing::TestWithParam<int> {};

TEST_P(StopSignalTest, EndsCleanlyAndRemovesThePidFile) {
  TefRoot root;
  const fs::path pidfile = root.path() / "manager.pid";
  ManagerProcess manager(root.path(), {"--pidfile", pidfile.string()});
  ASSERT_TRUE(root.exchange(atv));
  std::ifstream pid_in(pidfile);
  pid_t pid = 0;
  pid_in >> pid;
  EXPECT_EQ(pid, manager.pid());
  EXPECT_EQ(manager.stop(GetParam()), 0);
  EXPECT_FALSE(fs::exists(pidfile));
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignalTest, ::testing::Values(SIGTERM, SIGINT));

TEST(Stop, DuringADelayStillFinishesTheRequest) {
  TefRoot root;
  ManagerProcess manager(root.path(), {"--ack-delay-ms", "600000"});
  root.write_request(atv);
  ASSERT_TRUE(eventually([&] { return fs::is_empty(root.path() / "req"); }));
  EXPECT_EQ(manager.stop(SIGTERM), 0);
  EXPECT_EQ(root.take("intpos.sts"), "000-000 = ATV\r\n001-000 = 0123456789\r\n999-999 = 0\r\n");
}

}  // namespace
}  // namespace tef_test
