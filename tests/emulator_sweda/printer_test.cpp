// The emulated Sweda printer spoken to through its own entry points, as
// the maker's library: length-prefixed answers, the layouts the driver
// reads by position, every table selector and its slices per model, table
// programming refused while the day is open, and the memory kept across a
// power cycle.
#include <dlfcn.h>
#include <gmock/gmock.h>

#include "emulators/sweda/wire_examples.h"
#include "support/sweda_printer.h"

namespace sweda_emulator_test {
namespace {

using testsupport::SwedaPrinter;

std::string Frame(const std::string& body) { return SwedaPrinter::FrameFor(body); }

// One unit at 2,50 under T01, the item both the memory and the fault tests sell.
const std::string kOneItem = "0000000000001"
                             "0001000"
                             "000000250"
                             "000000000250" +
                             std::string(24, 'A') + "T01" + std::string(40, ' ');

class PrinterTest : public ::testing::TestWithParam<int> {
 protected:
  PrinterTest() {
    const std::string file = testsupport::ExecutableDirectory() + "/SERSWEDA.dll";
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    abre_ = reinterpret_cast<int (*)(int, int)>(dlsym(handle_, "AbrePorta"));
    envia_ = reinterpret_cast<int (*)(const char*, char*)>(dlsym(handle_, "EnviaComando"));
    fecha_ = reinterpret_cast<int (*)(int)>(dlsym(handle_, "FechaPorta"));
    printer.ResetInto(sandbox, GetParam());
    abre_(1, 5);
  }
  ~PrinterTest() override {
    fecha_(1);
    dlclose(handle_);
  }

  // The answer text out of the 256-byte length-prefixed buffer.
  std::string Send(const std::string& code, const std::string& args = "") { return SendFrame(code + args); }
  // A frame given as its code and arguments.
  std::string SendFrame(const std::string& body) {
    char buffer[256];
    std::fill(std::begin(buffer), std::end(buffer), '\x7F');
    envia_(Frame(body).c_str(), buffer);
    return std::string(buffer + 1, static_cast<unsigned char>(buffer[0]));
  }

  testsupport::Sandbox sandbox;
  SwedaPrinter printer;
  void* handle_ = nullptr;
  int (*abre_)(int, int) = nullptr;
  int (*envia_)(const char*, char*) = nullptr;
  int (*fecha_)(int) = nullptr;
};

std::size_t MethodWidth(int tipo) { return tipo >= 5 ? 16 : 15; }

TEST_P(PrinterTest, EveryTableSelectorAndItsSlices) {
  printer.SetPaymentMethods("N|Dinheiro\nS|Cartao");
  printer.SetTotalizers("&TOTALIZ\n+Suprimento\n-Sangria");
  const std::size_t w = MethodWidth(GetParam());
  struct Table {
    char selector;
    std::size_t data_end;  // last position of the table's data
  };
  const Table tables[] = {{'3', 76},  {'4', 56},  {'5', 35 + 3 * w}, {'6', 7 + 7 * w}, {'7', 127}, {'8', 127},
                          {'9', 127}, {'A', 127}, {'B', 127},        {'C', 127},       {'D', 67}};
  for (const Table& t : tables) {
    const std::string answer = Send("29", std::string(1, t.selector));
    ASSERT_EQ(answer.size(), t.data_end + 1) << t.selector;
    EXPECT_EQ(answer.substr(0, 2), ".+");
    EXPECT_EQ(answer[6], t.selector);
    EXPECT_EQ(answer.back(), '}');
  }
  EXPECT_EQ(Send("29", "3").substr(48, 7), "T011800");
  const std::string methods = Send("29", "5").substr(35, 3 * w);
  EXPECT_EQ(methods.substr(0, 2 * w),
            GetParam() >= 5 ? "NDinheiro       SCartao         " : "Dinheiro       Cartao         ");
  EXPECT_EQ(Send("29", "7").substr(37, 45), "&TOTALIZ       +Suprimento    -Sangria       ");
  EXPECT_EQ(Send("29", "E"), ".-P002ERRO-PARAMETRO INVALIDO}");
}

TEST_P(PrinterTest, CouponDataStateAndIdentityByPosition) {
  ASSERT_EQ(Send("17"), ".+P000}");
  const std::string data = Send("27");
  EXPECT_EQ(data.substr(1, 2), "+C");
  EXPECT_EQ(data.substr(7, 6), "101226");  // fiscal day
  EXPECT_EQ(data.substr(13, 4), "0001");   // coupon number
  const std::string state = Send("28");
  EXPECT_EQ(state.substr(9, 8), "P VENDAS");
  EXPECT_EQ(state.substr(20, 1), "F");
  EXPECT_EQ(state.substr(46, 10), "1012261400");
  const std::string identity = Send("27", "3");
  EXPECT_EQ(identity[6], '3');
  EXPECT_EQ(identity.substr(3, 3), "001");
  EXPECT_EQ(identity.substr(12, 9), "SW0012345");
  // Little paper is told where a document begins and in the status.
  printer.SetPaper(1);
  EXPECT_EQ(Send("05"), ".+P000}");
  EXPECT_EQ(Send("23"), ".+P005C}");
  EXPECT_EQ(Send("17"), ".+P005}");
}

// The coupon data's day gross (36-49) grows with each item sold; the day's
// cancellations (50-63) take back a cancelled coupon: the gross less the
// cancellations moves with a closed coupon only.
TEST_P(PrinterTest, TheDaysGrossLessItsCancellationsMovesWithAClosedCoupon) {
  const auto net = [this] {
    const std::string data = Send("27");
    EXPECT_EQ(data.substr(0, 3), ".+C");
    return std::stoll(data.substr(35, 14)) - std::stoll(data.substr(49, 14));
  };
  const std::string item = "0000000000001"
                           "0001000"
                           "000000250"
                           "000000000250" +
                           std::string(24, 'A') + "T01" + std::string(40, ' ');
  ASSERT_EQ(Send("17"), ".+P000}");
  ASSERT_EQ(Send("01", item), ".+P000}");
  EXPECT_EQ(Send("27").substr(35, 14), "00000000000250");  // the gross, the coupon open
  ASSERT_EQ(Send("05"), ".+P000}");
  EXPECT_EQ(net(), 0);
  ASSERT_EQ(Send("17"), ".+P000}");
  ASSERT_EQ(Send("01", item), ".+P000}");
  ASSERT_EQ(Send("10", "01000000000250"), ".+P000}");
  ASSERT_EQ(Send("12"), ".+P000}");
  EXPECT_EQ(net(), 250);
}

TEST_P(PrinterTest, TablesAreProgrammedOnlyBetweenAReductionAndTheDaysFirstMovement) {
  const std::string w = GetParam() >= 5 ? "S" : "";
  EXPECT_EQ(Send("38", "N&TOTALIZ       +Suprimento    "), ".+P000}");
  EXPECT_EQ(Send("39", w + "Dinheiro       " + w + "Cheque         "), ".+P000}");
  ASSERT_EQ(Send("17"), ".+P000}");  // the day's first movement
  EXPECT_EQ(Send("38", "N-Sangria       "), ".-P009ERRO-DIA FISCAL ABERTO}");
  EXPECT_EQ(Send("39", w + "Dinheiro       "), ".-P009ERRO-DIA FISCAL ABERTO}");
  EXPECT_EQ(printer.TotalizerTable(), "&TOTALIZ       \n+Suprimento    \n");
  EXPECT_EQ(printer.MethodTable(), "S|Dinheiro\nS|Cheque\n");
  // A list of the other model's width is no list.
  ASSERT_EQ(Send("05"), ".+P000}");
  ASSERT_EQ(Send("14", "101226"), ".+P000}");
  EXPECT_EQ(Send("39", (GetParam() >= 5 ? "" : "S") + std::string("Dinheiro       ")),
            ".-P002ERRO-PARAMETRO INVALIDO}");
}

TEST_P(PrinterTest, MemoryKeptAcrossAPowerCycleAndARefusalChangesNothing) {
  ASSERT_EQ(Send("17"), ".+P000}");
  ASSERT_EQ(Send("01", kOneItem), ".+P000}");
  // A total the printer does not agree with is refused.
  const std::string wrong = "0000000000001"
                            "0003000"
                            "000000115"
                            "000000003450" +
                            std::string(24, 'A') + "T01" + std::string(40, ' ');
  EXPECT_EQ(Send("01", wrong), ".-P011ERRO-VALOR INVALIDO}");
  printer.PowerCycle();
  abre_(1, 5);
  EXPECT_EQ(printer.CouponOpen(), 1);
  EXPECT_EQ(Send("10", "01000000000250"), ".+P000}");
  EXPECT_EQ(Send("12"), ".+P000}");
  EXPECT_DOUBLE_EQ(printer.GrandTotal(), 2.5);
}

TEST_P(PrinterTest, EachModelKnowsItsOwnCodes) {
  const bool first = GetParam() == 3;
  EXPECT_EQ(Send("22"), first ? ".+GAV0}" : ".-P001ERRO-COMANDO INEXISTENTE}");
  EXPECT_EQ(Send("43"), first ? ".-P001ERRO-COMANDO INEXISTENTE}" : ".+GAV0}");
  EXPECT_EQ(Send("21"), first ? ".+P000}" : ".-P001ERRO-COMANDO INEXISTENTE}");
  EXPECT_EQ(Send("42"), first ? ".-P001ERRO-COMANDO INEXISTENTE}" : ".+P000}");
  EXPECT_EQ(Send("12", "SN"), GetParam() <= 4 ? ".+P000}" : ".-P002ERRO-PARAMETRO INVALIDO}");
  EXPECT_EQ(Send("12", "N"), GetParam() >= 5 ? ".+P000}" : ".-P002ERRO-PARAMETRO INVALIDO}");
  EXPECT_EQ(Send("_25"), GetParam() == 4 ? ".-P003ERRO-FORA DE SEQUENCIA}" : ".-P001ERRO-COMANDO INEXISTENTE}");
}

TEST_P(PrinterTest, FaultsAtOneCommandLeaveTheOthersAlone) {
  printer.HoldBusyAt("01", 1);
  printer.RefuseAt("273", "-P010", "ERRO-MEMORIA FISCAL", -1);
  ASSERT_EQ(Send("17"), ".+P000}");
  // Busy: answered, not carried out; the next one is.
  EXPECT_EQ(Send("01", kOneItem), ".-P006ERRO-IMPRESSORA OCUPADA}");
  EXPECT_EQ(Send("01", kOneItem), ".+P000}");
  EXPECT_EQ(Send("27").substr(0, 3), ".+C");
  EXPECT_EQ(Send("27", "3"), ".-P010ERRO-MEMORIA FISCAL}");
  EXPECT_EQ(Send("27", "3"), ".-P010ERRO-MEMORIA FISCAL}");
  EXPECT_EQ(Send("10", "01000000000250"), ".+P000}");
  EXPECT_EQ(Send("12"), ".+P000}");
  EXPECT_DOUBLE_EQ(printer.GrandTotal(), 2.5);  // one item
  // Set again with 0: cleared.
  printer.RefuseAt("273", "", "", 0);
  EXPECT_EQ(Send("27", "3").substr(0, 3), ".+C");
  // A power cycle ends a fault held at a command.
  printer.HoldBusyAt("23", -1);
  EXPECT_EQ(Send("23"), ".-P006ERRO-IMPRESSORA OCUPADA}");
  printer.PowerCycle();
  abre_(1, 5);
  EXPECT_EQ(Send("23").substr(0, 2), ".+");
}

// Whatever the front end hands the maker's call is answered: a frame too
// short to hold a code is refused as one that is not ESC "." code "}".
TEST_P(PrinterTest, AFrameTooShortForACodeIsRefused) {
  for (const char* frame : {"", "\x1B", "\x1B."}) {
    char buffer[256] = {};
    EXPECT_EQ(envia_(frame, buffer), 0);
    EXPECT_EQ(std::string(buffer + 1, static_cast<unsigned char>(buffer[0])), ".-P002ERRO-PARAMETRO INVALIDO}");
  }
  EXPECT_EQ(Send("23").substr(0, 2), ".+");
}

// Every example of the wire that holds for this model, each on a fresh
// printer: the frames before it accepted, its own answer as the example says.
TEST_P(PrinterTest, WireExamplesOfTheCommandSet) {
  const char model = static_cast<char>('0' + GetParam());
  int checked = 0;
  // Memory only: a fresh printer per example (its fiscal day today without
  // movement), without a file written each time.
  printer.SetStateFile("");
  for (const auto& example : swdemu::examples::WireExamples()) {
    if (std::string(example.models).find(model) == std::string::npos) continue;
    printer.Reset();
    printer.SetModel(GetParam());
    for (const std::string& frame : example.before) {
      const std::string answer = SendFrame(frame);
      ASSERT_EQ(answer.substr(0, 2), ".+") << example.why << ": before, " << frame << " got " << answer;
    }
    const std::string answer = SendFrame(example.frame);
    EXPECT_EQ(answer.substr(0, std::string(example.answer).size()), example.answer)
        << example.why << ": " << example.frame << " got " << answer;
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

INSTANTIATE_TEST_SUITE_P(Models, PrinterTest, ::testing::Values(3, 4, 5, 6));

}  // namespace
}  // namespace sweda_emulator_test
