// The register's sale as CI runs it: every failed step ends the run with a
// failure line and a non-zero exit, and a sale that went through exits 0.
#include <gtest/gtest.h>

#include "tests/register/register_process.h"

namespace register_test {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> Sale(const Home& home, std::vector<std::string> more = {}) {
  std::vector<std::string> args{"--dir", home.str(), "--unattended"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

TEST(RegisterSale, CardAndCashSaleGoesThrough) {
  Home home;
  const Finished run = RunRegister(Sale(home));
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_TRUE(Has(run.out, "ok   FechaCupom")) << run.out;
  EXPECT_TRUE(Has(run.out, "ok   ImprCupons")) << run.out;
  EXPECT_FALSE(Has(run.out, "FALHA")) << run.out;
}

// Without the card the cash pays the whole total, so the printer takes the
// closing; the next run finds no coupon left open.
TEST(RegisterSale, CashOnlySaleClosesTheCoupon) {
  Home home;
  const Finished run = RunRegister(Sale(home, {"--sem-cartao"}));
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_TRUE(Has(run.out, "ok   FechaCupom")) << run.out;
  const Finished next = RunRegister(Sale(home, {"--sem-cartao"}));
  EXPECT_EQ(next.exit_code, 0) << next.out << next.err;
  // No notice of a coupon left open among the steps.
  EXPECT_FALSE(Has(next.out.substr(0, next.out.find("== Log")), "aviso:")) << next.out;
}

// A closing the printer refuses (a discount as large as the sale) is a
// failure, not "ok FechaCupom"; the coupon is cancelled so the printer is
// ready for the next sale.
TEST(RegisterSale, RefusedClosingFailsTheRun) {
  Home home;
  const Finished run = RunRegister(Sale(home, {"--sem-cartao", "--desconto", "1000"}));
  EXPECT_EQ(run.exit_code, 1) << run.out << run.err;
  EXPECT_TRUE(Has(run.out, "FALHA FechaCupom")) << run.out;
  EXPECT_FALSE(Has(run.out, "ok   FechaCupom")) << run.out;
  EXPECT_TRUE(Has(run.out, "Venda n\xC3\xA3o conclu\xC3\xAD" "da")) << run.out;
  const Finished next = RunRegister(Sale(home, {"--sem-cartao"}));
  EXPECT_EQ(next.exit_code, 0) << next.out << next.err;
}

// The card fails in each way the manager can fail it: the run shows why
// and ends non-zero.
TEST(RegisterSale, CardNotApprovedFailsTheRun) {
  const struct {
    const char* control;  // manager.ctl
    const char* reason;   // shown on the failure line
  } cases[] = {
      {"decline=1\n", "Transacao negada"},                 // the manager's own reason
      {"absent=1\n", "gerenciador TEF inativo"},          // nobody takes the request
      {"no-ack=1\n", "gerenciador TEF inativo"},          // taken, never acknowledged
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.control);
    Home home;
    home.ControlManager(c.control);
    const Finished run = RunRegister(Sale(home));
    EXPECT_EQ(run.exit_code, 1) << run.out << run.err;
    EXPECT_TRUE(Has(run.out, "FALHA cart\xC3\xA3o")) << run.out;
    EXPECT_TRUE(Has(run.out, c.reason)) << run.out;
    EXPECT_FALSE(Has(run.out, "ok   FechaCupom")) << run.out;
  }
}

// The global options follow the subcommand too.
TEST(RegisterSale, RecoveryTakesItsHomeAfterTheSubcommand) {
  Home home;
  const Finished run = RunRegister({"recovery", "--dir", home.str(), "--unattended"});
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_TRUE(Has(run.out, "desfaz a transa\xC3\xA7\xC3\xA3o pendente")) << run.out;
  EXPECT_TRUE(fs::exists(home.path() / "impdebug.txt"));
}

}  // namespace
}  // namespace register_test
