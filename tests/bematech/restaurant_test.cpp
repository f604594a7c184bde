// The restaurant model's table operations: one command each, its fields
// formatted as the printer takes them, unfit values refused unsent.
#include <gmock/gmock.h>

#include <functional>

#include "driver_fixture.h"

namespace bematech_test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

// A tape line: text at the left, figure at the right of 48 columns.
std::string Line(const std::string& left, const std::string& right) {
  return left + std::string(48 - left.size() - right.size(), ' ') + right;
}

class RestaurantTest : public DriverTest {
 protected:
  RestaurantTest() { Qdm00000::IdTipoImpFis = 9; }
};

struct TableCase {
  const char* name;
  std::function<bool()> call;
  std::string code;
  std::vector<std::string> args;
};

TEST_F(RestaurantTest, EachOperationSendsItsFrame) {
  namespace B = Qdm00100;
  const TableCase cases[] = {
      {"check with a percentage wins over the amount",
       [] { return B::Cupom_Conferencia_Bematech("05", "1", 10, 25); },
       "80|50",
       {"05", "1", "1000"}},
      {"check with an amount",
       [] { return B::Cupom_Conferencia_Bematech("05", "1", 0, 25); },
       "80|50",
       {"05", "1", "00000000002500"}},
      {"check without either",
       [] { return B::Cupom_Conferencia_Bematech("05", "X", 0, 0); },
       "80|50",
       {"05", "0", "00000000000000"}},
      {"close check with an amount",
       [] { return B::Fecha_Conferencia_Bematech("05", 30.1); },
       "80|58",
       {"05", "00000000003010"}},
      {"close check of zero", [] { return B::Fecha_Conferencia_Bematech("05", 0); }, "80|58", {"0", "00000000000000"}},
      {"join", [] { return B::Juncao_Mesa_Bematech("05", "07"); }, "80|51", {"05", "07"}},
      {"coupon of a table", [] { return B::AbreCupomRes_Bematech("05", "2"); }, "80|52", {"05", "2"}},
      {"transfer",
       [] {
         return B::Transfere_Item_Bematech("05", "07", "7891", "FEIJAO CARIOQUINHA TIPO 1", "01", "X", 5.5, 12.34, 1.5);
       },
       "80|53",
       {"05", "0550", "07", "00001234", "001500", "00000000007891", "FEIJAO CARIOQUINH", "01", "X"}},
      {"reversal", [] { return B::Estorno_Bematech("05", "1", 5.5); }, "74", {"05", "1", "0550"}},
      {"open tables", [] { return B::Rel_MesaAber_Bematech("1"); }, "80|54", {"1"}},
      {"menu", [] { return B::ImprimeCardapio_Bematech(); }, "80|55", {}},
  };
  for (const TableCase& c : cases) {
    SCOPED_TRACE(c.name);
    Mark();
    c.call();
    EXPECT_THAT(Frames(), ElementsAre(Frame(c.code, c.args)));
  }
}

TEST_F(RestaurantTest, ThePrinterKeepsTheTablesAndRefusesWhatItCannotDo) {
  namespace B = Qdm00100;
  ASSERT_TRUE(B::Registra_Item_Bematech("05", "1", "7891", "ARROZ", "01", 10, 2, 0));
  ASSERT_TRUE(B::Registra_Item_Bematech("05", "1", "7892", "FEIJAO", "01", 5, 1, 0));
  // The bean moves to table 07; a second move finds it no more on 05.
  EXPECT_TRUE(B::Transfere_Item_Bematech("05", "07", "7892", "FEIJAO", "01", "1", 0, 5, 1));
  EXPECT_FALSE(B::Transfere_Item_Bematech("05", "07", "7892", "FEIJAO", "01", "1", 0, 5, 1));
  EXPECT_FALSE(B::Cupom_Conferencia_Bematech("09", "1", 0, 0)) << "unknown table";
  EXPECT_TRUE(B::Juncao_Mesa_Bematech("07", "05"));
  EXPECT_FALSE(B::Juncao_Mesa_Bematech("07", "05")) << "table 05 is empty now";
  EXPECT_FALSE(B::Fecha_Conferencia_Bematech("05", 10)) << "check on an empty table";
  Mark();
  EXPECT_TRUE(B::Cupom_Conferencia_Bematech("07", "1", 0, 0));
  EXPECT_TRUE(B::Rel_MesaAber_Bematech("1"));
  EXPECT_TRUE(B::ImprimeCardapio_Bematech());
  const std::string tape = printer.TapeText();
  EXPECT_NE(tape.find(Line("TOTAL", "25,00")), std::string::npos) << tape;
  EXPECT_NE(tape.find(Line("MESA 7", "25,00")), std::string::npos) << tape;
  EXPECT_NE(tape.find(Line("MESAS", "1")), std::string::npos) << tape;
  EXPECT_THAT(Dialogs(), IsEmpty());
}

TEST_F(RestaurantTest, UnfitFiguresAreRefusedUnsent) {
  namespace B = Qdm00100;
  const std::function<bool()> calls[] = {
      [] { return B::Cupom_Conferencia_Bematech("05", "1", 100, 0); },
      [] { return B::Estorno_Bematech("05", "1", -1); },
      [] { return B::Transfere_Item_Bematech("05", "07", "1", "A", "01", "X", 1, 1000000, 1); },
      [] { return B::Transfere_Item_Bematech("05", "07", "1", "A", "01", "X", 1, 1, 1000); },
      [] { return B::Fecha_Conferencia_Bematech("05", -2); },
  };
  for (const auto& call : calls) {
    Mark();
    EXPECT_FALSE(call());
    EXPECT_THAT(Frames(), IsEmpty());
    EXPECT_THAT(Dialogs(), ElementsAre("Valor fora do formato da impressora fiscal."));
  }
}

// The tape's figure on the line that starts with `label` (the last such
// line), as the export reads amounts.
double TapeFigure(const std::string& tape, const std::string& label) {
  std::size_t at = tape.rfind("\n" + label);
  if (at == std::string::npos) ADD_FAILURE() << "no line " << label;
  const std::string line = tape.substr(at + 1, tape.find('\n', at + 1) - at - 1);
  return Qdm00100::ReadAmount(line.substr(line.find_last_of(' ') + 1));
}

TEST_F(RestaurantTest, TablesKeepJoinsMovesReversalsAndClosedChecksAcrossAPowerCycle) {
  // Through the facade, as the front end sells at a table: quantity, then
  // the unit price.
  namespace F = Qdm00000;
  ASSERT_TRUE(F::VendaItem("05", "1", "7891", "ARROZ", "01", 2, 10.00, 0));
  ASSERT_TRUE(F::VendaItem("05", "1", "7892", "FEIJAO", "01", 1, 5.00, 0));
  ASSERT_TRUE(F::VendaItem("07", "2", "7893", "SUCO", "FF", 3, 4.00, 0));
  ASSERT_TRUE(F::VendaItem("09", "2", "7894", "AGUA", "FF", 1, 2.00, 0));
  ASSERT_TRUE(F::Juncao_Mesa("05", "07"));  // 05: ARROZ, FEIJAO, SUCO
  ASSERT_TRUE(F::Transfere_Item("05", "09", "7892", "FEIJAO", "01", "1", 0, 5.00, 1));
  ASSERT_TRUE(F::Estorno("05", "1", 50));  // half the rice: 05 holds 10,00 + 12,00
  ASSERT_TRUE(F::Fecha_Conferencia("09", 7.00));

  printer.PowerCycle();
  ASSERT_TRUE(Qdm00100::AbrePorta_Bematech("COM1"));
  Mark();
  printer.ClearTape();
  ASSERT_TRUE(F::Rel_MesaAber("1"));
  const std::string report = printer.TapeText();
  EXPECT_THAT(report, HasSubstr(Line("MESA 5", "22,00")));
  EXPECT_THAT(report, HasSubstr(Line("MESA 9", "7,00")));
  EXPECT_THAT(report, HasSubstr(Line("MESAS", "2")));
  EXPECT_THAT(report, Not(HasSubstr("MESA 7")));

  // Table 09's check is closed: it waits for its coupon.
  const std::function<bool()> refused[] = {
      [] { return F::VendaItem("09", "1", "7891", "ARROZ", "01", 1, 10.00, 0); },
      [] { return F::Cupom_Conferencia("09", "1", 0, 0); },
      [] { return F::Fecha_Conferencia("09", 7.00); },
      [] { return F::Juncao_Mesa("09", "05"); },
      [] { return F::Transfere_Item("05", "09", "7893", "SUCO", "01", "1", 0, 4.00, 3); },
      [] { return F::Estorno("09", "1", 0); },
      [] { return F::Estorno("05", "3", 0); },  // table 05 holds two items
  };
  for (const auto& call : refused) EXPECT_FALSE(call());
  ASSERT_TRUE(F::Cupom_Conferencia("05", "1", 0, 0));
  EXPECT_THAT(printer.TapeText(), HasSubstr(Line("TOTAL", "22,00")));
  // The items kept their tax codes through the power cycle: the table's
  // coupon sells them on their rates.
  printer.ClearTape();
  ASSERT_TRUE(F::AbreCupomRes("05", "1"));
  const std::string coupon = printer.TapeText();
  EXPECT_THAT(coupon, HasSubstr(Line("    1 x 10,00 01T18,00%", "10,00")));
  EXPECT_THAT(coupon, HasSubstr(Line("    3 x 4,00 F", "12,00")));
}

TEST_F(RestaurantTest, ATableCouponTakesTheTablesItemsAndTheZOfAType9PrinterReadsBack) {
  testsupport::InDirectory here(sandbox.dir.path());  // where the printer writes its report
  namespace F = Qdm00000;
  printer.SetRestaurantModel(1);
  printer.SetPaymentMethods("Dinheiro\nCartao");
  Qdm00100::CarregaTot_Bematech();
  platform::TClientDataSet tipos{"tipos"};
  FillPaymentTypes(tipos, {{"001", "Dinheiro", "1", "5", "01"}, {"002", "Cartao", "4", "5", "02"}});
  ASSERT_TRUE(F::VendaItem("05", "1", "7891", "ARROZ", "01", 2, 10.00, 1.00));
  ASSERT_TRUE(F::VendaItem("05", "1", "7893", "SUCO", "FF", 3, 4.00, 0));
  ASSERT_TRUE(F::VendaItem("08", "1", "7894", "AGUA", "FF", 1, 2.00, 0));
  ASSERT_TRUE(F::Fecha_Conferencia("05", 31.00));
  ASSERT_TRUE(F::AbreCupomRes("05", "1"));
  EXPECT_EQ(printer.CouponOpen(), 1);
  EXPECT_FALSE(F::AbreCupomRes("08", "1")) << "one coupon at a time";

  // 31,00 of items with a surcharge of 3,10 on the total.
  platform::TClientDataSet movimentos{"movimentos"};
  FillMovements(movimentos, {{"E", "001", 20.00, 1.0}, {"E", "002", 14.10, 2.0}});
  std::string numero;
  ASSERT_TRUE(F::FechaCupom(false, true, 0, 0, 3.10, "N", false, "", movimentos, tipos, numero, "", "", "", "", ""));
  EXPECT_EQ(printer.CouponOpen(), 0);
  sandbox.dialogs->Clear();
  EXPECT_FALSE(F::Cupom_Conferencia("05", "1", 0, 0)) << "the table went with its coupon";
  EXPECT_TRUE(F::Cupom_Conferencia("08", "1", 0, 0)) << "table 08 is still open";

  printer.ClearTape();
  ASSERT_TRUE(F::Reducao_Z(""));
  const std::string z = printer.TapeText();
  EXPECT_DOUBLE_EQ(TapeFigure(z, "VENDA BRUTA"), 32.00);
  EXPECT_DOUBLE_EQ(TapeFigure(z, "ACR\xC9SCIMOS"), 3.10);

  platform::TClientDataSet reducao{"reducao"}, formas{"formas"}, impostos{"impostos"}, totais{"totais"};
  ASSERT_TRUE(F::ExportRedZ(tipos, reducao, formas, impostos, totais));
  std::remove("mp20fi.ret");
  ASSERT_EQ(reducao.RecordCount(), 1);
  EXPECT_DOUBLE_EQ(reducao.FieldByName("VRGTREDZ").AsFloat(), TapeFigure(z, "GRANDE TOTAL"));
  EXPECT_DOUBLE_EQ(reducao.FieldByName("VRVENBRUREDZ").AsFloat(), TapeFigure(z, "VENDA BRUTA"));
  EXPECT_DOUBLE_EQ(reducao.FieldByName("VRTOTDESREDZ").AsFloat(), TapeFigure(z, "DESCONTOS"));
  EXPECT_DOUBLE_EQ(reducao.FieldByName("VRVENLIQREDZ").AsFloat(), TapeFigure(z, "VENDA L\xCDQUIDA"));
  EXPECT_DOUBLE_EQ(reducao.FieldByName("VRTOTACRREDZ").AsFloat(), TapeFigure(z, "ACR\xC9SCIMOS"));
  EXPECT_DOUBLE_EQ(reducao.FieldByName("VRSTRIBREDZ").AsFloat(), TapeFigure(z, "F  SUBSTITUI\xC7\xC3O TRIBUT\xC1RIA"));
  ASSERT_EQ(formas.RecordCount(), 2);
  formas.First();
  EXPECT_DOUBLE_EQ(formas.FieldByName("VRFORMPGTORZ").AsFloat(), TapeFigure(z, "01 Dinheiro"));
  formas.Next();
  EXPECT_DOUBLE_EQ(formas.FieldByName("VRFORMPGTORZ").AsFloat(), TapeFigure(z, "02 Cartao"));
  impostos.First();
  EXPECT_EQ(impostos.FieldByName("CDALIQIMPRZ").AsString(), "01");
  EXPECT_DOUBLE_EQ(impostos.FieldByName("VRBCALCIMPRZ").AsFloat(), 19.00) << "rice less its discount";
}

}  // namespace
}  // namespace bematech_test
