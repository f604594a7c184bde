// The debug log for support staff: `qdm_register log` shows it readably
// and leaves the file as the library wrote it; the sale shows the errors and
// cancellations it finds there.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <sstream>

#include "tests/register/register_process.h"
#include "tools/qdm_register/log_view.h"

namespace register_test {
namespace {

using qdm_register::LogViewOptions;
using qdm_register::NotableLines;
using qdm_register::Readable;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(LogView, ControlBytesByNameTextInUtf8PaddingFolded) {
  const std::string log = "10/12/2026 14:03:27 - Comando : \x1B|09|CAF\xC9|\x1B\r\n"
                          "10/12/2026 14:03:28 - Retorno: 0001" +
                          std::string(40, ' ') + "FIM" + std::string(3000, ' ') + std::string(1, '\0') +
                          "\r\n"
                          "10/12/2026 14:03:29 - ERRO!!! Cupom aberto.\r\n"
                          "linha\002com\177bytes\rsoltos\n";
  EXPECT_EQ(Readable(log), "10/12/2026 14:03:27 - Comando : <ESC>|09|CAF\xC3\x89|<ESC>\n"
                           "10/12/2026 14:03:28 - Retorno: 0001 <40 brancos> FIM\n"
                           "10/12/2026 14:03:29 - ERRO!!! Cupom aberto.\n"
                           "linha<STX>com<DEL>bytes<CR>soltos\n");
  LogViewOptions errors;
  errors.errors_only = true;
  EXPECT_EQ(Readable(log, errors), "10/12/2026 14:03:29 - ERRO!!! Cupom aberto.\n");
  // Short runs of blanks are the text's own; a tape's columns keep theirs.
  EXPECT_EQ(Readable("a   b \r\n"), "a   b\n");
  LogViewOptions tape;
  tape.fold_blanks = false;
  EXPECT_EQ(Readable("MP-20 FI II" + std::string(14, ' ') + "ECF:001  \r\n", tape),
            "MP-20 FI II" + std::string(14, ' ') + "ECF:001\n");
}

// The printer answers "coupon open" to every command of a coupon, and the
// driver logs it as an error: during a coupon the run opened it is folded
// into one count; a coupon found open at the start, or still open after its
// closing, is an error and listed.
TEST(LogView, ErrorsFoldTheCouponOpenOfAHealthySale) {
  const std::string log = "1 - Carregando DLL Impressora Fiscal\r\n"
                          "2 - Comando : \x1B|19|\x1B\r\n"
                          "3 - ERRO!!! Cupom aberto.\r\n"
                          "4 - Comando : \x1B|14|\x1B\r\n"
                          "5 - Comando : \x1B|00|\x1B\r\n"
                          "6 - ERRO!!! Cupom aberto.\r\n"
                          "7 - Comando : \x1B|09|7891000100103|CAF\xC9|01|0002|00000899|0000|\x1B\r\n"
                          "8 - ERRO!!! Cupom aberto.\r\n"
                          "9 - ERRO!!! Comando n\xE3o executado\r\n"
                          "10 - Comando : \x1B|34|\x1B\r\n"
                          "11 - Comando : \x1B|19|\x1B\r\n"
                          "12 - ERRO!!! Cupom aberto.\r\n"
                          "13 - Comando : \x1B|80|52|10|01|\x1B\r\n"
                          "14 - ERRO!!! Cupom aberto.\r\n";
  LogViewOptions errors;
  errors.errors_only = true;
  EXPECT_EQ(Readable(log, errors),
            "3 - ERRO!!! Cupom aberto.\n"
            "9 - ERRO!!! Comando n\xC3\xA3o executado\n"
            "12 - ERRO!!! Cupom aberto.\n"
            "(3 linhas \"ERRO!!! Cupom aberto.\" durante cupons em andamento, omitidas: \xC3\xA9 o estado normal da "
            "impressora a cada comando de um cupom aberto)\n");
  // The whole log shows every line.
  const std::string whole = Readable(log);
  EXPECT_EQ(std::count(whole.begin(), whole.end(), '\n'), 14);
}

TEST(LogView, NotableLinesAreErrorsAndCancellations) {
  const std::string log = "1 - Comando : \x1B|14|\x1B\r\n"
                          "2 - ERRO!!! Cupom aberto.\r\n"
                          "3 - Cupom 000012 cancelado ao iniciar: ficou aberto\r\n"
                          "4 - Transa\xE7\xE3o CANCELADA\r\n"
                          "5 - Fechando porta\r\n";
  EXPECT_EQ(NotableLines(log), (std::vector<std::string>{"2 - ERRO!!! Cupom aberto.",
                                                         "3 - Cupom 000012 cancelado ao iniciar: ficou aberto",
                                                         "4 - Transa\xE7\xE3o CANCELADA"}));
}

TEST(RegisterLog, ShowsTheLogReadablyAndLeavesTheFileAlone) {
  Home home;
  ASSERT_EQ(RunRegister({"--dir", home.str(), "--unattended", "--sem-cartao"}).exit_code, 0);
  const fs::path file = home.path() / "impdebug.txt";
  const std::string before = ReadFile(file);
  ASSERT_TRUE(Has(before, "\x1B"));

  // The global option after the subcommand.
  const Finished shown = RunRegister({"log", "--dir", home.str()});
  EXPECT_EQ(shown.exit_code, 0) << shown.err;
  EXPECT_TRUE(Has(shown.out, "<ESC>|"));
  EXPECT_FALSE(Has(shown.out, "\x1B"));
  EXPECT_FALSE(Has(shown.out, "\r"));
  EXPECT_TRUE(Has(shown.out, "CAF\xC3\x89 TORRADO")) << "UTF-8 on the terminal";
  EXPECT_EQ(ReadFile(file), before);

  // A healthy sale shows no error: the printer's "coupon open" during it is
  // one count.
  const Finished errors = RunRegister({"log", "--erros", "--dir", home.str()});
  EXPECT_EQ(errors.exit_code, 0) << errors.err;
  std::istringstream lines(errors.out);
  int listed = 0;
  for (std::string line; std::getline(lines, line); ++listed)
    EXPECT_TRUE(Has(line, "durante cupons em andamento")) << line;
  EXPECT_EQ(listed, 1) << errors.out;

  const Finished none = RunRegister({"log", "--dir", (home.path() / "nada").string()});
  EXPECT_EQ(none.exit_code, 1);
  EXPECT_TRUE(Has(none.err, "impdebug.txt")) << none.err;
}

// A coupon left open by an interrupted run is cancelled at the next start;
// the register shows the log's lines about it among its steps.
TEST(RegisterLog, CouponCancelledAtStartUpIsShown) {
  Home home;
  {
    // Killed in the middle of a card payment, its coupon open.
    home.ControlManager("ack-delay-ms=2000\n");
    RegisterProcess interrupted({"--dir", home.str(), "--unattended"});
    // The card's probe comes after the basket is sold.
    ASSERT_TRUE(Eventually(20, [&] { return Has(ReadFile(home.TefRoot() / "journal.txt"), " ATV "); }));
    interrupted.Signal(SIGKILL);
    ASSERT_TRUE(interrupted.Wait(10).has_value());
  }
  const Finished next = RunRegister({"--dir", home.str(), "--unattended", "--sem-cartao"});
  EXPECT_EQ(next.exit_code, 0) << next.out << next.err;
  const std::string notices = next.out.substr(0, next.out.find("== Log"));
  EXPECT_TRUE(Has(notices, "aviso: ")) << next.out;
  EXPECT_TRUE(Has(notices, "Cupom aberto")) << next.out;
  // The driver's line naming the coupon it cancelled.
  EXPECT_TRUE(Has(notices, "cancelado")) << next.out;
}

}  // namespace
}  // namespace register_test
