#include "tools/qdm_register/sweda_sale.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "drivers/sweda/Qdm00200.h"
#include "facade/Qdm00000.h"
#include "platform/base/encoding.h"
#include "platform/base/sysutils.h"
#include "platform/os/files.h"
#include "platform/text/format.h"
#include "tef/Qdm00500.h"
#include "tools/qdm_register/card_payment.h"
#include "tools/qdm_register/config_writer.h"
#include "utility/utility.h"

namespace qdm_register {

namespace {

using platform::TClientDataSet;

struct SwedaItem {
  const char* code;
  const char* name;
  const char* aliquota;  // the printer's code
  double quantity;
  double price;
};

// 1.15 x 3 is 3.45 on the coupon, never 3.44.
const SwedaItem kItems[] = {
    {"7891000100103", "CAF\xC9 TORRADO 500G", "T01", 1, 8.99},
    {"7894900011517", "\xC1GUA MINERAL 500ML", "T01", 3, 1.15},
    {"2000000000015", "QUEIJO MUSSARELA KG", "T02", 0.750, 39.90},
};
const double kCard = 10.00;

void Line(bool ok, const std::string& what) {
  std::fputs(platform::Cp1252ToUtf8(std::string(ok ? "  ok   " : "  FALHA ") + what + "\n").c_str(), stdout);
  std::fflush(stdout);
}

bool Check(const std::string& what, bool ok) {
  Line(ok, what);
  return ok;
}

// The shop's payment types, written where the Sweda driver reconciles them.
void WritePaymentTypes(const std::string& file) {
  TClientDataSet ds("tiporece");
  DefinePaymentTypeFields(ds);
  ds.CreateDataSet();
  const char* rows[][3] = {{"001", "Dinheiro", "1"}, {"002", "Cart\xE3o D\xE9" "bito", "D"}};
  for (const auto& r : rows) {
    ds.Append();
    ds.FieldByName("CDTIPORECE").SetAsString(r[0]);
    ds.FieldByName("NMTIPORECE").SetAsString(r[1]);
    ds.FieldByName("IDTIPORECE").SetAsString(r[2]);
    ds.Post();
  }
  ds.SaveToFile(file);
}

// The printer's method index of a payment type, as the start-up numbered it.
std::string MethodOf(const std::string& file, const std::string& tipo_rece) {
  TClientDataSet ds("numeradas");
  ds.LoadFromFile(file);
  return ds.Locate("CDTIPORECE", {platform::Variant(tipo_rece)}) ? ds.FieldByName("CDFPIMPFIS").AsString() : "";
}

std::string Cents12(double amount) {
  return util::AjustaZero(platform::IntToStr(platform::Trunc(platform::RoundTo(amount * 100, 0))), 12);
}

}  // namespace

int SwedaTypeCode(const std::string& name_or_code) {
  if (platform::UpperCase(name_or_code) == "SWEDA") return 3;
  const int tipo = platform::StrToIntDef(name_or_code, 0);
  return Qdm00000::IsSweda(tipo) ? tipo : 0;
}

int RunSwedaSale(RegisterSession& session, const SaleOptions& options, int tipo) {
  using namespace Qdm00000;
  platform::TStringList cupons_tef, canc_cupons_tef;
  Qdm00500::stlCuponsTEF = &cupons_tef;
  Qdm00500::inContCuponsTEF = 0;
  Qdm00500::stlCancCuponsTEF = &canc_cupons_tef;
  Qdm00500::inContCancCuponsTEF = 0;
  // The emulated printer keeps its memory and tape in the register's home
  // and answers as the model asked for (read when the library loads).
  setenv("SERSWEDA_STATE", session.file("sersweda" + platform::IntToStr(tipo) + ".state").c_str(), 1);
  setenv("SERSWEDA_TAPE", session.file("tape.txt").c_str(), 1);
  setenv("SERSWEDA_MODEL", platform::IntToStr(tipo).c_str(), 1);
  // A register of its own ("10" and the type code), so the configuration
  // of the Bematech register in the same home stays as it was.
  const std::string caixa = "10" + platform::IntToStr(tipo);
  std::fputs(("== Caixa " + caixa + " com impressora Sweda tipo " + platform::IntToStr(tipo) + "\n").c_str(),
             stdout);

  EcfConfig config;
  config.caixa = caixa;
  config.serie = "SW0012345";
  config.tipo = tipo;
  WriteEcfConfig(EcfConfigPath(session.directory(), caixa), config);
  bool ok = Check("CarregaECF", CarregaECF(caixa));
  const std::string tipos = DsDirCad + "tiporece.cds";
  TClientDataSet recebimentos("recebimentos"), aliquotas("aliquotas");
  if (ok) {
    WritePaymentTypes(tipos);
    ok = Check("StartImpFiscal", StartImpFiscal(platform::IntToStr(tipo), "COM1") && ImpFiscalOK());
  }
  ok = ok && Check("IniciaImpressora (impressora " + ECF + ", s\xE9rie " + SerieECF + ")",
                   IniciaImpressora("PDV", "N", recebimentos, aliquotas));
  const std::string cash = MethodOf(tipos, "001");
  const std::string debit = MethodOf(tipos, "002");
  ok = ok && Check("tiporece.cds numerado: dinheiro " + cash + ", d\xE9" "bito " + debit,
                   !cash.empty() && !debit.empty());

  std::unique_ptr<TefManager> manager;
  if (ok && options.card)
    manager = std::make_unique<TefManager>(session.program_directory() + "tef_manager",
                                           platform::HostPath("c:\\tef_dial"));
  if (ok && options.card) ok = Check("CheckIntPosFiles", Qdm00500::CheckIntPosFiles());

  if (ok) ok = Check("AbreCupom", AbreCupom("")) && Check("cupom n\xBA " + NrCupom, NrCupom != "0000");
  double total = 0;
  for (const SwedaItem& item : kItems) {
    if (!ok) break;
    ok = Check(std::string("VendaItem ") + item.name,
               VendaItem("", "", item.code, item.name, item.aliquota, item.quantity, item.price, 0));
    total += util::Trunc2(item.quantity * item.price);
  }
  bool card_paid = false;
  if (ok && options.card) {
    const CardResult card = PayByCard(kCard);
    card_paid = Check("cart\xE3o " + platform::CurrToStr(kCard) + (card.approved ? ": aprovado" : ": recusado"),
                      card.approved);
    if (card_paid) ok = Check("pagamento em cart\xE3o", Totaliza_NFiscal(debit, Cents12(kCard)));
  }
  const double cash_paid = total - (card_paid ? kCard : 0) + 5;
  ok = ok && Check("pagamento em dinheiro " + platform::CurrToStr(cash_paid), Totaliza_NFiscal(cash, Cents12(cash_paid)));
  // Closing the coupon is a command the front end sends itself.
  ok = ok && Check("fechamento do cupom", Qdm00200::EnviaComando_Sweda("12SN", {}, true, false));
  if (ok && card_paid)
    ok = Check("ImprCupons (comprovante, confirma\xE7\xE3o)",
               Qdm00500::ImprCupons(Qdm00500::stlCuponsTEF, Qdm00500::inContCuponsTEF, "", "", 0));
  StopImpFiscal();
  if (manager) manager->Stop();
  Qdm00500::stlCuponsTEF = nullptr;
  Qdm00500::stlCancCuponsTEF = nullptr;

  std::fputs("\n== Log de depura\xC3\xA7\xC3\xA3o impdebug.txt (esta execu\xC3\xA7\xC3\xA3o)\n", stdout);
  std::fputs(session.WrittenSince(session.file("impdebug.txt")).c_str(), stdout);
  std::fputs("\n== Bobina da impressora (esta execu\xC3\xA7\xC3\xA3o)\n", stdout);
  std::fputs(session.WrittenSince(session.file("tape.txt")).c_str(), stdout);
  std::fflush(stdout);
  return ok ? 0 : 1;
}

}  // namespace qdm_register
