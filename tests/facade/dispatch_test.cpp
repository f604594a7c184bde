// Routing by printer type code: every operation either reaches the
// Bematech driver (seen as frames at the emulated printer) or answers
// without any printer traffic (false, except the restaurant coupon).
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <set>

#include "facade/Qdm00000.h"
#include "tests/facade/printer_fixture.h"

namespace {

using Qdm00000::TClientDataSet;

struct Operation {
  const char* name;
  std::function<bool()> call;
  std::set<int> bematech;  // codes that reach the Bematech driver
  std::set<int> facade_true = {};  // codes the facade answers true itself
};

TClientDataSet& Scratch() {
  static TClientDataSet ds("scratch");
  return ds;
}

// One empty dataset with every field the till closing reads.
TClientDataSet& ClosingScratch() {
  static TClientDataSet ds("closing");
  if (!ds.Active()) {
    for (const char* name : {"NMTIPORECE", "CDPRODUTO", "NMPRODUTO", "QTPRODVEND", "CDSUPERVISOR",
                             "NMSUPERVISOR", "CDOPERADOR", "NMOPERADOR", "IDTIPOREG",
                             "IDEMIRELPROD"}) {
      ds.AddFieldDef(name, platform::TFieldType::ftString, 20);
    }
    for (const char* name : {"VRFECHAINF", "VRTOTAL", "VRSAIDA"}) {
      ds.AddFieldDef(name, platform::TFieldType::ftFloat);
    }
    ds.CreateDataSet();
  }
  return ds;
}

const std::set<int> kAll = {1, 2, 9};
const std::set<int> kRetail = {1, 2};
const std::set<int> kRestaurant = {9};
const std::set<int> kNone = {};

const std::vector<Operation>& Operations() {
  using namespace Qdm00000;
  static const std::vector<Operation> ops = {
      {"AbreCupom", [] { return AbreCupom(""); }, kRetail, kRestaurant},
      {"VendaItem", [] { return VendaItem("1", "1", "7891", "ARROZ", "01", 2, 5.5, 0); }, kAll},
      {"Cancela_Cupom", [] { std::string n; return Cancela_Cupom(true, false, n); }, kAll},
      {"Cancela_Item_Generico", [] { return Cancela_Item_Generico("001", true); }, kRetail},
      {"Acrescimo", [] { return Acrescimo(1.5); }, kRetail},
      {"Totaliza_NFiscal", [] { return Totaliza_NFiscal("01", "100"); }, kNone},
      {"Cupom_NFiscal_NVinculado",
       [] { return Cupom_NFiscal_NVinculado("SU", "00000000001000", "", ""); }, kAll},
      {"Abre_Comp_NFiscalVinc", [] { return Abre_Comp_NFiscalVinc("Dinheiro", "10", ""); },
       kAll},
      {"Nomeia_TotParcial", [] { return Nomeia_TotParcial("01", "TESTE", "", "", true, false); },
       kAll},
      {"Config_Forma_Pagamento", [] { return Config_Forma_Pagamento("Cheque", true, false); },
       kAll},
      {"Leitura_X", [] { return Leitura_X(""); }, kAll},
      {"Reducao_Z", [] { return Reducao_Z(""); }, kAll},
      {"Memoria_Fiscal", [] { return Memoria_Fiscal("010126", "311226", "", "D"); }, kAll},
      {"Relatorio_Gerencial", [] { return Relatorio_Gerencial(); }, kAll},
      {"FechRelatGerenc", [] { return FechRelatGerenc(true, true); }, kAll},
      {"Retorno_Aliquotas", [] { return Retorno_Aliquotas(); }, kAll},
      {"Leitura_Totais", [] { return Leitura_Totais(true, false); }, kAll},
      {"Estado_Impressora", [] { return Estado_Impressora(true, false); }, kAll},
      {"Estado_Gaveta", [] { return Estado_Gaveta(true, false); }, kRetail},
      {"Abre_Gaveta", [] { return Abre_Gaveta(); }, kRestaurant},
      {"Nr_Cupom", [] { return !Nr_Cupom().empty(); }, kAll},
      {"Sangria", [] { return Sangria(10); }, kAll},
      // The Sweda driver answers the cash supply itself, sending nothing.
      {"Suprimento", [] { return Suprimento(10); }, kAll, {3}},
      {"Cancela_Item",
       [] { return Cancela_Item("01", "1", "7891", "ARROZ", "01", 1, 5.5, 0); }, kRestaurant},
      {"ImprimeTextoNaoFiscal", [] { return ImprimeTextoNaoFiscal("TEXTO\n"); }, kRetail},
      {"Fecha_Imp_Chq", [] { return Fecha_Imp_Chq(true, false); }, kNone},
      {"GeraReciboSangria",
       [] {
         TClientDataSet& d = ClosingScratch();
         return GeraReciboSangria(d, d, d, d, d, d, 0);
       },
       kAll},
      {"ExportRedZ",
       [] {
         TClientDataSet& d = Scratch();
         return ExportRedZ(d, d, d, d, d);
       },
       kAll},
      {"Cupom_Conferencia", [] { return Cupom_Conferencia("01", "1", 0, 0); }, kRestaurant},
      {"Fecha_Conferencia", [] { return Fecha_Conferencia("01", 0); }, kRestaurant},
      {"Juncao_Mesa", [] { return Juncao_Mesa("01", "02"); }, kRestaurant},
      {"AbreCupomRes", [] { return AbreCupomRes("01", "1"); }, kRestaurant},
      {"Transfere_Item",
       [] { return Transfere_Item("01", "02", "1", "7891", "ARROZ", "01", 1, 5.5, 0); }, kRestaurant},
      {"Estorno", [] { return Estorno("01", "1", 0); }, kRestaurant},
      {"Rel_MesaAber", [] { return Rel_MesaAber("01"); }, kRestaurant},
      {"ImprimeCardapio", [] { return ImprimeCardapio(); }, kRestaurant},
  };
  return ops;
}

class Dispatch : public facade_test::PrinterTest,
                 public ::testing::WithParamInterface<std::tuple<std::size_t, int>> {};

TEST_P(Dispatch, ReachesTheBematechDriverOnlyForItsCodes) {
  const Operation& op = Operations()[std::get<0>(GetParam())];
  const int tipo = std::get<1>(GetParam());
  // The driver is bound and its port open whatever the code under test, so
  // silence proves the routing, not an idle driver.
  StartBematech();
  Qdm00000::IdTipoImpFis = tipo;

  const bool result = op.call();
  if (op.bematech.count(tipo) != 0) {
    EXPECT_GT(printer.FrameCount(), 0) << op.name << " on code " << tipo;
  } else {
    EXPECT_EQ(result, op.facade_true.count(tipo) != 0) << op.name << " on code " << tipo;
    EXPECT_EQ(printer.FrameCount(), 0) << op.name << " on code " << tipo;
  }
}

INSTANTIATE_TEST_SUITE_P(
    OperationsByCode, Dispatch,
    ::testing::Combine(::testing::Range<std::size_t>(0, Operations().size()),
                       ::testing::Values(1, 2, 9, 3, 7, 0)),
    [](const auto& info) {
      return std::string(Operations()[std::get<0>(info.param)].name) + "_code" +
             std::to_string(std::get<1>(info.param));
    });

class Routing : public facade_test::PrinterTest {};

TEST_F(Routing, RestaurantItemTakesThePriceBeforeTheQuantity) {
  StartBematech("9");
  // Quantity 2, unit price 5.50: the table item carries the price second
  // (V8) and the quantity fifth (Q6).
  Qdm00000::VendaItem("01", "1", "7891", "ARROZ", "01", 2, 5.5, 0);
  EXPECT_EQ(printer.Frames(),
            std::vector<std::string>{testsupport::EmulatedPrinter::FrameFor(
                "80|48", {"01", "00000550", "1", "00000000", "002000", "00000000007891",
                          "ARROZ", "01"})});
}

TEST_F(Routing, ExportAfterTheReductionReadsThePrintersReport) {
  testsupport::InDirectory here(sandbox.dir.path());  // where the printer writes its report
  StartBematech("1");
  ASSERT_TRUE(Qdm00000::Suprimento(10));
  ASSERT_TRUE(Qdm00000::Reducao_Z(""));
  TClientDataSet tipos("tipos"), reducao("reducao"), formas("formas"), impostos("impostos"),
      totais("totais");
  DefinePaymentTypeFields(tipos);
  tipos.CreateDataSet();
  tipos.Append();
  tipos.FieldByName("CDTIPORECE").SetAsString("001");
  tipos.FieldByName("CDFPIMPFIS").SetAsString("01");
  tipos.Post();
  EXPECT_TRUE(Qdm00000::ExportRedZ(tipos, reducao, formas, impostos, totais));
  ASSERT_EQ(reducao.RecordCount(), 1);
  EXPECT_EQ(reducao.FieldByName("NRECFREDZ").AsString(), Qdm00000::ECF);
  EXPECT_EQ(reducao.FieldByName("NRREDREDZ").AsString(), "0001");
  ASSERT_EQ(formas.RecordCount(), 1) << "cash, the one method of the printer";
  EXPECT_EQ(formas.FieldByName("CDTIPORECE").AsString(), "001");
  EXPECT_EQ(Codes().back(), "35") << "each record stamped with the printer's movement date";
  std::remove("mp20fi.ret");  // written in the current directory, as the maker's library does
}

TEST_F(Routing, RestaurantTablesThroughTheFacade) {
  StartBematech("9");
  ASSERT_TRUE(Qdm00000::VendaItem("05", "1", "7891", "ARROZ", "01", 2, 5.5, 0));
  EXPECT_TRUE(Qdm00000::Transfere_Item("05", "07", "7891", "ARROZ", "01", "1", 0, 5.5, 2));
  EXPECT_FALSE(Qdm00000::Cupom_Conferencia("05", "1", 0, 0)) << "table 05 is empty";
  EXPECT_TRUE(Qdm00000::Cupom_Conferencia("07", "1", 10, 0));
  EXPECT_TRUE(Qdm00000::Rel_MesaAber("1"));
  EXPECT_EQ(printer.FramesOf("80|53"),
            std::vector<std::string>{testsupport::EmulatedPrinter::FrameFor(
                "80|53", {"05", "0000", "07", "00000550", "002000", "00000000007891", "ARROZ",
                          "01", "1"})});
}

TEST_F(Routing, RetailCouponTakesTheNumberFromThePrinter) {
  StartBematech("1");
  EXPECT_TRUE(Qdm00000::AbreCupom(""));
  EXPECT_EQ(Codes(), (std::vector<std::string>{"00", "30"}));
  ASSERT_FALSE(Qdm00000::NrCupom.empty());
  EXPECT_EQ(std::stoi(Qdm00000::NrCupom), printer.CouponNumber());
}

TEST_F(Routing, NonFiscalTextGoesToTheOpenReportOnRetailModelsOnly) {
  StartBematech("1");
  EXPECT_TRUE(Qdm00000::Relatorio_Gerencial());
  printer.ClearFrames();
  EXPECT_TRUE(Qdm00000::ImprimeTextoNaoFiscal("VIA DO CLIENTE\n"));
  EXPECT_EQ(printer.Frames(),
            std::vector<std::string>{testsupport::EmulatedPrinter::FrameFor("67", {"VIA DO CLIENTE\n"})});
}

}  // namespace
