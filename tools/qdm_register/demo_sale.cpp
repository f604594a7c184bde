#include "tools/qdm_register/demo_sale.h"

#include <cstdio>
#include <string>
#include <vector>

#include "facade/Qdm00000.h"
#include "platform/datetime.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/format.h"
#include "tools/qdm_register/config_writer.h"

namespace qdm_register {

using platform::TClientDataSet;
using platform::TFieldType;

namespace {

struct Product {
  std::string code;
  std::string name;  // Windows-1252
  std::string tax_kind;  // IDTPIMPOSFIS
  double tax_rate;       // VRPEALIMPFIS
  double quantity;
  double price;
  double discount;
};

// The basket: a fractional quantity, an item discount, a name holding the
// frame separator, goods under tax substitution.
const std::vector<Product> kBasket = {
    {"7891000100103", "CAF\xC9 TORRADO 500G", "T", 18, 2, 8.99, 0},
    {"2000000000015", "QUEIJO MUSSARELA KG", "T", 12, 0.750, 39.90, 0},
    {"7894900011517", "SUCO UVA|MA\xC7\xC3 1L", "T", 18, 1, 7.49, 1.00},
    {"7891910000197", "A\xC7\xDA" "CAR REFINADO 1KG", "F", 0, 3, 4.29, 0},
};

const double kCouponDiscount = 0.50;
const double kCashPaid = 100.00;
const char* kBuyerCpf = "123.456.789-09";

void Say(const std::string& text) {
  std::fputs(platform::Cp1252ToUtf8(text).c_str(), stdout);
  std::fflush(stdout);
}

// The front end's payment types: what the shop accepts and how the printer
// should name each one.
void FillPaymentTypes(TClientDataSet& ds) {
  DefinePaymentTypeFields(ds);
  ds.CreateDataSet();
  struct Type { const char* code; const char* name; const char* kind; };
  const Type types[] = {
      {"001", "Dinheiro", "1"},
      {"002", "Cart\xE3o D\xE9" "bito", "D"},
      {"003", "Cart\xE3o Cr\xE9" "dito", "C"},
      {"004", "Vale Troca", "4"},
  };
  for (const auto& t : types) {
    ds.Append();
    ds.FieldByName("CDFILIAL").SetAsString("0001");
    ds.FieldByName("CDTIPORECE").SetAsString(t.code);
    ds.FieldByName("NMTIPORECE").SetAsString(t.name);
    ds.FieldByName("IDTIPORECE").SetAsString(t.kind);
    ds.FieldByName("IDTPBUTTON").SetAsString("5");
    ds.Post();
  }
}

void AddMovement(TClientDataSet& movs, const std::string& tipo_rece, double amount, int order) {
  movs.Append();
  movs.FieldByName("CDFILIAL").SetAsString("0001");
  movs.FieldByName("NRSEQUMOVI").SetAsString(std::to_string(order));
  movs.FieldByName("IDTIPOMOVIVE").SetAsString("E");
  movs.FieldByName("CDTIPORECE").SetAsString(tipo_rece);
  movs.FieldByName("VRMOVIVEND").SetAsFloat(amount);
  movs.FieldByName("NRORDTROCO").SetAsString("001");
  movs.FieldByName("DTHRINCMOV").SetAsDateTime(platform::Now() + order / 86400.0);
  movs.Post();
}

}  // namespace

bool Step(const std::string& what, bool ok) {
  Say(std::string(ok ? "  ok   " : "  FAIL ") + what + "\n");
  return ok;
}

int RunDemoSale(RegisterSession& session, const SaleOptions& options) {
  using namespace Qdm00000;
  Say("== Caixa " + options.caixa + " em " + session.directory() + "\n");

  // A register without its configuration file may not operate; the demo
  // writes one for the emulated printer the first time.
  std::string config = EcfConfigPath(session.directory(), options.caixa);
  if (!platform::FileExists(config)) {
    EcfConfig c;
    c.caixa = options.caixa;
    WriteEcfConfig(config, c);
    Step("arquivo de configura\xE7\xE3o gravado: " + config, true);
  }
  if (!Step("CarregaECF", CarregaECF(options.caixa))) return 1;

  if (!Step("StartImpFiscal", StartImpFiscal(std::to_string(IdTipoImpFis), "COM1"))) return 1;
  SetImpFiscalOK(true);

  TClientDataSet recebimentos("recebimentos");
  TClientDataSet aliquotas("aliquotas");
  FillPaymentTypes(recebimentos);
  if (!Step("IniciaImpressora (impressora " + ECF + ", s\xE9rie " + SerieECF + ")",
            IniciaImpressora("PDV", "", recebimentos, aliquotas))) {
    StopImpFiscal();
    return 1;
  }

  // Products as the front end keeps them; the printer's tax-rate code of
  // each one comes from Verifica_Aliquota.
  TClientDataSet& produto = DataModule().cdsProduto;
  produto.Close();
  produto.FieldDefs.clear();
  produto.AddFieldDef("IDTPIMPOSFIS", TFieldType::ftString, 1);
  produto.AddFieldDef("VRPEALIMPFIS", TFieldType::ftFloat);
  produto.CreateDataSet();

  bool ok = AbreCupom("");
  Step("AbreCupom (cupom n\xBA " + NrCupom + ")", ok);
  for (const auto& p : kBasket) {
    if (!ok) break;
    produto.EmptyDataSet();
    produto.Append();
    produto.FieldByName("IDTPIMPOSFIS").SetAsString(p.tax_kind);
    produto.FieldByName("VRPEALIMPFIS").SetAsFloat(p.tax_rate);
    produto.Post();
    std::string aliquota = Verifica_Aliquota("");
    ok = Step("VendaItem " + p.name + " (al\xED" "quota " + aliquota + ")",
              VendaItem("", "", p.code, p.name, aliquota, p.quantity, p.price, p.discount));
  }

  TClientDataSet movimentos("movimentos");
  movimentos.FieldDefs = DataModule().cdsMovCaixa.FieldDefs;
  movimentos.IndexDefs = DataModule().cdsMovCaixa.IndexDefs;
  movimentos.CreateDataSet();
  AddMovement(movimentos, "001", kCashPaid, 1);

  std::string numero;
  if (ok) {
    ok = Step("FechaCupom (desconto " + platform::FloatToStrF(kCouponDiscount, platform::TFloatFormat::ffCurrency, 15, 2) +
                  ", CPF " + kBuyerCpf + ")",
              FechaCupom(false, true, kCouponDiscount, 0, 0, "S", true, "", movimentos, recebimentos,
                         numero, "", "", "", kBuyerCpf, ""));
  }
  StopImpFiscal();
  Step("StopImpFiscal", true);

  Say("\n== Bobina da impressora (esta venda)\n");
  std::fputs(session.TapeOfThisRun().c_str(), stdout);
  Say("\n== Log de depura\xE7\xE3o impdebug.txt (esta venda)\n");
  std::fputs(session.DebugLogOfThisRun().c_str(), stdout);
  std::fflush(stdout);
  return ok ? 0 : 1;
}

}  // namespace qdm_register
