// The register's sale as CI runs it: every failed step ends the run with a
// failure line and a non-zero exit, a sale that went through exits 0, and no
// card is ever left pending behind a coupon that does not stand.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <thread>

#include "emulator_tef/manager_process.h"
#include "tests/register/register_process.h"

namespace register_test {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> Sale(const Home& home, std::vector<std::string> more = {}) {
  std::vector<std::string> args{"--dir", home.str(), "--unattended"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// Nothing pending in the manager's account, and every card sale in it
// ended one way or the other.
void ExpectNothingPending(const Home& home) {
  const std::string journal = JournalSummary(home.TefRoot());
  EXPECT_FALSE(Has(journal, "PENDENTE")) << journal;
  EXPECT_FALSE(Has(journal, "NEGADA")) << journal;
}

TEST(RegisterSale, CardAndCashSaleGoesThrough) {
  Home home;
  const Finished run = RunRegister(Sale(home));
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_TRUE(Has(run.out, "ok   FechaCupom")) << run.out;
  EXPECT_TRUE(Has(run.out, "ok   ImprCupons")) << run.out;
  EXPECT_FALSE(Has(run.out, "FALHA")) << run.out;
  EXPECT_TRUE(Has(JournalSummary(home.TefRoot()), "estado=CONFIRMADA"));
}

// The customer display shows the total the printer printed, on every
// printer of the basket: a Daruma type 7 takes an item's discount as a
// percentage of its price, so 1,00 off 7,49 comes to 0,99 there.
TEST(RegisterSale, DisplayedTotalIsThePrintersTotal) {
  for (const char* tipo : {"1", "7", "8"}) {
    SCOPED_TRACE(tipo);
    Home home;
    const Finished run = RunRegister(Sale(home, {"--tipo", tipo}));
    ASSERT_EQ(run.exit_code, 0) << run.out << run.err;
    std::smatch shown, printed;
    ASSERT_TRUE(std::regex_search(run.out, shown, std::regex("\\|TOTAL R\\$ ([0-9.,]+)"))) << run.out;
    ASSERT_TRUE(std::regex_search(run.out, printed, std::regex("\nTOTAL R\\$ +([0-9.,]+)"))) << run.out;
    EXPECT_EQ(shown[1].str(), printed[1].str()) << run.out;
  }
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

// Each printer sells unattended; when it refuses the closing after the card
// was approved (a fault from its environment), the coupon is cancelled, the
// card undone with the manager, the run fails, and the next run sells.
TEST(RegisterSale, RefusedClosingCancelsTheCouponAndTheCardOnEveryPrinter) {
  const struct {
    const char* printer;
    std::vector<std::string> args;
    const char* variable;
    const char* fault;
    const char* closing;
  } cases[] = {
      {"Bematech", {}, "MP20FI_FAULT", "34:0,1", "FechaCupom ("},
      {"Sweda", {"--fabricante", "sweda"}, "SERSWEDA_FAULT", "12SN:P013", "fechamento do cupom"},
      {"Daruma", {"--tipo", "7"}, "FS345_FAULT", "F3:31", "FechaCupom ("},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.printer);
    Home home;
    const Finished sold = RunRegister(Sale(home, c.args));
    EXPECT_EQ(sold.exit_code, 0) << sold.out << sold.err;
    EXPECT_TRUE(Has(sold.out, std::string("ok   ") + c.closing)) << sold.out;

    const Finished refused = RunRegister(Sale(home, c.args), 60, {{c.variable, c.fault}});
    EXPECT_EQ(refused.exit_code, 1) << refused.out << refused.err;
    EXPECT_TRUE(Has(refused.out, std::string("FALHA ") + c.closing)) << refused.out;
    EXPECT_TRUE(Has(refused.out, "ok   Cancela_Cupom")) << refused.out;
    EXPECT_TRUE(Has(refused.out, "ok   VerificaRetorno (cart\xC3\xA3o doc 000002 desfeito)")) << refused.out;
    EXPECT_TRUE(Has(refused.out, "Cancelada a Transa\xC3\xA7\xC3\xA3o")) << refused.out;
    EXPECT_TRUE(Has(refused.out, "desfeito com o gerenciador")) << refused.out;
    EXPECT_TRUE(Has(JournalSummary(home.TefRoot()), "nsu=000002 tipo=CRT")) << JournalSummary(home.TefRoot());
    EXPECT_TRUE(Has(JournalSummary(home.TefRoot()), "estado=DESFEITA")) << JournalSummary(home.TefRoot());
    ExpectNothingPending(home);

    const Finished next = RunRegister(Sale(home, c.args));
    EXPECT_EQ(next.exit_code, 0) << next.out << next.err;
    ExpectNothingPending(home);
  }
}

// A discount as large as the sale never reaches the printer, and no card
// is asked for a sale that cannot close.
TEST(RegisterSale, DiscountBeyondTheSaleIsRefusedBeforeTheCard) {
  Home home;
  const Finished run = RunRegister(Sale(home, {"--desconto", "1000"}));
  EXPECT_EQ(run.exit_code, 1) << run.out << run.err;
  EXPECT_TRUE(Has(run.out, "FALHA venda recusada: o desconto R$ 1.000,00")) << run.out;
  EXPECT_FALSE(Has(run.out, "AbreCupom")) << run.out;
  EXPECT_FALSE(Has(JournalSummary(home.TefRoot()), "tipo=CRT"));
  const Finished next = RunRegister(Sale(home, {"--sem-cartao"}));
  EXPECT_EQ(next.exit_code, 0) << next.out << next.err;
}

// A run that died after its card was approved leaves the approval in the
// manager's directory; the next start settles it even for a cash sale,
// starting the manager for it.
TEST(RegisterSale, EveryStartSettlesTheCardAnEarlierRunLeft) {
  Home home;
  const fs::path root = home.TefRoot();
  {
    // The killed run's state: an approved answer taken into the archive.
    tef_test::ManagerProcess manager(root);
    ASSERT_TRUE(Eventually(10, [&] { return fs::exists(root / "resp"); }));
    std::ofstream(root / "req" / "intpos.001", std::ios::binary)
        << "000-000 = CRT\r\n001-000 = 9100000001\r\n003-000 = 1500\r\n999-999 = 0\r\n";
    ASSERT_TRUE(Eventually(10, [&] { return fs::exists(root / "resp" / "intpos.001"); }));
    fs::rename(root / "resp" / "intpos.001", root / "resp" / "intpos.1");
    fs::remove(root / "resp" / "intpos.sts");
    ASSERT_EQ(manager.stop(SIGTERM), 0);
  }
  ASSERT_TRUE(Has(JournalSummary(root), "estado=PENDENTE"));

  const Finished next = RunRegister(Sale(home, {"--sem-cartao"}));
  EXPECT_EQ(next.exit_code, 0) << next.out << next.err;
  EXPECT_TRUE(Has(next.out, "gerenciador TEF iniciado para resolver 1")) << next.out;
  EXPECT_TRUE(Has(next.out, "ok   CheckIntPosFiles (1 resposta")) << next.out;
  EXPECT_TRUE(Has(JournalSummary(root), "valor=1500 estado=DESFEITA"));
  ExpectNothingPending(home);
  EXPECT_FALSE(ManagerServes(root));
}

// The manager the register started dies while the customer types the PIN:
// the register tells the operator at once, cancels the coupon and ends.
TEST(RegisterSale, ManagerThatDiesIsNoticedAtOnce) {
  Home home;
  home.ControlManager("answer-delay-ms=100000\n");
  RegisterProcess reg(Sale(home));
  // The manager journals the request before it writes its acknowledgement;
  // it dies once the register has taken the acknowledgement (the status
  // file gone), so the register is waiting for the answer.
  ASSERT_TRUE(Eventually(30, [&] {
    return Has(ReadFile(home.TefRoot() / "journal.txt"), " CRT ") &&
           !fs::exists(home.TefRoot() / "resp" / "intpos.sts");
  }));
  const pid_t manager = ManagerPid(home.TefRoot());
  ASSERT_NE(manager, 0);
  ::kill(manager, SIGKILL);
  // The card's own wait is two minutes.
  const auto done = reg.Wait(40);
  ASSERT_TRUE(done.has_value()) << "the register still waits for a dead manager";
  EXPECT_EQ(done->exit_code, 1) << done->out << done->err;
  // Killed before the register took the acknowledgement (a loaded machine
  // can stall the manager between its journal line and its status file), the
  // manager is told as not active; after, as ended during the transaction.
  EXPECT_TRUE(Has(done->out, "O Gerenciador Padr\xC3\xA3o terminou durante a transa\xC3\xA7\xC3\xA3o") ||
              Has(done->out, "O Gerenciador Padr\xC3\xA3o n\xC3\xA3o est\xC3\xA1 ativo!"))
      << done->out;
  EXPECT_TRUE(Has(done->out, "FALHA cart\xC3\xA3o")) << done->out;
  EXPECT_TRUE(Has(done->out, "ok   Cancela_Cupom")) << done->out;
}

// The card fails in each way the manager can fail it: the run shows why
// and ends non-zero.
TEST(RegisterSale, CardNotApprovedFailsTheRun) {
  const struct {
    const char* control;  // manager.ctl
    const char* reason;   // shown on the failure line
  } cases[] = {
      {"decline=1\n", "Transacao negada"},        // the manager's own reason
      {"absent=1\n", "gerenciador TEF inativo"},  // nobody takes the request
      {"no-ack=1\n", "gerenciador TEF inativo"},  // taken, never acknowledged
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

// The disk is full when the TEF ledger is saved: the coupon and its voucher
// are printed, the confirmation still reaches the manager, and the run says
// the ledger was not written and fails; the next start undoes nothing.
TEST(RegisterSale, FullDiskAtTheLedgerStillConfirmsTheCardAndSaysSo) {
  Home home;
  const char* asan = std::getenv("ASAN_OPTIONS");
  const Environment full_disk = {
      {"LD_PRELOAD", (fs::path(RegisterBinary()).parent_path() / "libqdm_kill_points.so").string()},
      {"QDM_FULL_DISK", "qdm_tef.ldg"},
      // The preloaded library stands before the sanitizers' run-time.
      {"ASAN_OPTIONS", std::string(asan ? asan : "") + (asan && *asan ? ":" : "") + "verify_asan_link_order=0"}};
  const Finished run = RunRegister(Sale(home), 60, full_disk);
  EXPECT_EQ(run.exit_code, 1) << run.out << run.err;
  EXPECT_TRUE(Has(run.out, "ok   FechaCupom")) << run.out;
  EXPECT_TRUE(Has(run.out, "ok   ImprCupons")) << run.out;
  EXPECT_TRUE(Has(run.out, "O arquivo de controle do TEF n\xC3\xA3o pode ser gravado")) << run.out;
  EXPECT_TRUE(Has(run.out, "FALHA livro TEF: o arquivo de controle do TEF")) << run.out;
  EXPECT_TRUE(Has(JournalSummary(home.TefRoot()), "nsu=000001 tipo=CRT rede=REDECARD valor=2000 estado=CONFIRMADA"))
      << JournalSummary(home.TefRoot());

  const Finished next = RunRegister(Sale(home));
  EXPECT_EQ(next.exit_code, 0) << next.out << next.err;
  EXPECT_FALSE(Has(next.out, "Cancelada a Transa")) << next.out;
  EXPECT_FALSE(Has(JournalSummary(home.TefRoot()), "DESFEITA")) << JournalSummary(home.TefRoot());
  ExpectNothingPending(home);
}

// The manager approves the card and then never acknowledges its
// confirmation: the run says the card is pending and exits 3; the next
// start confirms it.
TEST(RegisterSale, UnacknowledgedConfirmationExitsThree) {
  Home home;
  home.ControlManager("no-ack-settle=1\n");
  const Finished run = RunRegister(Sale(home));
  EXPECT_EQ(run.exit_code, 3) << run.out << run.err;
  EXPECT_TRUE(Has(run.out, "ok   ImprCupons")) << run.out;
  EXPECT_TRUE(Has(run.out, "cart\xC3\xA3o doc 000001: confirma\xC3\xA7\xC3\xA3o pendente")) << run.out;
  EXPECT_TRUE(Has(JournalSummary(home.TefRoot()), "nsu=000001 tipo=CRT rede=REDECARD valor=2000 estado=PENDENTE"));

  home.ControlManager("");
  const Finished next = RunRegister(Sale(home, {"--sem-cartao"}));
  EXPECT_EQ(next.exit_code, 0) << next.out << next.err;
  EXPECT_TRUE(Has(JournalSummary(home.TefRoot()), "nsu=000001 tipo=CRT rede=REDECARD valor=2000 estado=CONFIRMADA"))
      << JournalSummary(home.TefRoot());
  ExpectNothingPending(home);
}

// The sale's options are checked as the configuration tool checks them, and
// an existing configuration that keeps its own type says so.
TEST(RegisterSale, OptionsAreCheckedAndAnOverriddenTypeIsTold) {
  Home home;
  for (const auto& args :
       {std::vector<std::string>{"--tipo", "42"}, {"--tipo", "0"}, {"--caixa", "12345678901"}, {"--caixa", "a/b"}}) {
    SCOPED_TRACE(args.front() + " " + args.back());
    const Finished refused = RunRegister(Sale(home, args));
    EXPECT_EQ(refused.exit_code, 2) << refused.out << refused.err;
    EXPECT_TRUE(Has(refused.err, args.front())) << refused.err;
    EXPECT_FALSE(fs::exists(home.path() / "ecf001.cds"));
  }
  ASSERT_EQ(RunRegister(Sale(home, {"--sem-cartao"})).exit_code, 0);
  const Finished kept = RunRegister(Sale(home, {"--sem-cartao", "--tipo", "7"}));
  EXPECT_EQ(kept.exit_code, 0) << kept.out << kept.err;
  EXPECT_TRUE(Has(kept.out, "mant\xC3\xA9m o tipo de impressora 1; --tipo 7")) << kept.out;
  EXPECT_TRUE(Has(kept.out, "ok   FechaCupom (")) << kept.out;
}

// A configuration file that does not load stops the register with the
// file and its fault, and the home's files are left as they are.
TEST(RegisterSale, ConfigurationThatDoesNotLoadIsNamedWithItsFault) {
  Home home;
  ASSERT_EQ(RunRegister(Sale(home, {"--sem-cartao"})).exit_code, 0);
  const fs::path file = home.path() / "ecf001.cds";
  const std::string whole = ReadFile(file);
  std::ofstream(file, std::ios::binary | std::ios::trunc) << whole.substr(0, whole.size() - 20);
  const Finished run = RunRegister(Sale(home, {"--sem-cartao"}));
  EXPECT_EQ(run.exit_code, 1) << run.out << run.err;
  EXPECT_TRUE(Has(
      run.out, "FALHA CarregaECF: o arquivo de configura\xC3\xA7\xC3\xA3o " + file.string() + " est\xC3\xA1 cortado"))
      << run.out;
  EXPECT_EQ(ReadFile(file), whole.substr(0, whole.size() - 20));
}

// A register living days ahead of its host (its clock kept in the home)
// prints the card voucher with its coupon's date.
TEST(RegisterSale, CardVoucherCarriesTheCouponsClock) {
  Home home;
  std::ofstream(home.path() / "relogio.txt") << 3 * 86400 << "\n";
  const Finished run = RunRegister(Sale(home));
  ASSERT_EQ(run.exit_code, 0) << run.out << run.err;
  const std::string tape = run.out.substr(run.out.find("== Bobina"));
  std::smatch coupon, voucher;
  ASSERT_TRUE(std::regex_search(tape, coupon, std::regex(R"(([0-9]{2}/[0-9]{2}/[0-9]{4}) [0-9:]{8} +COO:)"))) << tape;
  ASSERT_TRUE(std::regex_search(tape, voucher, std::regex(R"(DATA: ([0-9]{2}/[0-9]{2}/[0-9]{4}))"))) << tape;
  EXPECT_EQ(voucher[1].str(), coupon[1].str()) << tape;
}

// The global options follow the subcommand too.
TEST(RegisterSale, RecoveryTakesItsHomeAfterTheSubcommand) {
  Home home;
  const Finished run = RunRegister({"recovery", "--dir", home.str(), "--unattended"});
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_TRUE(Has(run.out, "desfaz a transa\xC3\xA7\xC3\xA3o pendente")) << run.out;
  EXPECT_TRUE(fs::exists(home.path() / "impdebug.txt"));
  ExpectNothingPending(home);
}

}  // namespace
}  // namespace register_test
