// The restaurant model's table operations: one command each, its fields
// formatted as the printer takes them, unfit values refused unsent.
#include <gmock/gmock.h>

#include <functional>

#include "driver_fixture.h"

namespace bematech_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

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
       [] { return B::Cupom_Conferencia_Bematech("05", "1", 10, 25); }, "80|50",
       {"05", "1", "1000"}},
      {"check with an amount", [] { return B::Cupom_Conferencia_Bematech("05", "1", 0, 25); },
       "80|50", {"05", "1", "00000000002500"}},
      {"check without either", [] { return B::Cupom_Conferencia_Bematech("05", "X", 0, 0); },
       "80|50", {"05", "0", "00000000000000"}},
      {"close check with an amount", [] { return B::Fecha_Conferencia_Bematech("05", 30.1); },
       "80|58", {"05", "00000000003010"}},
      {"close check of zero", [] { return B::Fecha_Conferencia_Bematech("05", 0); }, "80|58",
       {"0", "00000000000000"}},
      {"join", [] { return B::Juncao_Mesa_Bematech("05", "07"); }, "80|51", {"05", "07"}},
      {"coupon of a table", [] { return B::AbreCupomRes_Bematech("05", "2"); }, "80|52",
       {"05", "2"}},
      {"transfer",
       [] {
         return B::Transfere_Item_Bematech("05", "07", "7891", "FEIJAO CARIOQUINHA TIPO 1", "01",
                                           "X", 5.5, 12.34, 1.5);
       },
       "80|53",
       {"05", "0550", "07", "00001234", "001500", "00000000007891", "FEIJAO CARIOQUINH", "01",
        "X"}},
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

}  // namespace
}  // namespace bematech_test
