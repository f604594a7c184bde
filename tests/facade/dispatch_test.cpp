// Routing by printer type code: every operation either reaches the driver
// of the code's maker (seen as frames at its emulated printer) or answers
// without any printer traffic (false, except where the facade or the
// driver answers true itself).
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <set>

#include "drivers/daruma/Qdm00300.h"
#include "drivers/daruma/driver.h"
#include "drivers/sweda/Qdm00200.h"
#include "drivers/sweda/driver.h"
#include "facade/Qdm00000.h"
#include "support/daruma_printer.h"
#include "support/sweda_printer.h"
#include "tests/facade/printer_fixture.h"

namespace {

using Qdm00000::TClientDataSet;

// The codes under which each maker's driver is reached; the other codes
// answer false without printer traffic, or true where `answers_true` says.
struct Operation {
  const char* name;
  std::function<bool()> call;
  std::set<int> bematech;
  std::set<int> sweda;
  std::set<int> daruma;
  std::set<int> answers_true = {};
};

TClientDataSet& Scratch() {
  static TClientDataSet ds("scratch");
  return ds;
}

// One empty dataset with every field the till closing reads.
TClientDataSet& ClosingScratch() {
  static TClientDataSet ds("closing");
  if (!ds.Active()) {
    for (const char* name : {"NMTIPORECE", "CDPRODUTO", "NMPRODUTO", "QTPRODVEND", "CDSUPERVISOR", "NMSUPERVISOR",
                             "CDOPERADOR", "NMOPERADOR", "IDTIPOREG", "IDEMIRELPROD"}) {
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
const std::set<int> kSweda = {3, 4};  // the codes under test: the plain and the check model
const std::set<int> kSwedaCheck = {4};
const std::set<int> kDaruma = {7, 8};

const std::vector<Operation>& Operations() {
  using namespace Qdm00000;
  static const std::vector<Operation> ops = {
      {"AbreCupom", [] { return AbreCupom(""); }, kRetail, kSweda, kDaruma, kRestaurant},
      {"VendaItem", [] { return VendaItem("1", "1", "7891", "ARROZ", "01", 2, 5.5, 0); }, kAll, kSweda, kDaruma},
      {"Cancela_Cupom",
       [] {
         std::string n;
         return Cancela_Cupom(true, false, n);
       },
       kAll, kSweda, kDaruma},
      {"Cancela_Item_Generico", [] { return Cancela_Item_Generico("001", true); }, kRetail, kSweda, kDaruma},
      {"Acrescimo", [] { return Acrescimo(1.5); }, kRetail, kNone, kNone},
      {"Totaliza_NFiscal", [] { return Totaliza_NFiscal("01", "100"); }, kNone, kSweda, kDaruma},
      {"Cupom_NFiscal_NVinculado", [] { return Cupom_NFiscal_NVinculado("SU", "00000000001000", "", ""); }, kAll,
       kSweda, kDaruma},
      {"Abre_Comp_NFiscalVinc", [] { return Abre_Comp_NFiscalVinc("Dinheiro", "10", ""); }, kAll, kNone, kNone},
      {"Nomeia_TotParcial", [] { return Nomeia_TotParcial("01", "TESTE", "", "", true, false); }, kAll, kSweda,
       kDaruma},
      {"Config_Forma_Pagamento", [] { return Config_Forma_Pagamento("Cheque", true, false); }, kAll, kSweda, kDaruma},
      {"Leitura_X", [] { return Leitura_X(""); }, kAll, kSweda, kDaruma},
      {"Reducao_Z", [] { return Reducao_Z(""); }, kAll, kSweda, kDaruma},
      {"Memoria_Fiscal", [] { return Memoria_Fiscal("010126", "311226", "", "D"); }, kAll, kSweda, kDaruma},
      {"Relatorio_Gerencial", [] { return Relatorio_Gerencial(); }, kAll, kNone, kDaruma},
      {"FechRelatGerenc", [] { return FechRelatGerenc(true, true); }, kAll, kSweda, kDaruma},
      {"Retorno_Aliquotas", [] { return Retorno_Aliquotas(); }, kAll, kNone, kDaruma},
      {"Leitura_Totais", [] { return Leitura_Totais(true, false); }, kAll, kSweda, kDaruma},
      {"Estado_Impressora", [] { return Estado_Impressora(true, false); }, kAll, kSweda, kDaruma},
      {"Estado_Gaveta", [] { return Estado_Gaveta(true, false); }, kRetail, kSweda, kDaruma},
      {"Abre_Gaveta", [] { return Abre_Gaveta(); }, kRestaurant, kNone, kNone},
      {"Nr_Cupom", [] { return !Nr_Cupom().empty(); }, kAll, kSweda, kNone},
      {"Sangria", [] { return Sangria(10); }, kAll, kNone, kNone},
      // The Sweda driver answers the cash supply itself, sending nothing; the
      // Daruma driver refuses it unsent while its printer has no supply
      // totalizer, as a fresh one has none.
      {"Suprimento", [] { return Suprimento(10); }, kAll, kNone, kNone, kSweda},
      {"Cancela_Item", [] { return Cancela_Item("01", "1", "7891", "ARROZ", "01", 1, 5.5, 0); }, kRestaurant, kNone,
       kNone},
      {"ImprimeTextoNaoFiscal", [] { return ImprimeTextoNaoFiscal("TEXTO\n"); }, kRetail, kSweda, kDaruma},
      {"Fecha_Imp_Chq", [] { return Fecha_Imp_Chq(true, false); }, kNone, kSwedaCheck, kNone},
      {"GeraReciboSangria",
       [] {
         TClientDataSet& d = ClosingScratch();
         return GeraReciboSangria(d, d, d, d, d, d, 0);
       },
       kAll, kNone, kNone},
      {"ExportRedZ",
       [] {
         TClientDataSet& d = Scratch();
         return ExportRedZ(d, d, d, d, d);
       },
       kAll, kNone, kNone},
      {"Cupom_Conferencia", [] { return Cupom_Conferencia("01", "1", 0, 0); }, kRestaurant, kNone, kNone},
      {"Fecha_Conferencia", [] { return Fecha_Conferencia("01", 0); }, kRestaurant, kNone, kNone},
      {"Juncao_Mesa", [] { return Juncao_Mesa("01", "02"); }, kRestaurant, kNone, kNone},
      {"AbreCupomRes", [] { return AbreCupomRes("01", "1"); }, kRestaurant, kNone, kNone},
      {"Transfere_Item", [] { return Transfere_Item("01", "02", "1", "7891", "ARROZ", "01", 1, 5.5, 0); }, kRestaurant,
       kNone, kNone},
      {"Estorno", [] { return Estorno("01", "1", 0); }, kRestaurant, kNone, kNone},
      {"Rel_MesaAber", [] { return Rel_MesaAber("01"); }, kRestaurant, kNone, kNone},
      {"ImprimeCardapio", [] { return ImprimeCardapio(); }, kRestaurant, kNone, kNone},
  };
  return ops;
}

// The three emulated printers loaded; the driver of the code's maker
// started on its own, bound and its port open whatever the operation, so
// silence proves the routing, not an idle driver.
class DispatchTest : public facade_test::FacadeTest,
                     public ::testing::WithParamInterface<std::tuple<std::size_t, int>> {
 protected:
  ~DispatchTest() override {
    if (Qdm00000::ImpFiscalOK()) Qdm00000::StopImpFiscal();
    Qdm00200::StopImpFis_Sweda();
    Qdm00300::StopImpFiscal_Daruma();
    Qdm00200::ClearGlobals();
    Qdm00300::ClearGlobals();
  }

  // Starts the driver of `tipo`'s maker as the front end does (the
  // Bematech driver for a code no maker serves) and answers its printer.
  testsupport::EmulatorLibrary& Start(int tipo) {
    Qdm00000::stPorta = "COM1";
    Qdm00000::DsDirCad = sandbox.dir.path() + "/";
    testsupport::EmulatorLibrary* printer = &bematech;
    int started = 1;
    if (Qdm00000::IsSweda(tipo)) {
      sweda.ResetInto(sandbox, tipo);
      printer = &sweda;
      started = tipo;
    } else if (Qdm00000::IsDaruma(tipo)) {
      daruma.ResetInto(sandbox, tipo);
      printer = &daruma;
      started = tipo;
    } else {
      sandbox.ResetPrinter(bematech);
      if (Qdm00000::IsBematech(tipo)) started = tipo;
    }
    EXPECT_TRUE(Qdm00000::StartImpFiscal(std::to_string(started), "COM1"));
    Qdm00000::SetImpFiscalOK(true);
    Qdm00000::IdTipoImpFis = tipo;
    printer->ClearFrames();
    sandbox.dialogs->Clear();
    log_mark_ = sandbox.DebugLog().size();
    return *printer;
  }

  std::vector<std::string> LogLines() const { return testsupport::LogMessages(sandbox.DebugLog().substr(log_mark_)); }

  testsupport::EmulatedPrinter bematech;
  testsupport::SwedaPrinter sweda;
  testsupport::DarumaPrinter daruma;

 private:
  std::size_t log_mark_ = 0;
};

TEST_P(DispatchTest, ReachesTheDriverOfTheCodesMakerOnlyForItsCodes) {
  const Operation& op = Operations()[std::get<0>(GetParam())];
  const int tipo = std::get<1>(GetParam());
  const testsupport::EmulatorLibrary& printer = Start(tipo);

  const bool result = op.call();
  const bool reached = op.bematech.count(tipo) + op.sweda.count(tipo) + op.daruma.count(tipo) != 0;
  if (reached) {
    EXPECT_GT(printer.FrameCount(), 0) << op.name << " on code " << tipo;
  } else {
    EXPECT_EQ(result, op.answers_true.count(tipo) != 0) << op.name << " on code " << tipo;
    EXPECT_EQ(printer.FrameCount(), 0) << op.name << " on code " << tipo;
  }
  // Never routed to a driver that is not started.
  for (const std::string& line : LogLines())
    EXPECT_EQ(line.find("DLL nao carregada"), std::string::npos) << op.name << " on code " << tipo;
}

INSTANTIATE_TEST_SUITE_P(OperationsByCode, DispatchTest,
                         ::testing::Combine(::testing::Range<std::size_t>(0, Operations().size()),
                                            ::testing::Values(1, 2, 9, 3, 4, 7, 8, 0)),
                         [](const auto& info) {
                           return std::string(Operations()[std::get<0>(info.param)].name) + "_code" +
                                  std::to_string(std::get<1>(info.param));
                         });

class RoutingTest : public facade_test::PrinterTest {};

TEST_F(RoutingTest, RestaurantItemTakesThePriceBeforeTheQuantity) {
  StartBematech("9");
  // Quantity 2, unit price 5.50: the table item carries the price second
  // (V8) and the quantity fifth (Q6).
  Qdm00000::VendaItem("01", "1", "7891", "ARROZ", "01", 2, 5.5, 0);
  EXPECT_EQ(printer.Frames(),
            std::vector<std::string>{testsupport::EmulatedPrinter::FrameFor(
                "80|48", {"01", "00000550", "1", "00000000", "002000", "00000000007891", "ARROZ", "01"})});
}

TEST_F(RoutingTest, ExportAfterTheReductionReadsThePrintersReport) {
  testsupport::InDirectory here(sandbox.dir.path());  // where the printer writes its report
  StartBematech("1");
  ASSERT_TRUE(Qdm00000::Suprimento(10));
  ASSERT_TRUE(Qdm00000::Reducao_Z(""));
  TClientDataSet tipos("tipos"), reducao("reducao"), formas("formas"), impostos("impostos"), totais("totais");
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

TEST_F(RoutingTest, RestaurantTablesThroughTheFacade) {
  StartBematech("9");
  ASSERT_TRUE(Qdm00000::VendaItem("05", "1", "7891", "ARROZ", "01", 2, 5.5, 0));
  EXPECT_TRUE(Qdm00000::Transfere_Item("05", "07", "7891", "ARROZ", "01", "1", 0, 5.5, 2));
  EXPECT_FALSE(Qdm00000::Cupom_Conferencia("05", "1", 0, 0)) << "table 05 is empty";
  EXPECT_TRUE(Qdm00000::Cupom_Conferencia("07", "1", 10, 0));
  EXPECT_TRUE(Qdm00000::Rel_MesaAber("1"));
  EXPECT_EQ(printer.FramesOf("80|53"),
            std::vector<std::string>{testsupport::EmulatedPrinter::FrameFor(
                "80|53", {"05", "0000", "07", "00000550", "002000", "00000000007891", "ARROZ", "01", "1"})});
}

TEST_F(RoutingTest, RetailCouponTakesTheNumberFromThePrinter) {
  StartBematech("1");
  EXPECT_TRUE(Qdm00000::AbreCupom(""));
  EXPECT_EQ(Codes(), (std::vector<std::string>{"00", "30"}));
  ASSERT_FALSE(Qdm00000::NrCupom.empty());
  EXPECT_EQ(std::stoi(Qdm00000::NrCupom), printer.CouponNumber());
}

TEST_F(RoutingTest, NonFiscalTextGoesToTheOpenReportOnRetailModelsOnly) {
  StartBematech("1");
  EXPECT_TRUE(Qdm00000::Relatorio_Gerencial());
  printer.ClearFrames();
  EXPECT_TRUE(Qdm00000::ImprimeTextoNaoFiscal("VIA DO CLIENTE\n"));
  EXPECT_EQ(printer.Frames(),
            std::vector<std::string>{testsupport::EmulatedPrinter::FrameFor("67", {"VIA DO CLIENTE\n"})});
}

}  // namespace
