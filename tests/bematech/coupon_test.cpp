// The coupon cycle: item fields, cancellations, surcharge, receipts and the
// small status commands, with amounts that do not fit their fields.
#include <gmock/gmock.h>

#include "driver_fixture.h"
#include "utility/utility.h"
#include "platform/dialogs/dialogs.h"

namespace bematech_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class CouponTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    ASSERT_TRUE(Qdm00100::AbreCupom_Bematech(""));
    Mark();
  }
};

struct SaleCase {
  const char* codigo;
  const char* descricao;
  double quantidade;
  double preco;
  double desconto;
  std::vector<std::string> fields;
};

TEST_F(CouponTest, ItemSaleFields) {
  const std::string forty(40, 'D');
  const SaleCase cases[] = {
      {"1", "ARROZ", 1, 10, 0, {"0000000000001", "ARROZ", "FF", "0001", "00001000", "0000"}},
      {"7891234567890", "FEIJAO", 1.5, 4.99, 0, {"7891234567890", "FEIJAO", "FF", "0001500", "00000499", "0000"}},
      {"12", "QUEIJO", 0.3333, 39.9, -1, {"0000000000012", "QUEIJO", "FF", "0000333", "00003990", "0000"}},
      {"12",
       forty.c_str(),
       2,
       3.5,
       0.129,
       {"0000000000012", forty.substr(0, 29), "FF", "0002", "00000350", "00000012"}},
  };
  for (const SaleCase& c : cases) {
    SCOPED_TRACE(c.descricao);
    Mark();
    EXPECT_TRUE(Qdm00100::VendaItem_Bematech(c.codigo, c.descricao, "FF", c.quantidade, c.preco, c.desconto));
    EXPECT_THAT(Frames(), ElementsAre(Frame("09", c.fields)));
  }
}

struct MisfitCase {
  double quantidade;
  double preco;
  double desconto;
};

TEST_F(CouponTest, AmountsOutsideTheirFieldsAreNeverSent) {
  const MisfitCase cases[] = {
      {1, 1000000.00, 0},                      // V8 holds six integer digits
      {1, -1, 0},         {1, 999999.999, 0},  // rounds up past the field
      {10000, 1, 0},                           // four digits of whole quantity
      {-2, 1, 0},         {1.5, 1, 1000000},
  };
  for (const MisfitCase& c : cases) {
    SCOPED_TRACE(c.preco);
    Mark();
    EXPECT_FALSE(Qdm00100::VendaItem_Bematech("1", "ITEM", "FF", c.quantidade, c.preco, c.desconto));
    EXPECT_THAT(Frames(), IsEmpty());
    ASSERT_EQ(sandbox.dialogs->Seen().size(), 1u);
    EXPECT_EQ(sandbox.dialogs->Seen()[0].text, "Valor fora do formato da impressora fiscal.");
    EXPECT_EQ(sandbox.dialogs->Seen()[0].type, platform::mtError);
    ASSERT_EQ(LogLines().size(), 1u);
    EXPECT_EQ(LogLines()[0].rfind("ERRO!!! Valor fora do formato", 0), 0u);
  }
  EXPECT_FALSE(Qdm00100::Acrescimo_Bematech(100000000.00));
  EXPECT_THAT(Frames(), IsEmpty());
}

TEST_F(CouponTest, SurchargeItemCancelAndCouponCancel) {
  ASSERT_TRUE(Qdm00100::VendaItem_Bematech("1", "ITEM", "FF", 2, 5, 0));
  ASSERT_TRUE(Qdm00100::VendaItem_Bematech("2", "OUTRO", "FF", 1, 3, 0));
  EXPECT_TRUE(Qdm00100::Cancela_ItGenerico_Bematech("002", true));
  EXPECT_TRUE(Qdm00100::Acrescimo_Bematech(1.5));
  const int coo = printer.CouponNumber();
  std::string numero = "unset";
  EXPECT_TRUE(Qdm00100::Cancela_Cupom_Bematech(true, false, numero));

  EXPECT_THAT(Frames(), ElementsAre(Frame("09", {"0000000000001", "ITEM", "FF", "0002", "00000500", "0000"}),
                                    Frame("09", {"0000000000002", "OUTRO", "FF", "0001", "00000300", "0000"}),
                                    Frame("31", {"002"}), Frame("62|50", {"0000000150"}), Frame("14"), Frame("30")));
  EXPECT_EQ(printer.CouponOpen(), 0);
  // The cancelled coupon is the one before the printer's current number.
  const int current = printer.CouponNumber();
  EXPECT_EQ(numero, util::Ajusta(std::to_string(current - 1), 6));
  EXPECT_GE(current, coo);
}

TEST_F(CouponTest, CouponNumberLeftAloneWhenThePrinterGivesNone) {
  std::string numero = "000999";
  printer.ForceStatus(0, 1, 2);
  Qdm00100::Cancela_Cupom_Bematech(false, false, numero);
  EXPECT_EQ(numero, "000999");
}

TEST(CouponOpening, RestaurantModelOpensNoCouponHere) {
  Qdm00000::IdTipoImpFis = 9;
  EXPECT_FALSE(Qdm00100::AbreCupom_Bematech(""));
  Qdm00000::IdTipoImpFis = 1;
}

using RestaurantItemTest = DriverTest;

TEST_F(RestaurantItemTest, ItemFieldsForSaleAndCancellation) {
  Qdm00000::IdTipoImpFis = 9;
  Qdm00100::Registra_Item_Bematech("12", "0000000000123", "7", "PICANHA NA CHAPA PARA DOIS", "FF", 89.9, 1.5, 134.85);
  Qdm00100::Cancela_Item_Bematech("12", "0000000000123", "7", "PICANHA", "FF", 89.9, 1, 89.9);
  EXPECT_THAT(Frames(), ElementsAre(Frame("80|48", {"12", "00008990", "0000000000123", "00013485", "001500",
                                                    "00000000000007", "PICANHA NA CHAPA ", "FF"}),
                                    Frame("80|49", {"0012", "00008990", "0000000000123", "00008990", "001000",
                                                    "00000000000007", "PICANHA", "FF"})));
}

using ReceiptTest = DriverTest;

TEST_F(ReceiptTest, ReceiptsAndStatusCommandsFrames) {
  Qdm00100::Cupom_NFiscNVinc_Bematech("03", "00000000001000", "Dinheiro");
  Qdm00100::Cupom_NFiscNVinc_Bematech("SU", "00000000001000", "Dinheiro");
  Qdm00100::Abre_Comp_NFiscalVinc_Bematech("Dinheiro", "00000000000001", "000001");
  Qdm00100::Usa_CompNFis_Bematech("linha\n");
  Qdm00100::Totaliza_NFiscal_Bematech("01", "2");
  Qdm00100::Numero_Cupom_Bematech();
  Qdm00100::Estado_Imp_Bematech(false, true);
  Qdm00100::Estado_Gaveta_Bematech(false, false);
  Qdm00100::Abre_Gaveta_Bematech();
  EXPECT_THAT(Frames(),
              ElementsAre(Frame("25", {"03", "00000000001000", "Dinheiro"}), Frame("25", {"SU", "00000000001000"}),
                          Frame("66", {"Dinheiro", "00000000000001", "000001"}), Frame("67", {"linha\n"}),
                          Frame("10", {"01", "2"}), Frame("30"), Frame("19"), Frame("23"), Frame("22|255")));
}

}  // namespace
}  // namespace bematech_test
