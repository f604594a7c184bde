#include "tools/qdm_register/till_steps.h"

#include <cstdio>

#include "facade/Qdm00000.h"
#include "platform/base/encoding.h"
#include "platform/base/sysutils.h"
#include "platform/os/files.h"
#include "platform/text/datetime.h"
#include "platform/text/format.h"
#include "tef/Qdm00500.h"
#include "tools/qdm_register/card_payment.h"
#include "tools/qdm_register/config_writer.h"
#include "tools/qdm_register/daruma_steps.h"
#include "tools/qdm_register/log_view.h"
#include "utility/utility.h"

namespace qdm_register {

using platform::TClientDataSet;
using platform::TFieldType;

namespace {

// The front end's payment types: what the shop accepts and how the printer
// should name each one.
void FillPaymentTypes(TClientDataSet& ds) {
  DefinePaymentTypeFields(ds);
  ds.CreateDataSet();
  struct Type { const char* code; const char* name; const char* kind; };
  const Type types[] = {
      {kCashType, "Dinheiro", "1"},
      {kDebitType, kDebitName, "D"},
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

}  // namespace

double Product::Amount() const { return util::Trunc2(quantity * price) - discount; }

void Say(const std::string& text) {
  std::fputs(platform::Cp1252ToUtf8(text).c_str(), stdout);
  std::fflush(stdout);
}

bool Step(const std::string& what, bool ok) {
  Say(std::string(ok ? "  ok   " : "  FALHA ") + what + "\n");
  return ok;
}

std::string AmountField(double amount) {
  return util::AjustaZero(platform::IntToStr(platform::Trunc(platform::RoundTo(amount * 100, 0))), 14);
}

void AddMovement(TClientDataSet& movs, const std::string& tipo_rece, double amount, int order) {
  movs.Append();
  movs.FieldByName("CDFILIAL").SetAsString("0001");
  movs.FieldByName("NRSEQUMOVI").SetAsString(platform::IntToStr(order));
  movs.FieldByName("IDTIPOMOVIVE").SetAsString("E");
  movs.FieldByName("CDTIPORECE").SetAsString(tipo_rece);
  movs.FieldByName("VRMOVIVEND").SetAsFloat(amount);
  movs.FieldByName("NRORDTROCO").SetAsString("001");
  movs.FieldByName("DTHRINCMOV").SetAsDateTime(platform::Now() + order / 86400.0);
  movs.Post();
}

void PrepareMovements(TClientDataSet& movs) {
  movs.Close();
  movs.FieldDefs = Qdm00000::DataModule().cdsMovCaixa.FieldDefs;
  movs.IndexDefs = Qdm00000::DataModule().cdsMovCaixa.IndexDefs;
  movs.CreateDataSet();
}

Register::Register(RegisterSession& s, const SaleOptions& o) : session(s), options(o) {
  Qdm00500::stlCuponsTEF = &cupons_tef;
  Qdm00500::inContCuponsTEF = 0;
  Qdm00500::stlCancCuponsTEF = &canc_cupons_tef;
  Qdm00500::inContCancCuponsTEF = 0;
  session.MarkStart(ManagerJournal());
}

Register::~Register() {
  Qdm00500::stlCuponsTEF = nullptr;
  Qdm00500::stlCancCuponsTEF = nullptr;
}

std::string Register::ManagerRoot() const { return platform::HostPath("c:\\tef_dial"); }
std::string Register::ManagerJournal() const { return ManagerRoot() + "/journal.txt"; }
std::string Register::ManagerProgram() const { return session.program_directory() + "tef_manager"; }

bool Register::Start() {
  using namespace Qdm00000;
  Say("== Caixa " + options.caixa + " em " + session.directory() + "\n");
  // A register without its configuration file may not operate; the demo
  // writes one for the emulated printer the first time.
  std::string config = EcfConfigPath(session.directory(), options.caixa);
  if (!platform::FileExists(config)) {
    EcfConfig c;
    c.caixa = options.caixa;
    c.tipo = options.tipo;
    WriteEcfConfig(config, c);
    Step("arquivo de configura\xE7\xE3o gravado: " + config, true);
  }
  if (!Step("CarregaECF", CarregaECF(options.caixa))) return false;
  if (IsDaruma(IdTipoImpFis)) PrepareDaruma(session, IdTipoImpFis);
  bool started = StartPrinter();
  ShowNotices(true);
  return started;
}

bool Register::StartPrinter() {
  using namespace Qdm00000;
  if (!Step("StartImpFiscal", StartImpFiscal(platform::IntToStr(IdTipoImpFis), "COM1"))) return false;
  SetImpFiscalOK(true);
  FillPaymentTypes(recebimentos);
  if (IsDaruma(IdTipoImpFis)) KeepPaymentTypesForDaruma(recebimentos);
  return Step("IniciaImpressora (impressora " + ECF + ", s\xE9rie " + SerieECF + ")",
              IniciaImpressora("PDV", "", recebimentos, aliquotas));
}

bool Register::SellBasket(const std::vector<Product>& basket) {
  using namespace Qdm00000;
  bool ok = AbreCupom("");
  coupon_opened = ok;
  Step("AbreCupom (cupom n\xBA " + NrCupom + ")", ok);
  return ok && SellItems(basket);
}

bool Register::SellItems(const std::vector<Product>& basket, const std::string& mesa,
                         const std::string& garcom) {
  using namespace Qdm00000;
  TClientDataSet& produto = DataModule().cdsProduto;
  produto.Close();
  produto.FieldDefs.clear();
  produto.AddFieldDef("IDTPIMPOSFIS", TFieldType::ftString, 1);
  produto.AddFieldDef("VRPEALIMPFIS", TFieldType::ftFloat);
  produto.CreateDataSet();
  const std::string where = mesa.empty() ? std::string() : " na mesa " + mesa;
  bool ok = true;
  for (const auto& p : basket) {
    if (!ok) break;
    produto.EmptyDataSet();
    produto.Append();
    produto.FieldByName("IDTPIMPOSFIS").SetAsString(p.tax_kind);
    produto.FieldByName("VRPEALIMPFIS").SetAsFloat(p.tax_rate);
    produto.Post();
    std::string aliquota = Verifica_Aliquota("");
    ok = Step("VendaItem " + p.name + where + " (al\xED" "quota " + aliquota + ")",
              VendaItem(mesa, garcom, p.code, p.name, aliquota, p.quantity, p.price, p.discount));
  }
  return ok;
}

bool Register::PayCard(double amount) {
  CardResult card = PayByCard(amount);
  return Step("cart\xE3o " + platform::CurrToStr(amount) + ": " +
                  (card.approved ? "aprovado, rede " + card.network + " doc " + card.document
                                 : "n\xE3o aprovado (" + card.message + ")"),
              card.approved);
}

bool Register::CloseCoupon(TClientDataSet& movimentos, double discount, const std::string& cpf,
                           std::string& numero) {
  const std::string buyer = cpf.empty() ? std::string() : ", CPF " + cpf;
  const bool ok = Step("FechaCupom (desconto " + platform::CurrToStr(discount) + buyer + ")",
                       Qdm00000::FechaCupom(false, true, discount, 0, 0, "S", true, "", movimentos,
                                            recebimentos, numero, "", "", "", cpf, "") &&
                           CouponClosed());
  if (ok) coupon_opened = false;
  return ok;
}

bool Register::PrintCardVoucher(const std::string& numero, double amount) {
  bool ok = Step("Abre_Comp_NFiscalVinc (cupom " + numero + ")",
                 Qdm00000::Abre_Comp_NFiscalVinc(platform::Copy(kDebitName, 1, 16), AmountField(amount), numero));
  return Step("ImprCupons (comprovante em duas vias, confirma\xE7\xE3o)",
              Qdm00500::ImprCupons(Qdm00500::stlCuponsTEF, Qdm00500::inContCuponsTEF, "", "", 0)) &&
         ok;
}

// A coupon is open while it is sold, so past the start-up (where an open
// coupon is one an earlier run left) the driver's "Cupom aberto" echo of
// the printer's status is not news; a message repeated is shown once.
void Register::ShowNotices(bool at_start) {
  const auto notices = NotableLines(session.BytesSince(session.file("impdebug.txt")));
  std::string last;
  for (; notices_shown < notices.size(); ++notices_shown) {
    const std::string& line = notices[notices_shown];
    const std::string message = line.substr(line.find(" - ") == std::string::npos ? 0 : line.find(" - ") + 3);
    if (message == last || (!at_start && message.find("Cupom aberto") != std::string::npos)) continue;
    last = message;
    Say("  aviso: " + line + "\n");
  }
}

// The printer's own word on the closing: its status shows a coupon still
// open (the driver writes "Cupom aberto" to the debug log) when a command
// of the closing was refused.
bool Register::CouponClosed() {
  const std::size_t before = session.BytesSince(session.file("impdebug.txt")).size();
  Qdm00000::Estado_Impressora(false, false);
  const std::string status = session.BytesSince(session.file("impdebug.txt")).substr(before);
  return status.find("ERRO!!! Cupom aberto") == std::string::npos;
}

// A coupon the sale could not close is cancelled, so the printer is left
// ready for the next sale.
void Register::CancelOpenCoupon() {
  std::string numero;
  Step("Cancela_Cupom (venda n\xE3o conclu\xED" "da)", Qdm00000::Cancela_Cupom(true, false, numero));
}

void Register::Finish() {
  Qdm00000::StopImpFiscal();
  Step("StopImpFiscal", true);
}

// The debug log first and the printed tape last, so a person reading the
// terminal ends on the coupon.
void Register::ShowOutputs(bool journal) {
  Say("\n== Log de depura\xE7\xE3o impdebug.txt (esta execu\xE7\xE3o)\n");
  std::fputs(session.WrittenSince(session.file("impdebug.txt")).c_str(), stdout);
  if (journal) {
    Say("\n== Di\xE1rio do gerenciador TEF\n");
    std::fputs(session.WrittenSince(ManagerJournal()).c_str(), stdout);
  }
  Say("\n== Bobina da impressora (esta execu\xE7\xE3o)\n");
  LogViewOptions tape;
  tape.fold_blanks = false;  // the printer's columns
  std::fputs(Readable(session.BytesSince(session.file("tape.txt")), tape).c_str(), stdout);
  std::fflush(stdout);
}

}  // namespace qdm_register
