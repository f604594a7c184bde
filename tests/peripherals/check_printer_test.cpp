// The check printer: the Perto library bound for the front end (emulated
// "PertoChekSer.dll"), its answers read into resp within its 256 bytes,
// and the serial check printer on a pseudo-terminal.
#include <gtest/gtest.h>

#include <cstring>

#include "emulators/check_printer/perto_chek.h"
#include "facade/Qdm00000.h"
#include "peripherals/check_printer/Qdm00700.h"
#include "peripherals/device_fixture.h"
#include "platform/dialogs/dialogs.h"
#include "platform/dialogs/scripted.h"
#include "platform/os/files.h"
#include "peripherals/library_bench.h"

namespace {

using namespace Qdm00700;
using peripheral_test::MappedPort;

// The bench side of the emulated library, from the same file the module loads.
class PertoBench : public peripheral_test::LibraryBench {
 public:
  PertoBench() : LibraryBench("PertoChekSer.dll") { Reset(); }
  std::string Tape() const { return TapeText(); }
  std::string Commands() const { return FrameLines(); }
  void (*InsertCheck)() = Bind<void()>("PertoEmu_InsertCheck");
  void (*NextRawAnswer)(const char*, int, int) = Bind<void(const char*, int, int)>("PertoEmu_NextRawAnswer");
};

using peripheral_test::Loaded;

class CheckPrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::PrivatePortLocks();  // the emulated printer holds its port against other processes
    Qdm00000::DataModule();
    platform::SetDialogPresenter(dialogs);
    Qdm00000::IdTipoImpChq = 2;
  }
  void TearDown() override {
    StopImpCheque();
    Qdm00000::IdTipoImpChq = 0;
    platform::SetDialogPresenter(nullptr);
    platform::SetHostExecutable("");
  }
  std::vector<std::string> DialogTexts() const {
    std::vector<std::string> texts;
    for (const auto& d : dialogs->Seen()) texts.push_back(d.text);
    return texts;
  }
  std::shared_ptr<platform::ScriptedPresenter> dialogs = std::make_shared<platform::ScriptedPresenter>();
};

TEST_F(CheckPrinterTest, PertoTypeBindsTheFourEntryPointsAndThePrinterAnswers) {
  PertoBench bench;
  StartImpCheque();
  ASSERT_TRUE(ImpChequeOk);
  ASSERT_TRUE(IniciaImpChq && FinalizaImpChq && EnviaComImpChq && RespostaImpChq);
  ASSERT_EQ(IniciaImpChq("COM2"), 1);
  bench.InsertCheck();
  for (const char* command : {"S", "B001", "V12345", "FJOSE DA SILVA", "CS\xC3O PAULO", "D10122026", "I"}) {
    ASSERT_EQ(EnviaComImpChq(command), 1);
    ASSERT_TRUE(Retorno_Imp(1)) << command;
    EXPECT_EQ(std::string(resp).substr(0, 3), "000") << command;
  }
  EXPECT_EQ(bench.Tape(), "BANCO 001   R$ 123,45\nPAGUE-SE A JOSE DA SILVA\nS\xC3O PAULO, 10/12/2026\n" +
                              std::string(40, '-') + "\n");
  ASSERT_EQ(EnviaComImpChq("I"), 1);  // the check went out with the print
  ASSERT_TRUE(Retorno_Imp(1));
  EXPECT_STREQ(resp, "001");
  EXPECT_TRUE(dialogs->Seen().empty());
  StopImpCheque();
  EXPECT_EQ(bench.Commands().substr(bench.Commands().size() - 8), "EndComm\n");
}

TEST_F(CheckPrinterTest, SecondStartBindsAgainAndLeavesThePrinterTheFrontEndOpened) {
  const std::string file = testsupport::ExecutableDirectory() + "/PertoChekSer.dll";
  {
    PertoBench bench;
    StartImpCheque();
    ASSERT_EQ(IniciaImpChq("COM2"), 1);
    bench.InsertCheck();
    StartImpCheque();
    ASSERT_TRUE(ImpChequeOk);
    ASSERT_TRUE(IniciaImpChq && FinalizaImpChq && EnviaComImpChq && RespostaImpChq);
    EXPECT_EQ(bench.Commands(), "IniComm COM2\n");  // no "EndComm"
    ASSERT_EQ(EnviaComImpChq("S"), 1);              // still open, the check still in
    ASSERT_TRUE(Retorno_Imp(1));
    EXPECT_STREQ(resp, "000 CHEQUE");
    StopImpCheque();
    EXPECT_EQ(bench.Commands(), "IniComm COM2\nS\nEndComm\n");
  }
  EXPECT_FALSE(Loaded(file));  // both starts' loads let go
}

// A second start that loads nothing: the library found no more, or the
// check-printer type changed in between. Nothing stays loaded after the stop.
TEST_F(CheckPrinterTest, SecondStartThatLoadsNothingLeavesNoLibraryBehind) {
  const std::string file = testsupport::ExecutableDirectory() + "/PertoChekSer.dll";
  StartImpCheque();
  ASSERT_TRUE(ImpChequeOk);
  platform::SetHostExecutable("/nonexistent/pdv");
  StartImpCheque();
  EXPECT_FALSE(ImpChequeOk);
  EXPECT_FALSE(IniciaImpChq || FinalizaImpChq || EnviaComImpChq || RespostaImpChq);
  EXPECT_FALSE(Loaded(file));
  StopImpCheque();

  platform::SetHostExecutable("");
  StartImpCheque();
  ASSERT_TRUE(ImpChequeOk);
  Qdm00000::IdTipoImpChq = 1;
  StartImpCheque();
  EXPECT_FALSE(ImpChequeOk);
  StopImpCheque();
  EXPECT_EQ(FinalizaImpChq, nullptr);
  EXPECT_FALSE(Loaded(file));
}

TEST_F(CheckPrinterTest, OtherTypesLoadNothing) {
  for (int tipo : {0, 1, 3}) {
    Qdm00000::IdTipoImpChq = tipo;
    StartImpCheque();
    EXPECT_FALSE(ImpChequeOk) << tipo;
    EXPECT_EQ(RespostaImpChq, nullptr);
    EXPECT_FALSE(Loaded(testsupport::ExecutableDirectory() + "/PertoChekSer.dll"));
  }
}

TEST_F(CheckPrinterTest, LibraryWithoutRecCommIsReleasedAndLeavesNothingBound) {
  const std::string dir = testsupport::ExecutableDirectory() + "/check_printer_variants/without_RecComm";
  platform::SetHostExecutable(dir + "/pdv");
  StartImpCheque();
  EXPECT_FALSE(ImpChequeOk);
  EXPECT_FALSE(IniciaImpChq || FinalizaImpChq || EnviaComImpChq || RespostaImpChq);
  EXPECT_FALSE(Loaded(dir + "/PertoChekSer.dll"));
}

TEST_F(CheckPrinterTest, StopWithoutStartAndStopTwiceAreHarmless) {
  StopImpCheque();
  EXPECT_FALSE(ImpChequeOk);
  StartImpCheque();
  ASSERT_TRUE(ImpChequeOk);
  StopImpCheque();
  StopImpCheque();
  EXPECT_FALSE(ImpChequeOk);
  EXPECT_EQ(FinalizaImpChq, nullptr);
  EXPECT_FALSE(Loaded(testsupport::ExecutableDirectory() + "/PertoChekSer.dll"));
}

TEST_F(CheckPrinterTest, StatusZeroShowsErroComWithoutAskingTheLibrary) {
  PertoBench bench;
  StartImpCheque();
  IniciaImpChq("COM2");
  EnviaComImpChq("S");
  EXPECT_FALSE(Retorno_Imp(0));
  ASSERT_EQ(dialogs->Seen().size(), 1u);
  EXPECT_EQ(dialogs->Seen()[0].text, "ErroCom");  // no catalogue text: the key itself
  EXPECT_EQ(dialogs->Seen()[0].type, platform::mtError);
  EXPECT_EQ(dialogs->Seen()[0].buttons, platform::mbOK);
  EXPECT_TRUE(Retorno_Imp(1));  // the answer was still waiting
  EXPECT_STREQ(resp, "001");
}

TEST_F(CheckPrinterTest, NoAnswerOrOneThatDoesNotFitShowsErroRecpAndLeavesRespEmpty) {
  PertoBench bench;
  StartImpCheque();
  IniciaImpChq("COM2");
  struct Case {
    std::string raw;  // empty: no answer at all
    bool terminated;
  };
  const Case cases[] = {{"", true},
                        {std::string(256, 'A'), true},
                        {std::string(499, 'B'), true},
                        {std::string(600, 'C'), false},
                        {std::string(500, 'D'), false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.raw.size());
    std::memset(resp, 'x', sizeof resp - 1);
    resp[sizeof resp - 1] = 0;
    if (!c.raw.empty()) bench.NextRawAnswer(c.raw.data(), static_cast<int>(c.raw.size()), c.terminated);
    EXPECT_FALSE(Retorno_Imp(1));
    EXPECT_STREQ(resp, "");
    EXPECT_EQ(DialogTexts().back(), "ErroRecp");
  }
  const std::string longest(255, 'E');
  bench.NextRawAnswer(longest.data(), 255, 1);
  EXPECT_TRUE(Retorno_Imp(1));
  EXPECT_EQ(std::string(resp), longest);
}

TEST_F(CheckPrinterTest, RetornoImpBeforeAStartShowsErroRecp) {
  EXPECT_FALSE(Retorno_Imp(1));
  EXPECT_EQ(DialogTexts(), std::vector<std::string>{"ErroRecp"});
}

class SerialCheckPrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Qdm00000::DataModule().IdPortaChq = 8;
    Qdm00000::DataModule().IdVelocChq = 6;  // "19200"
  }
  void TearDown() override {
    Qdm00000::DataModule().IdPortaChq = 0;
    Qdm00000::DataModule().IdVelocChq = 0;
  }
  emu::PtyDevice printer;
  MappedPort port{8, printer};
};

TEST_F(SerialCheckPrinterTest, SendsTheBytesUnchangedAtTheConfiguredSpeedAndClosesThePort) {
  printer.SetBaud(9600);
  std::string text = "\x1B@VALOR: R$ 1.234,56\r\nS\xC3O JO\xC3O \xE7\xD1\xFF\r\n";
  text += std::string(1, '\0') + "FIM";  // a zero byte goes out like any other
  ASSERT_TRUE(ImpChqChar(text));
  EXPECT_EQ(printer.Receive(text.size()), text);
  EXPECT_EQ(printer.Baud(), 19200u);
  EXPECT_EQ(printer.OpenCount(), 0);
  for (int speed : {0, 2, 9, 12}) {
    Qdm00000::DataModule().IdVelocChq = speed;
    ASSERT_TRUE(ImpChqChar("X"));
    EXPECT_EQ(printer.Receive(1), "X");
    EXPECT_EQ(printer.Baud(), std::stoul(Qdm00000::Velocidades[static_cast<std::size_t>(speed)])) << speed;
  }
}

TEST_F(SerialCheckPrinterTest, BadPortOrSpeedGivesFalseAndSendsNothing) {
  const struct { int port, speed; } cases[] = {{0, 6}, {14, 6}, {-2, 6}, {8, -1}, {8, 13}};
  for (const auto& c : cases) {
    Qdm00000::DataModule().IdPortaChq = c.port;
    Qdm00000::DataModule().IdVelocChq = c.speed;
    EXPECT_FALSE(ImpChqChar("X")) << c.port << "/" << c.speed;
  }
  EXPECT_EQ(printer.Receive(0, 50), "");
  EXPECT_EQ(printer.OpenCount(), 0);
}

}  // namespace
