// The operations through the facade on every model: each one's frame byte
// for byte, the item-sale fields of each model, values that do not fit,
// a whole sale, a card voucher, and the check station of type 4.
#include <gmock/gmock.h>

#include <algorithm>
#include <functional>

#include "platform/dataset/stringlist.h"
#include "platform/text/format.h"
#include "sweda_fixture.h"
#include "tef/Qdm00500.h"
#include "utility/utility.h"

namespace sweda_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kPromo = util::TamFixo(" Promocao COCA COLA 2L", 40);

std::string PercentZero() { return std::string("0") + platform::FormatSettings().DecimalSeparator + "00% =   "; }

// The "01" and "02" arguments of an item of code 123, COCA COLA 2L, T01.
std::string Sale(const std::string& qty, const std::string& price, const std::string& total) {
  return "0000000000123" + qty + price + total + "COCA COLA 2L            " + "T01" + kPromo;
}

TEST_P(EveryModelTest, WholeSaleTranscript) {
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  EXPECT_EQ(Qdm00000::NrCupom, "0001");
  ASSERT_TRUE(Qdm00000::VendaItem("x", "y", "123", "COCA COLA 2L", "T01", 2, 12.5, 0));
  ASSERT_TRUE(Qdm00000::Totaliza_NFiscal("01", "000000003000"));
  ASSERT_TRUE(Qdm00000::FechRelatGerenc(true, false));
  const std::string discount = Tipo() <= 4 ? PercentZero() + "000000000000" : "0000000000000000";
  EXPECT_THAT(Frames(), ElementsAre(Frame("17"), Frame("27"), Frame("01", Sale("0002000", "000001250", "000000002500")),
                                    Frame("02", discount), Frame("10", "01000000003000"), Frame("12")));
  EXPECT_EQ(printer.CouponOpen(), 0);
  EXPECT_DOUBLE_EQ(printer.GrandTotal(), 25.0);
  EXPECT_NE(printer.TapeText().find("TROCO  R$ 5,00"), std::string::npos);
  EXPECT_THAT(Dialogs(), IsEmpty());
}

struct ItemCase {
  double quantity;
  double price;
  double discount;
  const char* qty;
  const char* unit;
  const char* total;
  const char* discount_short;  // types 5 and 6
  const char* discount_text;   // types 3 and 4, before "% =", and the 12 digits
  const char* discount_digits;
};

TEST_P(EveryModelTest, ItemFieldsOfTheModel) {
  const char sep = platform::FormatSettings().DecimalSeparator;
  const ItemCase cases[] = {
      {2, 12.5, 0, "0002000", "000001250", "000000002500", "0000", "0,00", "000000000000"},
      {1.5, 2, 0.5, "0001500", "000000200", "000000000300", "0050", "0,50", "000000000050"},
      {1.2345, 10, 0, "0001234", "000001000", "000000001234", "0000", "0,00", "000000000000"},
      {3, 1.15, 0, "0003000", "000000115", "000000000345", "0000", "0,00", "000000000000"},
      // The total is cut from the sale itself, not from the rounded price.
      {3, 0.999, 0, "0003000", "000000100", "000000000299", "0000", "0,00", "000000000000"},
      {0.75, 39.9, 0, "0000750", "000003990", "000000002992", "0000", "0,00", "000000000000"},
      {9999, 999999.99, 0, "9999000", "099999999", "999899990001", "0000", "0,00", "000000000000"},
  };
  for (const ItemCase& c : cases) {
    ASSERT_TRUE(Qdm00000::AbreCupom(""));
    Mark();
    EXPECT_TRUE(Qdm00000::VendaItem("", "", "123", "COCA COLA 2L", "T01", c.quantity, c.price, c.discount))
        << c.quantity;
    std::string text = c.discount_text;
    std::replace(text.begin(), text.end(), ',', sep);
    const std::string first = Tipo() <= 4 ? util::TamFixo(text + "% =", 10) : std::string(c.discount_short);
    EXPECT_THAT(Frames(),
                ElementsAre(Frame("01", Sale(c.qty, c.unit, c.total)), Frame("02", first + c.discount_digits)))
        << c.quantity << " x " << c.price;
    EXPECT_THAT(Dialogs(), IsEmpty());
    std::string numero;
    ASSERT_TRUE(Qdm00000::Cancela_Cupom(true, false, numero));
  }
}

struct Misfit {
  double quantity;
  double price;
  double discount;
  const char* field;
};

TEST_P(EveryModelTest, ValuesThatDoNotFitAreRefusedNeverCut) {
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  std::vector<Misfit> cases = {
      {10000, 1, 0, "quantidade: 10000"},
      {-1, 1, 0, "quantidade: -1"},
      {1, 1000000, 0, "preco unitario: 1000000"},
      {1, 1, -1, "desconto: -1"},
  };
  // The short discount field of types 5 and 6 holds less than 100.
  if (Tipo() >= 5) cases.push_back({1, 200, 100, "desconto: 100"});
  for (const Misfit& m : cases) {
    Mark();
    EXPECT_FALSE(Qdm00000::VendaItem("", "", "123", "COCA COLA 2L", "T01", m.quantity, m.price, m.discount));
    EXPECT_THAT(Frames(), IsEmpty()) << m.field;
    EXPECT_THAT(LogLines(), ElementsAre(std::string("ERRO!!! Valor fora do formato da impressora fiscal. ") + m.field));
    EXPECT_THAT(Dialogs(), ElementsAre("Valor fora do formato da impressora fiscal."));
  }
}

TEST_P(EveryModelTest, OperationFrames) {
  struct Op {
    std::function<bool()> call;
    std::vector<std::string> frames;
  };
  std::string numero;
  const std::vector<Op> ops = {
      {[] { return Qdm00000::Leitura_X("S"); }, {Frame("13", "S")}},
      {[] { return Qdm00000::Reducao_Z(""); }, {Frame("14", "101226")}},
      {[] { return Qdm00000::Memoria_Fiscal("011226", "101226", "x", "D"); }, {Frame("16", "011226101226")}},
      {[] { return Qdm00000::Memoria_Fiscal("0001", "0002", "x", "R"); }, {Frame("16", "00010002")}},
      {[] { return Qdm00000::Leitura_Totais(true, false); }, {Frame("27")}},
      {[] { return Qdm00000::Estado_Impressora(true, false); }, {Frame("23")}},
      {[] { return Qdm00000::Estado_Gaveta(true, false); }, {Frame(Tipo() == 3 ? "22" : "43")}},
      {[] { return Qdm00000::FechRelatGerenc(true, false); }, {Frame("12")}},
      {[] { return Qdm00000::Suprimento(12.5); }, {}},
      {[] { return Qdm00000::Cupom_NFiscal_NVinculado("02", "000000001000", "01", "TROCO"); },
       {Frame("19", "0200000000100001TROCO")}},
      {[] { return Qdm00000::AbreCupom(""); }, {Frame("17"), Frame("27")}},
      {[] { return Qdm00000::VendaItem("", "", "9", "PAO", "F", 1, 0.5, 0); }, {}},
      {[] { return Qdm00000::Cancela_Item_Generico("1", true); }, {Frame("041")}},
      {[&numero] { return Qdm00000::Cancela_Cupom(true, false, numero); }, {Frame("05")}},
  };
  printer.SetTotalizers("&TOTALIZ\n+Suprimento");
  printer.SetDay(2026, 12, 10, 0);
  for (std::size_t i = 0; i < ops.size(); ++i) {
    Mark();
    EXPECT_TRUE(ops[i].call()) << i;
    if (!ops[i].frames.empty()) {
      EXPECT_EQ(Frames(), ops[i].frames) << i;
    } else if (i == 8) {
      EXPECT_THAT(Frames(), IsEmpty());
    }
  }
  EXPECT_EQ(numero, ".+P000}");
  // What Sweda does not serve answers false and sends nothing.
  Mark();
  EXPECT_FALSE(Qdm00000::Sangria(1));
  EXPECT_FALSE(Qdm00000::Memoria_Fiscal("011226", "101226", "x", "d"));
  EXPECT_FALSE(Qdm00000::Acrescimo(1));
  EXPECT_FALSE(Qdm00000::Relatorio_Gerencial());
  // Only type 4 has the check station; with no check in it, it refuses.
  EXPECT_FALSE(Qdm00000::Fecha_Imp_Chq(true, false));
  if (Tipo() == 4) {
    EXPECT_THAT(Frames(), ElementsAre(Frame("_25")));
  } else {
    EXPECT_THAT(Frames(), IsEmpty());
  }
  EXPECT_EQ(Qdm00000::DataMoviFiscal(), platform::Date());
}

TEST_P(EveryModelTest, CardVoucherPrintsLineByLineAndTheReportCloses) {
  platform::TStringList resposta;
  resposta.Add("028-000 = 3");
  resposta.Add("029-001 = \"REDE TESTE\"");
  resposta.Add("029-002 = \"\"");
  resposta.Add("029-003 = \"" + std::string(45, 'X') + "\"");
  ASSERT_TRUE(Qdm00500::ImprCupom(resposta, 1, false));
  ASSERT_TRUE(Qdm00000::FechRelatGerenc(false, false));
  // A long line goes in two pieces, never cut.
  // The printer is asked once what it holds, before the report's first line.
  EXPECT_THAT(Frames(), ElementsAre(Frame("28"), Frame("08", "REDE TESTE"), Frame("08"),
                                    Frame("08", std::string(40, 'X')), Frame("08", "XXXXX"), Frame("12")));
  EXPECT_EQ(printer.ReportOpen(), 0);
  EXPECT_NE(printer.TapeText().find("REDE TESTE\n\n" + std::string(40, 'X') + "\nXXXXX\nFIM DO RELATORIO"),
            std::string::npos);
}

TEST_P(EveryModelTest, TextLineIsRefusedWhileACouponIsOpenAndTheSaleStands) {
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  ASSERT_TRUE(Qdm00000::VendaItem("", "", "123", "COCA COLA 2L", "T01", 2, 12.5, 0));
  Mark();
  for (int tries = 0; tries < 2; ++tries) EXPECT_FALSE(Qdm00000::ImprimeTextoNaoFiscal("VIA DO CLIENTE\nLINHA 2"));
  // Asked, never printed, never cancelled.
  EXPECT_THAT(Frames(), ElementsAre(Frame("28"), Frame("28")));
  EXPECT_EQ(printer.CouponOpen(), 1);
  EXPECT_EQ(printer.TapeText(), "");
  EXPECT_THAT(LogLines(), ::testing::Contains("ERRO!!! Cupom aberto. Texto nao impresso: VIA DO CLIENTE"));
  // The coupon is closed as it was.
  ASSERT_TRUE(Qdm00000::Totaliza_NFiscal("01", "000000002500"));
  ASSERT_TRUE(Qdm00200::EnviaComando_Sweda("12SN", {}, true, false));
  EXPECT_DOUBLE_EQ(printer.GrandTotal(), 25.0);
  EXPECT_TRUE(Qdm00000::ImprimeTextoNaoFiscal("VIA DO CLIENTE"));
}

// The printer held busy at one step of a sale: the step is sent again
// within the bound and is done once when the printer frees, or is not done
// and says so; the printer holds what the answers told.
TEST_P(EveryModelTest, BusyPrinterAtEachStepOfASale) {
  Qdm00200::SwedaBusyTimeoutMs = 300;
  struct Step {
    const char* command;
    std::function<bool()> call;
  };
  const std::vector<Step> steps = {
      {"17", [] { return Qdm00000::AbreCupom(""); }},
      {"01", [] { return Qdm00000::VendaItem("", "", "123", "COCA COLA 2L", "T01", 2, 12.5, 0); }},
      {"10", [] { return Qdm00000::Totaliza_NFiscal("01", "000000003000"); }},
      {"12", [] { return Qdm00200::EnviaComando_Sweda("12SN", {}, true, false); }},
      {"08", [] { return Qdm00000::ImprimeTextoNaoFiscal("COMPROVANTE"); }},
      {"12", [] { return Qdm00000::FechRelatGerenc(true, false); }},
  };
  // Busy once at every step: each is sent again and done once.
  printer.ResetInto(sandbox, Tipo());
  for (const Step& step : steps) {
    printer.HoldBusyAt(step.command, 1);
    Mark();
    EXPECT_TRUE(step.call()) << step.command;
    const auto frames = Frames();
    EXPECT_EQ(std::count_if(frames.begin(), frames.end(),
                            [&](const std::string& f) { return f.rfind("\x1B." + std::string(step.command), 0) == 0; }),
              2)
        << step.command;
  }
  EXPECT_EQ(printer.CouponOpen(), 0);
  EXPECT_DOUBLE_EQ(printer.GrandTotal(), 25.0);  // one item
  EXPECT_EQ(printer.ReportOpen(), 0);
  EXPECT_EQ(printer.CouponNumber(), 2);  // the coupon and the report

  // Busy to the bound at one step: that step is not done, and says so.
  const int coupon_open_after[] = {0, 1, 1, 1, 0, 0};
  const int report_open_after[] = {0, 0, 0, 0, 0, 1};
  for (std::size_t held = 0; held < steps.size(); ++held) {
    printer.ResetInto(sandbox, Tipo());
    for (std::size_t i = 0; i < held; ++i) ASSERT_TRUE(steps[i].call()) << steps[i].command;
    printer.HoldBusyAt(steps[held].command, -1);
    Mark();
    EXPECT_FALSE(steps[held].call()) << steps[held].command;
    printer.HoldBusyAt(steps[held].command, 0);
    EXPECT_THAT(LogLines(), ::testing::Contains("ERRO!!! Impressora ocupada")) << steps[held].command;
    EXPECT_EQ(printer.CouponOpen(), coupon_open_after[held]) << steps[held].command;
    EXPECT_EQ(printer.ReportOpen(), report_open_after[held]) << steps[held].command;
    std::string numero;
    Qdm00000::Cancela_Cupom(false, false, numero);
  }
}

TEST_P(EveryModelTest, CheckStationOnTypeFourOnly) {
  const bool station = Tipo() == 4;
  EXPECT_EQ(Qdm00200::Formato_Chq("BANCO"), station);
  EXPECT_EQ(Qdm00200::Altera_Chq("001", "LAYOUT"), station);
  // The four texts go as the front end wrote them, the amount too.
  EXPECT_EQ(Qdm00200::Dados_Chq("150,00", "FULANO DE TAL", "SAO PAULO", "10122026"), station);
  EXPECT_EQ(Qdm00000::Fecha_Imp_Chq(true, false), station);
  if (station) {
    EXPECT_THAT(Frames(), ElementsAre(Frame("46", "SBANCO"), Frame("45", "001LAYOUT"),
                                      Frame("44", "150,00FULANO DE TALSAO PAULO10122026"), Frame("_25")));
    EXPECT_NE(printer.TapeText().find("CHEQUE  150,00FULANO DE TALSAO PAULO10122026"), std::string::npos);
    EXPECT_THAT(Dialogs(), IsEmpty());
  }
}

}  // namespace
}  // namespace sweda_test
