// Probe and card sale through the manager's files.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "tests/emulator_tef/manager_process.h"
#include "tests/emulator_tef/tef_root.h"

namespace tef_test {
namespace {

const std::string ack_atv = "000-000 = ATV\r\n001-000 = 0123456789\r\n999-999 = 0\r\n";

TEST(TefManagerStart, CreatesRequestAndAnswerDirectories) {
  TefRoot root("tef_dial", /*with_subdirectories=*/false);
  ManagerProcess manager(root.path());
  EXPECT_TRUE(
      eventually([&] { return fs::is_directory(root.path() / "req") && fs::is_directory(root.path() / "resp"); }));
}

TEST(TefManagerStart, RefusesASecondManagerOnTheSameRoot) {
  TefRoot root;
  ManagerProcess first(root.path());
  ASSERT_TRUE(root.exchange({"000-000 = ATV", "001-000 = 0123456789"}));  // first is serving
  ManagerProcess second(root.path());
  EXPECT_EQ(second.wait_exit(), 1);
}

std::string ManagerLog(const TefRoot& root) {
  std::ifstream in(root.path().string() + ".log");
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A root whose lock file cannot be opened for writing is reported as such,
// not as a root some other manager serves.
TEST(TefManagerStart, UnwritableRootIsNotTakenForAnotherManager) {
  TefRoot root;
  fs::create_directory(root.path() / "manager.lock");  // cannot be opened for writing
  ManagerProcess manager(root.path());
  EXPECT_EQ(manager.wait_exit(), 1);
  const std::string log = ManagerLog(root);
  EXPECT_NE(log.find("n\xC3\xA3o \xC3\xA9 poss\xC3\xADvel gravar em " + root.path().string()), std::string::npos)
      << log;
  EXPECT_EQ(log.find("outro gerenciador"), std::string::npos) << log;
}

class AtvProbeTest : public ::testing::TestWithParam<const char*> {};

TEST_P(AtvProbeTest, IsAcknowledgedWithTheEchoedLinesAndNotAnswered) {
  TefRoot root;
  ManagerProcess manager(root.path(), {"--once"});
  root.write_request({"000-000 = ATV", "001-000 = 0123456789"}, GetParam());
  EXPECT_EQ(root.take("intpos.sts"), ack_atv);
  ASSERT_EQ(manager.wait_exit(), 0);
  EXPECT_FALSE(fs::exists(root.path() / "resp" / "intpos.001"));
  EXPECT_TRUE(fs::is_empty(root.path() / "req"));
}

INSTANTIATE_TEST_SUITE_P(RequestNames, AtvProbeTest, ::testing::Values("intpos.001", "INTPOS.001"));

struct SaleCase {
  const char* root_name;
  const char* network_line;  // "" when the request names none
  const char* type_line;
  const char* expected_network;
  const char* expected_card;
};

void PrintTo(const SaleCase& c, std::ostream* os) { *os << c.root_name << "/" << c.expected_network; }

class CardSaleTest : public ::testing::TestWithParam<SaleCase> {};

TEST_P(CardSaleTest, IsAnsweredAfterItsAcknowledgementWithAQuotedVoucher) {
  const auto& c = GetParam();
  TefRoot root(c.root_name);
  ManagerProcess manager(root.path());
  std::vector<std::string> request{"000-000 = CRT", "001-000 = 0000004711", "003-000 = 1234", "004-000 = 0"};
  for (const char* line : {c.network_line, c.type_line})
    if (*line) request.push_back(line);
  root.write_request(request);

  const fs::path answer_path = root.path() / "resp" / "intpos.001";
  ASSERT_TRUE(eventually([&] { return fs::exists(answer_path); }));
  EXPECT_TRUE(fs::exists(root.path() / "resp" / "intpos.sts")) << "answer before status";
  EXPECT_EQ(root.take("intpos.sts"), "000-000 = CRT\r\n001-000 = 0000004711\r\n999-999 = 0\r\n");

  const std::string bytes = root.take("intpos.001").value_or("");
  ASSERT_TRUE(bytes.ends_with("\r\n999-999 = 0\r\n"));
  for (auto at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', at + 1))
    ASSERT_EQ(bytes[at - 1], '\r') << "line ending at " << at;
  auto answer = parse_fields(bytes);
  EXPECT_EQ(answer["000-000"], "CRT");
  EXPECT_EQ(answer["001-000"], "0000004711");
  EXPECT_EQ(answer["003-000"], "1234");
  EXPECT_EQ(answer["009-000"], "0");
  EXPECT_EQ(answer["010-000"], c.expected_network);
  EXPECT_EQ(answer["012-000"].size(), 6u);
  EXPECT_EQ(answer["022-000"].size(), 8u);
  EXPECT_EQ(answer["023-000"].size(), 6u);
  EXPECT_FALSE(answer["027-000"].empty());
  EXPECT_EQ(answer["030-000"], "Transacao aprovada");

  const auto lines = voucher_lines(answer);
  ASSERT_EQ(std::to_string(lines.size()), answer["028-000"]);
  std::string voucher;
  for (const auto& line : lines) {
    ASSERT_GE(line.size(), 2u);
    EXPECT_TRUE(line.front() == '"' && line.back() == '"') << line;
    voucher += line + "\n";
  }
  for (const std::string& expected :
       {std::string(c.expected_network), std::string(c.expected_card), std::string("VALOR: R$ 12,34"),
        std::string("APROVADA"), "NSU: " + answer["012-000"]})
    EXPECT_NE(voucher.find(expected), std::string::npos) << expected << " in\n" << voucher;
  EXPECT_EQ(root.state_of(answer["012-000"]), "PENDENTE");
}

INSTANTIATE_TEST_SUITE_P(Networks, CardSaleTest,
                         ::testing::Values(SaleCase{"tef_dial", "", "", "REDECARD", "CARTAO DE DEBITO"},
                                           SaleCase{"tef_disc", "", "011-000 = 10", "TECBAN", "CARTAO DE CREDITO"},
                                           SaleCase{"tef_dial", "010-000 = CIELO", "011-000 = 20", "CIELO",
                                                    "CARTAO DE DEBITO"}));

TEST(CardSaleNumbers, KeepIncreasingAcrossRestarts) {
  TefRoot root;
  const std::vector<std::string> sale{"000-000 = CRT", "001-000 = 0000000001", "003-000 = 500"};
  std::vector<int> numbers;
  for (int run = 0; run < 2; ++run) {
    ManagerProcess manager(root.path());
    for (int i = 0; i < 2; ++i) numbers.push_back(std::stoi(root.transaction(sale)["012-000"]));
    ASSERT_EQ(manager.stop(SIGTERM), 0);
  }
  EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3, 4}));
}

TEST(RequestBeingWritten, IsReadOnlyWhenWhole) {
  TefRoot root;
  ManagerProcess manager(root.path());
  {
    std::ofstream request(root.path() / "req" / "intpos.001", std::ios::binary);
    request << "000-000 = CRT\r\n001-000 = 0000000042\r\n" << std::flush;
    std::this_thread::sleep_for(std::chrono::milliseconds(150));  // several polls
    request << "003-000 = 990\r\n999-999 = 0\r\n";
  }
  EXPECT_EQ(root.take("intpos.sts"), "000-000 = CRT\r\n001-000 = 0000000042\r\n999-999 = 0\r\n");
  auto answer = parse_fields(root.take("intpos.001").value_or(""));
  EXPECT_EQ(answer["003-000"], "990");
  EXPECT_EQ(answer["009-000"], "0");
}

}  // namespace
}  // namespace tef_test
