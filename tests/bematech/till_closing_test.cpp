// The till closing: the withdrawal receipt in two copies, the operator's
// questions with every answer, the products and closing reports, the Z.
#include <gmock/gmock.h>

#include "driver_fixture.h"
#include "platform/dialogs/dialogs.h"

namespace bematech_test {
namespace {

using platform::mrNo;
using platform::mrYes;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

using Field = std::pair<const char*, platform::TFieldType>;
constexpr auto kText = platform::TFieldType::ftString;
constexpr auto kReal = platform::TFieldType::ftFloat;

void Layout(platform::TClientDataSet& ds, std::initializer_list<Field> fields) {
  testsupport::ClearDataSet(ds);
  for (const Field& f : fields) ds.AddFieldDef(f.first, f.second, f.second == kText ? 40 : 0);
  ds.CreateDataSet();
}

void Row(platform::TClientDataSet& ds, std::initializer_list<std::pair<const char*, std::string>> texts,
         std::initializer_list<std::pair<const char*, double>> amounts = {}) {
  ds.Append();
  for (const auto& [name, value] : texts) ds.FieldByName(name).SetAsString(value);
  for (const auto& [name, value] : amounts) ds.FieldByName(name).SetAsFloat(value);
  ds.Post();
}

std::string Line(const std::string& left, const std::string& right) {
  return left + std::string(48 - left.size() - right.size(), ' ') + right + "\n";
}

class TillClosingTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    Qdm00100::CarregaTot_Bematech();
    Layout(fecha, {{"NMTIPORECE", kText}, {"VRFECHAINF", kReal}});
    Layout(sangrias, {{"CDTIPORECE", kText}});
    Layout(produtos, {{"CDPRODUTO", kText}, {"NMPRODUTO", kText}, {"QTPRODVEND", kText}, {"VRTOTAL", kReal}});
    Layout(pessoas, {{"CDSUPERVISOR", kText}, {"NMSUPERVISOR", kText}, {"CDOPERADOR", kText}, {"NMOPERADOR", kText}});
    Row(pessoas, {{"CDSUPERVISOR", "7"}, {"NMSUPERVISOR", "ANA"}, {"CDOPERADOR", "9"}, {"NMOPERADOR", "RUI"}});
    Layout(totais, {{"IDTIPOREG", kText}, {"NMTIPORECE", kText}, {"VRSAIDA", kReal}});
    Layout(caixa, {{"IDEMIRELPROD", kText}});
    Row(caixa, {{"IDEMIRELPROD", "N"}});
    Mark();
  }

  bool Close() { return Qdm00100::GeraReciboSangria_Bematech(fecha, sangrias, produtos, pessoas, totais, caixa, 0); }

  // The texts of the "67" blocks, in order.
  std::vector<std::string> Blocks() const {
    std::vector<std::string> texts;
    for (const std::string& f : printer.FramesOf("67")) texts.push_back(f.substr(5, f.size() - 7));
    return texts;
  }
  std::string AllText() const {
    std::string all;
    for (const std::string& b : Blocks()) all += b;
    return all;
  }

  platform::TClientDataSet fecha{"fecha"}, sangrias{"sangrias"}, produtos{"produtos"}, pessoas{"pessoas"},
      totais{"totais"}, caixa{"caixa"};
};

TEST_F(TillClosingTest, WithdrawalReceiptWithSixPaymentsGetsTheSpacingLine) {
  const double valores[] = {100.10, 0.20, 1000, 33.33, 0.005, 12.345};
  int n = 0;
  for (double v : valores) Row(fecha, {{"NMTIPORECE", "TIPO " + std::to_string(++n)}}, {{"VRFECHAINF", v}});
  sandbox.dialogs->Answer(mrYes);  // keep the till open
  EXPECT_TRUE(Close());

  const std::vector<std::string> frames = Frames();
  ASSERT_GE(frames.size(), 3u);
  EXPECT_EQ(frames[0], Frame("25", {Qdm00100::IdTotRelatorio, "00000000000001", "Rel Gerencial"}));
  EXPECT_EQ(frames[1], Frame("30"));
  EXPECT_EQ(frames[2].rfind("\x1B|66|Rel Gerencial|00000000000001|", 0), 0u) << frames[2];
  EXPECT_EQ(frames.back(), Frame("21"));
  EXPECT_TRUE(printer.FramesOf("05").empty());

  const std::string pad(13, ' ');
  const std::vector<std::string> blocks = Blocks();
  ASSERT_EQ(blocks.size(), 6u);
  EXPECT_EQ(blocks[0], "\n" + pad + "RECIBO SAIDA NUMERARIO" + pad + "\n\n" + "MODALIDADE" + std::string(18, ' ') +
                           "V  A  L  O  R\n\n");
  EXPECT_EQ(blocks[1], "TIPO 1                             100,10\n"
                       "TIPO 2                               0,20\n"
                       "TIPO 3                            1000,00\n"
                       "TIPO 4                              33,33\n"
                       "TIPO 5                               0,01\n"
                       "TIPO 6                              12,35\n");
  // 1 + 2 + 2 + 6 + 2 = 13 lines after the total: 13 - 3 is a multiple of ten.
  EXPECT_EQ(blocks[2], "V  A  L  O  R" + std::string(28, ' ') + "1145,99\n\n\n" + std::string(48, '-') +
                           "\nSupervisor : 7 ANA\n\n\n");
  // Copy 2 runs on at 19: 19 + 2 + 2 + 6 + 2 = 31, no spacing line.
  EXPECT_EQ(blocks[5],
            "V  A  L  O  R" + std::string(28, ' ') + "1145,99\n\n" + std::string(48, '-') + "\nOperador : 9 RUI\n\n\n");
  EXPECT_THAT(blocks[3], HasSubstr("SAIDA DE NUMERARIO - SANGRIA"));
}

TEST_F(TillClosingTest, ABlockLongerThanThePrinterTakesIsSplitBetweenLinesAndLosesNone) {
  // Sixteen payment lines of 42 bytes: 672 bytes, more than one block.
  for (int n = 1; n <= 16; ++n) {
    Row(fecha, {{"NMTIPORECE", "TIPO " + std::to_string(n)}}, {{"VRFECHAINF", 1.0}});
  }
  sandbox.dialogs->Answer(mrYes);
  EXPECT_TRUE(Close());
  for (const std::string& block : Blocks()) {
    EXPECT_LE(block.size(), 620u);
    EXPECT_TRUE(block.empty() || block.back() == '\n') << block;
  }
  std::string lines;
  for (int n = 1; n <= 16; ++n) {
    const std::string name = "TIPO " + std::to_string(n);
    lines += name + std::string(25 - name.size(), ' ') + " " + std::string(11, ' ') + "1,00\n";
  }
  EXPECT_THAT(AllText(), HasSubstr(lines));
  // The printer took every block: both copies carry the last line.
  const std::string tape = printer.TapeText();
  const std::size_t first = tape.find("TIPO 16");
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(tape.find("TIPO 16", first + 1), std::string::npos);
}

struct AnswerCase {
  const char* name;
  std::vector<int> answers;  // AbreCaixa, ConfReducao, ConfRelProds
  std::string relatorio;     // IDEMIRELPROD
  bool result;
  bool reports;
  bool reduction;
};

TEST_F(TillClosingTest, EveryAnswerOfEveryQuestion) {
  const AnswerCase cases[] = {
      {"till kept open", {mrYes}, "N", true, false, false},
      {"no reduction", {mrNo, mrNo}, "N", false, false, false},
      {"reduction, reports always", {mrNo, mrYes}, "N", false, true, true},
      {"reduction, reports confirmed", {mrNo, mrYes, mrYes}, "S", false, true, true},
      {"reduction, reports declined", {mrNo, mrYes, mrNo}, "S", false, false, true},
      {"reduction, reports never", {mrNo, mrYes}, "X", false, false, true},
  };
  for (const AnswerCase& c : cases) {
    SCOPED_TRACE(c.name);
    // A fresh printer for each case: a refusal would ask the operator too.
    sandbox.ResetPrinter(printer);
    Qdm00100::ClearGlobals();
    ASSERT_TRUE(Qdm00100::StartImpFis_Bematech("COM1"));
    Qdm00100::CarregaTot_Bematech();
    Layout(caixa, {{"IDEMIRELPROD", kText}});
    Row(caixa, {{"IDEMIRELPROD", c.relatorio}});
    Layout(produtos, {{"CDPRODUTO", kText}, {"NMPRODUTO", kText}, {"QTPRODVEND", kText}, {"VRTOTAL", kReal}});
    Row(produtos, {{"CDPRODUTO", "7891"}, {"NMPRODUTO", "ARROZ"}, {"QTPRODVEND", "2"}}, {{"VRTOTAL", 20}});
    Mark();
    for (int a : c.answers) sandbox.dialogs->Answer(a);
    EXPECT_EQ(Close(), c.result);
    EXPECT_EQ(sandbox.dialogs->Pending(), 0u) << "every question asked";
    EXPECT_EQ(AllText().find("RELATORIO DE FECHAMENTO") != std::string::npos, c.reports);
    EXPECT_EQ(AllText().find("RELATORIO DE PRODUTOS") != std::string::npos, c.reports);
    EXPECT_EQ(printer.FramesOf("05").size(), c.reduction ? 1u : 0u);
    EXPECT_EQ(printer.FramesOf("21").size(), 1u) << "the report is always closed";
  }
}

struct ResultCase {
  double vendas;
  std::string sangrias;
  std::string resultado;
};

TEST_F(TillClosingTest, ClosingReportShowsWithdrawalsAndShortageOrSurplus) {
  Row(totais, {{"IDTIPOREG", "1"}, {"NMTIPORECE", "DINHEIRO"}}, {{"VRSAIDA", 380}});
  Row(totais, {{"IDTIPOREG", "2"}, {"NMTIPORECE", "CONTRA-VALE"}}, {{"VRSAIDA", 20}});
  Row(totais, {{"IDTIPOREG", "3"}, {"NMTIPORECE", "SUPRIMENTO"}}, {{"VRSAIDA", 100}});
  const ResultCase cases[] = {
      {400, "380,00", Line("FALTA", "-20,00")},
      {380, "380,00", Line("SOBRA", "0,00")},
      {0, "380,00", Line("SOBRA", "380,00")},  // no products: the difference is the withdrawals
  };
  for (const ResultCase& c : cases) {
    SCOPED_TRACE(c.resultado);
    Layout(produtos, {{"CDPRODUTO", kText}, {"NMPRODUTO", kText}, {"QTPRODVEND", kText}, {"VRTOTAL", kReal}});
    if (c.vendas > 0) {
      Row(produtos, {{"CDPRODUTO", "1"}, {"NMPRODUTO", "A"}, {"QTPRODVEND", "1"}}, {{"VRTOTAL", c.vendas - 0.01}});
      Row(produtos, {{"CDPRODUTO", "2"}, {"NMPRODUTO", "B"}, {"QTPRODVEND", "1"}}, {{"VRTOTAL", 0.01}});
    }
    Mark();
    sandbox.dialogs->AnswerMany({mrNo, mrYes});
    EXPECT_FALSE(Close());
    const std::string text = AllText();
    EXPECT_THAT(text, HasSubstr(Line("CONTRA-VALE EMITIDO(-)", "20,00")));
    EXPECT_THAT(text, HasSubstr(Line("SUPRIMENTO(-)", "100,00")));
    EXPECT_THAT(text, HasSubstr(Line("SANGRIAS", c.sangrias) + "\n" + c.resultado + "\n"));
    if (c.vendas == 0) {
      EXPECT_THAT(text, Not(HasSubstr("RELATORIO DE PRODUTOS")));
    }
  }
}

}  // namespace
}  // namespace bematech_test
