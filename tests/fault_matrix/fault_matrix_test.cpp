// The fault matrix: every fault the emulated printer and the emulated TEF
// manager inject, each through the library's entry points as a front end
// calls them. Each row ends in a defined state, with the operator told (the
// scripted presenter records every dialog) and the log saying what happened.
#include <gtest/gtest.h>

#include <signal.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "drivers/bematech/Qdm00100.h"
#include "facade/Qdm00000.h"
#include "platform/base/clock.h"
#include "platform/os/application.h"
#include "platform/os/files.h"
#include "platform/base/sysutils.h"
#include "tef/Qdm00500.h"
#include "tests/facade/printer_fixture.h"
#include "emulator_tef/manager_process.h"
#include "manager_runner.h"
#include "tef_fixture.h"

namespace {

using facade_test::Text;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string Joined(const std::vector<std::string>& texts) {
  std::string all;
  for (const std::string& t : texts) all += t + "\n";
  return all;
}

// ---- The printer ------------------------------------------------------

class PrinterFaultsTest : public facade_test::PrinterTest {
 public:
  using FacadeTest::sandbox;
  using PrinterTest::printer;

  PrinterFaultsTest() {
    Qdm00000::IdTipoImpFis = 1;
    StartBematech();
  }
  bool OpenAndSell() { return Qdm00000::AbreCupom("") && Sell(); }
  bool Sell() { return Qdm00000::VendaItem("1", "1", "7891", "ARROZ", "FF", 1, 5.5, 0); }
  // The register started again, as after a power cut: the driver loaded
  // and the port opened, which is where a coupon left open is cancelled.
  // True when the driver kept the printer (a printer it refuses is let go:
  // its entry points unbound).
  bool Restart() {
    Qdm00000::StopImpFiscal();
    return Qdm00000::StartImpFiscal("1", "COM1") && Qdm00100::BemaFormataTX != nullptr;
  }
};

struct PrinterFault {
  const char* name;
  std::function<bool(PrinterFaultsTest&)> run;  // injects the fault and makes the call
  bool result;
  const char* dialog_key;  // catalogue text the operator sees
  const char* log;         // what impdebug.txt says
  int coupon_open;         // the printer's state afterwards
};

const PrinterFault kPrinterFaults[] = {
    {"NAK",
     [](PrinterFaultsTest& t) {
       t.printer.InjectNak(1);
       return Qdm00000::AbreCupom("");
     },
     false, "ImpErro", "ERRO!!! NAK recebido", 0},
    {"ReturnCode1",
     [](PrinterFaultsTest& t) {
       t.printer.InjectReturnCode1(1);
       return Qdm00000::AbreCupom("");
     },
     false, "ImpErro", "ERRO!!! Ret recebido", 0},
    {"RefusedTransmission",
     [](PrinterFaultsTest& t) {
       t.printer.RefuseTransmission(1);
       return Qdm00000::AbreCupom("");
     },
     false, "ComandoNExec", "ERRO!!! Comando : \x1B|00|\x1B", 0},
    // The printer took the coupon and stayed busy: the wait is bounded, the
    // call fails, and the open coupon is the printer's to report next. The
    // busy bit is the one the status table reads as a full memory.
    {"BusyForever",
     [](PrinterFaultsTest& t) {
       t.printer.HoldBusy(1000000);
       return Qdm00000::AbreCupom("");
     },
     false, "MemLotada", "ERRO!!! Impressora ocupada", 1},
    {"PaperOutInTheMiddleOfACoupon",
     [](PrinterFaultsTest& t) {
       t.OpenAndSell();
       t.printer.SetPaper(2);
       return t.Sell();
     },
     false, "FimPapel", "ERRO!!! Impressora fiscal sem papel.", 1},
    // The coupon left open by the cut is cancelled when the register starts.
    {"PowerCycleInTheMiddleOfACoupon",
     [](PrinterFaultsTest& t) {
       t.OpenAndSell();
       t.printer.PowerCycle();
       return t.Restart();
     },
     true, "", "Comando : \x1B|14|\x1B", 0},
    {"UnreadableStateFile",
     [](PrinterFaultsTest& t) {
       platform::WriteFileAtomic(t.sandbox.dir.file("mp20fi.state"), "MP20FI-STATE|1\nrate|x");
       t.printer.PowerCycle();
       return t.Restart();
     },
     false, "MemRAMErro", "ERRO!!! Erro na mem\xF3ria da impressora fiscal.", 0},
};

class PrinterFaultTest : public PrinterFaultsTest, public ::testing::WithParamInterface<PrinterFault> {};

TEST_P(PrinterFaultTest, EndsInADefinedStateWithTheOperatorToldAndLogged) {
  const PrinterFault& f = GetParam();
  const std::size_t logged = sandbox.DebugLog().size();
  const bool result = f.run(*this);
  const std::string log = sandbox.DebugLog().substr(logged);
  EXPECT_EQ(result, f.result) << log;
  EXPECT_TRUE(Has(log, f.log)) << log;
  if (*f.dialog_key) {
    EXPECT_TRUE(Has(Joined(DialogTexts()), Text(f.dialog_key))) << Joined(DialogTexts());
  } else {
    EXPECT_TRUE(DialogTexts().empty()) << Joined(DialogTexts());
  }
  EXPECT_EQ(printer.CouponOpen(), f.coupon_open);
}

INSTANTIATE_TEST_SUITE_P(Printer, PrinterFaultTest, ::testing::ValuesIn(kPrinterFaults),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- The TEF manager --------------------------------------------------

const std::string kInactive = "O Gerenciador Padr\xE3o n\xE3o est\xE1 ativo!";

class TefFaultsTest : public tef_test::TefTest {
 public:
  using TefTest::sandbox;
  using TefTest::tef;

  TefFaultsTest() : dial(tef.MakeRoot("tef_dial")) {
    platform::clock::UseSystem();
    Qdm00500::DirTef = "c:\\tef_dial\\";
  }
  ~TefFaultsTest() override {
    platform::Application().SetProcessMessagesHook(nullptr);
    Qdm00500::inTimeoutRespostaTEF = 300;
    if (manager) manager->stop(SIGTERM);
  }
  // An answer being written: the manager's hidden file in resp/.
  bool Writing() const {
    for (const std::string& name : tef_test::TefState::Files(dial + "/resp")) {
      if (!name.empty() && name[0] == '.') return true;
    }
    return false;
  }
  // The library's seven seconds spent at once, on a frozen clock, but only
  // after `ready` holds (the manager has had its turn).
  void FastTimeOut(std::function<bool()> ready) {
    platform::clock::SetManual(platform::clock::Now());
    platform::Application().SetProcessMessagesHook([this, ready] {
      if (!waited) waited = tef_test::Eventually(ready);
    });
  }
  std::string Journal() const { return tef_test::JournalOf(dial); }

  std::string dial;
  std::unique_ptr<tef_test::ManagerProcess> manager;
  bool waited = false;
};

struct TefFault {
  const char* name;
  std::vector<std::string> manager_args;  // empty: no manager at all
  std::function<bool(TefFaultsTest&)> run;
  bool result;
  const char* dialog;   // what the operator sees, "" none
  const char* journal;  // what the manager's journal says, "" when it has none
  const char* log;      // what the library's log says
};

const TefFault kTefFaults[] = {
    {"Absent",
     {"--absent"},
     [](TefFaultsTest& t) {
       t.FastTimeOut([&t] { return platform::FileExists(t.dial + "/req/intpos.001"); });
       return Qdm00500::CheckGPAtivo();
     },
     false,
     kInactive.c_str(),
     "",
     "ERRO!!! TEF ATV"},
    {"NoAcknowledgement",
     {"--no-ack"},
     [](TefFaultsTest& t) {
       t.FastTimeOut([&t] { return Has(t.Journal(), " ATV "); });
       return Qdm00500::CheckGPAtivo();
     },
     false,
     kInactive.c_str(),
     " ATV ",
     "ERRO!!! TEF ATV"},
    {"WrongIdentifier",
     {"--wrong-id"},
     [](TefFaultsTest& t) {
       t.FastTimeOut([&t] { return platform::FileExists(t.dial + "/resp/intpos.sts"); });
       return Qdm00500::CheckGPAtivo();
     },
     false,
     kInactive.c_str(),
     " ATV ",
     "ERRO!!! TEF ATV"},
    // The acknowledgement comes after the library gave up: the operator is
    // told once, and the next probe clears the late file and succeeds.
    {"LateAnswer",
     {"--ack-delay-ms", "400"},
     [](TefFaultsTest& t) {
       platform::clock::SetManual(platform::clock::Now());
       const bool first = Qdm00500::CheckGPAtivo();
       platform::clock::UseSystem();
       tef_test::Eventually([&t] { return platform::FileExists(t.dial + "/resp/intpos.sts"); });
       return !first && Qdm00500::CheckGPAtivo();
     },
     true,
     kInactive.c_str(),
     " ATV ",
     "ERRO!!! TEF ATV"},
    // A declined sale left over from a cut is settled at start: undone, the
    // manager keeps it declined, and the operator sees it undone.
    {"Declined",
     {"--decline"},
     [](TefFaultsTest& t) {
       const platform::TStringList answer = tef_test::CardSale(t.dial, 1234);
       return !answer.Lines().empty() && Qdm00500::CheckIntPosFiles();
     },
     true,
     "Cancelada a Transa\xE7\xE3o",
     "NEGADA",
     ""},
    // The manager dies while writing its answer to a cancellation: nothing
    // half-written is taken, the wait for the answer ends, and the operator
    // is told the cancellation was not done. The manager's journal holds
    // the cancellation it took.
    {"KilledWhileWriting",
     {},
     [](TefFaultsTest& t) {
       const platform::TStringList sale = tef_test::CardSale(t.dial, 1234);
       const std::string document = platform::Trim(sale.Values("012-000 "));
       tef_test::TefState::Write(t.dial + "/manager.ctl", "slow-write-ms=600\n");
       Qdm00500::inTimeoutRespostaTEF = 4;
       // Killed at the first line of the answer: after the cancellation's
       // acknowledgement is whole and gone.
       std::thread killer([&t] {
         const bool answering = tef_test::Eventually([&t] { return Has(t.Journal(), " CNC "); }) &&
                                tef_test::Eventually([&t] { return !t.Writing(); }) &&
                                tef_test::Eventually([&t] { return t.Writing(); });
         if (answering) t.manager->stop(SIGKILL);
       });
       Qdm00500::CancelaTEF("", "1234", "REDECARD", document, "", "", true);
       killer.join();
       t.manager.reset();
       return !platform::FileExists(t.dial + "/resp/intpos.001");
     },
     true,
     "n\xE3o respondeu ao cancelamento",
     " CNC ",
     "ERRO!!! TEF CNC"},
};

class TefFaultTest : public TefFaultsTest, public ::testing::WithParamInterface<TefFault> {};

TEST_P(TefFaultTest, EndsInADefinedStateWithTheOperatorToldAndLogged) {
  const TefFault& f = GetParam();
  manager = std::make_unique<tef_test::ManagerProcess>(dial, f.manager_args);
  EXPECT_EQ(f.run(*this), f.result);
  platform::clock::UseSystem();
  EXPECT_TRUE(Has(Joined(DialogTexts()), f.dialog)) << Joined(DialogTexts());
  if (*f.journal) {
    EXPECT_TRUE(Has(Journal(), f.journal)) << Journal();
  }
  EXPECT_TRUE(Has(sandbox.DebugLog(), f.log)) << sandbox.DebugLog();
}

INSTANTIATE_TEST_SUITE_P(TefManager, TefFaultTest, ::testing::ValuesIn(kTefFaults),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
