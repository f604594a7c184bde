#include "tools/qdm_register/demo_sale.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "facade/Qdm00000.h"
#include "utility/utility.h"
#include "platform/text/datetime.h"
#include "platform/base/encoding.h"
#include "platform/os/files.h"
#include "platform/text/format.h"
#include "platform/base/sysutils.h"
#include "tef/Qdm00500.h"
#include "tools/qdm_register/card_payment.h"
#include "tools/qdm_register/config_writer.h"
#include "tools/qdm_register/daruma_steps.h"
#include "tools/qdm_register/peripherals_demo.h"
#include "tools/qdm_register/log_view.h"

namespace qdm_register {

using platform::TClientDataSet;
using platform::TFieldType;

namespace {

struct Product {
  std::string code;
  std::string name;      // Windows-1252
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

const double kCardPaid = 20.00;
const double kCashPaid = 50.00;
const char* kBuyerCpf = "123.456.789-09";
const char* kCashType = "001";
const char* kDebitType = "002";
const char* kDebitName = "Cart\xE3o D\xE9" "bito";
const char* kOperatorBadge = "12345";

void Say(const std::string& text) {
  std::fputs(platform::Cp1252ToUtf8(text).c_str(), stdout);
  std::fflush(stdout);
}

bool Step(const std::string& what, bool ok) {
  Say(std::string(ok ? "  ok   " : "  FALHA ") + what + "\n");
  return ok;
}

// 14 digits with two implied decimals, as the printer takes amounts.
std::string AmountField(double amount) {
  return util::AjustaZero(platform::IntToStr(platform::Trunc(platform::RoundTo(amount * 100, 0))), 14);
}

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

// What a register holds for the length of a run.
struct Register {
  RegisterSession& session;
  const SaleOptions& options;
  TClientDataSet recebimentos{"recebimentos"};
  TClientDataSet aliquotas{"aliquotas"};
  platform::TStringList cupons_tef;
  platform::TStringList canc_cupons_tef;
  std::size_t notices_shown = 0;
  bool coupon_opened = false;

  Register(RegisterSession& s, const SaleOptions& o) : session(s), options(o) {
    Qdm00500::stlCuponsTEF = &cupons_tef;
    Qdm00500::inContCuponsTEF = 0;
    Qdm00500::stlCancCuponsTEF = &canc_cupons_tef;
    Qdm00500::inContCancCuponsTEF = 0;
    session.MarkStart(ManagerJournal());
  }
  ~Register() {
    Qdm00500::stlCuponsTEF = nullptr;
    Qdm00500::stlCancCuponsTEF = nullptr;
  }

  std::string ManagerRoot() const { return platform::HostPath("c:\\tef_dial"); }
  std::string ManagerJournal() const { return ManagerRoot() + "/journal.txt"; }
  std::string ManagerProgram() const { return session.program_directory() + "tef_manager"; }

  // Configuration, printer start-up and the tables the front end needs.
  bool Start() {
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

  // The printer's start-up, which may cancel a coupon an earlier run left open.
  bool StartPrinter() {
    using namespace Qdm00000;
    if (!Step("StartImpFiscal", StartImpFiscal(platform::IntToStr(IdTipoImpFis), "COM1"))) return false;
    SetImpFiscalOK(true);
    FillPaymentTypes(recebimentos);
    if (IsDaruma(IdTipoImpFis)) KeepPaymentTypesForDaruma(recebimentos);
    return Step("IniciaImpressora (impressora " + ECF + ", s\xE9rie " + SerieECF + ")",
                IniciaImpressora("PDV", "", recebimentos, aliquotas));
  }

  // Opens the coupon and sells the basket, each product with the printer's
  // tax-rate code found by Verifica_Aliquota.
  bool SellBasket(const std::vector<Product>& basket) {
    using namespace Qdm00000;
    TClientDataSet& produto = DataModule().cdsProduto;
    produto.Close();
    produto.FieldDefs.clear();
    produto.AddFieldDef("IDTPIMPOSFIS", TFieldType::ftString, 1);
    produto.AddFieldDef("VRPEALIMPFIS", TFieldType::ftFloat);
    produto.CreateDataSet();

    bool ok = AbreCupom("");
    coupon_opened = ok;
    Step("AbreCupom (cupom n\xBA " + NrCupom + ")", ok);
    for (const auto& p : basket) {
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
    return ok;
  }

  bool PayCard(double amount) {
    CardResult card = PayByCard(amount);
    return Step("cart\xE3o " + platform::CurrToStr(amount) + ": " +
                    (card.approved ? "aprovado, rede " + card.network + " doc " + card.document
                                   : "n\xE3o aprovado (" + card.message + ")"),
                card.approved);
  }

  // Errors and cancellations the library wrote to the debug log since the
  // last look: an operator must see them even when nobody reads the log.
  // A coupon is open while it is sold, so past the start-up (where an open
  // coupon is one an earlier run left) the driver's "Cupom aberto" echo of
  // the printer's status is not news; a message repeated is shown once.
  void ShowNotices(bool at_start) {
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
  bool CouponClosed() {
    const std::size_t before = session.BytesSince(session.file("impdebug.txt")).size();
    Qdm00000::Estado_Impressora(false, false);
    const std::string status = session.BytesSince(session.file("impdebug.txt")).substr(before);
    return status.find("ERRO!!! Cupom aberto") == std::string::npos;
  }

  // A coupon the sale could not close is cancelled, so the printer is left
  // ready for the next sale.
  void CancelOpenCoupon() {
    std::string numero;
    Step("Cancela_Cupom (venda n\xE3o conclu\xED" "da)", Qdm00000::Cancela_Cupom(true, false, numero));
  }

  void Finish() {
    Qdm00000::StopImpFiscal();
    Step("StopImpFiscal", true);
  }

  // The debug log first and the printed tape last, so a person reading the
  // terminal ends on the coupon.
  void ShowOutputs(bool journal) {
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
};

}  // namespace

int RunDemoSale(RegisterSession& session, const SaleOptions& options) {
  using namespace Qdm00000;
  Register reg(session, options);
  std::unique_ptr<TefManager> manager;
  if (options.card) manager = std::make_unique<TefManager>(reg.ManagerProgram(), reg.ManagerRoot());

  bool ok = reg.Start();
  // Card answers left unconfirmed by an interrupted run are undone first.
  if (ok && options.card) ok = Step("CheckIntPosFiles", Qdm00500::CheckIntPosFiles());
  TillDevices till(Step);
  ok = ok && till.SignIn(kOperatorBadge) && till.Scan(kBasket.front().code);
  ok = ok && reg.SellBasket(kBasket);
  double total = -options.discount;
  for (const auto& p : kBasket) {
    const double amount = util::Trunc2(p.quantity * p.price) - p.discount;
    total += amount;
    if (ok) ok = till.Show(p.name, platform::FloatToStr(p.quantity) + " x " + platform::FormatFloat("0.00", p.price) +
                                       " = " + platform::FormatFloat("0.00", amount));
  }

  TClientDataSet movimentos("movimentos");
  movimentos.FieldDefs = DataModule().cdsMovCaixa.FieldDefs;
  movimentos.IndexDefs = DataModule().cdsMovCaixa.IndexDefs;
  movimentos.CreateDataSet();
  bool card_paid = false;
  if (ok && options.card) {
    // A card that is not approved ends the sale: the customer pays
    // otherwise at a new sale.
    card_paid = reg.PayCard(kCardPaid);
    if (card_paid) AddMovement(movimentos, kDebitType, kCardPaid, 1);
    ok = card_paid;
  }
  // Without the card the cash pays its part too.
  AddMovement(movimentos, kCashType, options.card ? kCashPaid : kCashPaid + kCardPaid, 2);

  std::string numero;
  const bool daruma = IsDaruma(IdTipoImpFis);
  if (ok && daruma) {
    ok = Step("FechaCupom_Daruma (desconto " + platform::CurrToStr(options.discount) + ", CPF " + kBuyerCpf + ")",
              CloseDarumaCoupon(IdTipoImpFis, options.discount, kBuyerCpf, kCardPaid + kCashPaid));
    if (ok) reg.coupon_opened = false;
  } else if (ok) {
    ok = Step("FechaCupom (desconto " + platform::CurrToStr(options.discount) + ", CPF " + kBuyerCpf + ")",
              FechaCupom(false, true, options.discount, 0, 0, "S", true, "", movimentos, reg.recebimentos,
                         numero, "", "", "", kBuyerCpf, "") &&
                  reg.CouponClosed());
    if (ok) reg.coupon_opened = false;
  }
  if (ok) ok = till.Show("TOTAL " + platform::CurrToStr(total),
                         "TROCO " + platform::CurrToStr(kCardPaid + kCashPaid - total));  // card or cash, paid in full
  if (reg.coupon_opened) reg.CancelOpenCoupon();
  if (ok && card_paid && daruma) {
    ok = Step("Relatorio_Gerencial (comprovante TEF)", OpenDarumaVoucher()) &&
         Step("ImprCupons (comprovante em duas vias, confirma\xE7\xE3o)",
              Qdm00500::ImprCupons(Qdm00500::stlCuponsTEF, Qdm00500::inContCuponsTEF, "", "", 0));
  } else if (ok && card_paid) {
    // The card voucher goes into a voucher linked to the coupon just closed,
    // two copies, and only then is the transaction confirmed.
    ok = Step("Abre_Comp_NFiscalVinc (cupom " + numero + ")",
              Abre_Comp_NFiscalVinc(platform::Copy(kDebitName, 1, 16), AmountField(kCardPaid), numero));
    ok = Step("ImprCupons (comprovante em duas vias, confirma\xE7\xE3o)",
              Qdm00500::ImprCupons(Qdm00500::stlCuponsTEF, Qdm00500::inContCuponsTEF, "", "", 0)) && ok;
  }
  reg.ShowNotices(false);
  reg.Finish();
  if (manager) manager->Stop();
  reg.ShowOutputs(options.card);
  if (!ok) Say("== Venda n\xE3o conclu\xED" "da\n");
  return ok ? 0 : 1;
}

int RunRecoveryDemo(RegisterSession& session, const SaleOptions& options) {
  using namespace Qdm00000;
  Register reg(session, options);
  TefManager manager(reg.ManagerProgram(), reg.ManagerRoot());
  bool ok = reg.Start() && Step("CheckIntPosFiles", Qdm00500::CheckIntPosFiles());

  // 1. A sale abandoned after the card was approved: the coupon is
  //    cancelled and so is the card transaction; its cancellation voucher is
  //    kept and printed in a management report, then confirmed.
  Say("\n== Venda abandonada depois da aprova\xE7\xE3o do cart\xE3o\n");
  ok = ok && reg.SellBasket({kBasket.front()}) && reg.PayCard(10.00);
  std::string cancelado;
  if (ok) ok = Step("Cancela_Cupom", Cancela_Cupom(true, false, cancelado));
  if (ok) {
    Qdm00500::CancelaTEFs(false);
    ok = Step("CancelaTEFs (comprovantes guardados: " + platform::IntToStr(Qdm00500::inContCancCuponsTEF) + ")",
              Qdm00500::inContCancCuponsTEF == 1);
  }
  if (ok) {
    ok = Step("Relatorio_Gerencial", Relatorio_Gerencial());
    ok = Step("ImprCupons (comprovante de cancelamento)",
              Qdm00500::ImprCupons(Qdm00500::stlCancCuponsTEF, Qdm00500::inContCancCuponsTEF, "", "", 0)) && ok;
  }

  // 2. A run killed right after a card approval: the approved answer stays
  //    in the manager's directory unconfirmed; the next start undoes it.
  Say("\n== Caixa interrompido depois da aprova\xE7\xE3o (processo morto)\n");
  if (ok) {
    std::fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
      PayByCard(15.00);
      raise(SIGKILL);  // the power fails before the coupon is closed
      _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    Step("caixa interrompido (sinal " + platform::IntToStr(WIFSIGNALED(status) ? WTERMSIG(status) : 0) + ")",
         WIFSIGNALED(status));
    ok = Step("pr\xF3ximo in\xED" "cio: CheckIntPosFiles desfaz a transa\xE7\xE3o pendente",
              Qdm00500::CheckIntPosFiles());
  }
  reg.Finish();
  manager.Stop();
  reg.ShowOutputs(true);
  return ok ? 0 : 1;
}

}  // namespace qdm_register
