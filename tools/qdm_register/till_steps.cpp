#include "tools/qdm_register/till_steps.h"

#include <cstdio>
#include <exception>

#include "drivers/common/type_codes.h"
#include "facade/Qdm00000.h"
#include "platform/base/encoding.h"
#include "platform/base/sysutils.h"
#include "platform/dataset/dataset.h"
#include "platform/os/files.h"
#include "platform/text/format.h"
#include "tools/qdm_register/config_writer.h"
#include "tools/qdm_register/daruma_steps.h"
#include "tools/qdm_register/log_view.h"

namespace qdm_register {

using platform::TClientDataSet;
using platform::TFieldType;

namespace {

const char* CardStateText(QdmVenda::CardState state) {
  switch (state) {
    case QdmVenda::CardState::Confirmed:
      return "confirmado";
    case QdmVenda::CardState::Undone:
      return "desfeito com o gerenciador (o cliente n\xE3o paga)";
    case QdmVenda::CardState::Unsettled:
      return "confirma\xE7\xE3o pendente: o gerenciador n\xE3o a reconheceu; o pr\xF3ximo in\355cio do caixa a "
             "resolve";
    case QdmVenda::CardState::NotApproved:
      break;
  }
  return "n\xE3o aprovado";
}

// The printer type code a configuration file holds; -1 when it does not read.
int StoredType(const std::string& path) {
  try {
    TClientDataSet ds("configuracao");
    ds.LoadFromFile(path);
    ds.First();
    return ds.IsEmpty() ? -1 : ds.FieldByName("IDTIPOIMPFIS").AsInteger();
  } catch (const std::exception&) {
    return -1;
  }
}

}  // namespace

std::vector<QdmVenda::PaymentType> ShopPaymentTypes() {
  return {
      {kCashType, "Dinheiro", "1"},
      {kDebitType, kDebitName, "D"},
      {"003", "Cart\xE3o Cr\351dito", "C"},
      {"004", "Vale Troca", "4"},
  };
}

void Say(const std::string& text) {
  std::fputs(platform::Cp1252ToUtf8(text).c_str(), stdout);
  std::fflush(stdout);
}

bool Step(const std::string& what, bool ok) {
  Say(std::string(ok ? "  ok   " : "  FALHA ") + what + "\n");
  return ok;
}

int SaleExit(const QdmVenda::SaleResult& result) {
  for (const QdmVenda::CardResult& card : result.cards)
    if (card.state == QdmVenda::CardState::Unsettled) return kExitCardUnsettled;
  return result.completed && result.warning.empty() ? 0 : 1;
}

std::vector<QdmVenda::Payment> Payments(double card, double cash) {
  std::vector<QdmVenda::Payment> payments;
  if (card > 0) payments.push_back({kDebitType, card, true});
  if (cash > 0) payments.push_back({kCashType, cash, false});
  return payments;
}

QdmVenda::Setup ShopSetup(QdmVenda::Setup setup, const RegisterSession& session, const std::string& caixa) {
  setup.caixa = caixa;
  if (setup.payment_types.empty()) setup.payment_types = ShopPaymentTypes();
  setup.before_printer_start = [&session](int tipo) {
    if (Qdm00000::IsDaruma(tipo)) PrepareDaruma(session, tipo);
  };
  return setup;
}

namespace {

QdmVenda::Setup Prepared(QdmVenda::Setup setup, RegisterSession& session, const SaleOptions& options,
                         std::unique_ptr<TefManager>& manager) {
  setup = ShopSetup(std::move(setup), session, options.caixa);
  // Only a manager this register started is watched.
  setup.manager_alive = [&manager] { return !manager || manager->Alive(); };
  setup.on_step = [](const QdmVenda::Step& step) { Step(step.what, step.ok); };
  return setup;
}

}  // namespace

Register::Register(RegisterSession& s, const SaleOptions& o, QdmVenda::Setup setup)
    : session(s), options(o), till(Prepared(std::move(setup), s, o, manager)) {
  session.MarkStart(ManagerJournal());
}

Register::~Register() {
  till.Stop();
  StopManager();
}

std::string Register::ManagerRoot() const { return platform::HostPath("c:\\tef_dial"); }
std::string Register::ManagerJournal() const { return ManagerRoot() + "/journal.txt"; }
std::string Register::ManagerProgram() const { return session.program_directory() + "tef_manager"; }

void Register::StartManager() {
  if (!manager) manager = std::make_unique<TefManager>(ManagerProgram(), ManagerRoot());
  manager_ran = true;
}

void Register::StopManager() {
  if (manager) manager->Stop();
  manager.reset();
}

bool Register::Start(const std::string& printer) {
  Say("== Caixa " + options.caixa + " em " + session.directory() + printer + "\n");
  // A register without its configuration file may not operate; the demo
  // writes one for the emulated printer the first time.
  const std::string config = EcfConfigPath(session.directory(), options.caixa);
  if (!platform::FileExists(config)) {
    EcfConfig c;
    c.caixa = options.caixa;
    c.tipo = options.tipo;
    WriteEcfConfig(config, c);
    Step("arquivo de configura\xE7\xE3o gravado: " + config, true);
  } else if (options.tipo_given) {
    // The home's configuration is the register's: an option does not
    // change a printer already configured.
    const int stored = StoredType(config);
    if (stored != options.tipo)
      Say("  aviso: " + config + " j\xE1 existe e mant\xE9m o tipo de impressora " + platform::IntToStr(stored) +
          "; --tipo " + platform::IntToStr(options.tipo) +
          " vale s\xF3 para um caixa novo (use outra pasta com --dir)\n");
  }
  const QdmVenda::StartResult started = till.Start();
  ShowNotices(true);
  return started.ok;
}

bool Register::Recover() {
  const int left = QdmVenda::PendingCardAnswers();
  if (!manager && left > 0) {
    Step("gerenciador TEF iniciado para resolver " + platform::IntToStr(left) +
             " resposta(s) de cart\xE3o deixada(s) por uma execu\xE7\xE3o anterior",
         true);
    StartManager();
  }
  return till.Recover().ok;
}

QdmVenda::SaleResult Register::Sell(const QdmVenda::Sale& sale) {
  QdmVenda::SaleResult result = till.Sell(sale);
  if (!result.warning.empty()) Say("  aviso: " + result.warning + "\n");
  if (!result.completed) {
    for (const QdmVenda::CardResult& card : result.cards)
      if (card.approved) Say("  cart\xE3o doc " + card.document + ": " + CardStateText(card.state) + "\n");
    if (!result.failure.empty()) Say("  motivo: " + result.failure + "\n");
  }
  return result;
}

bool Register::SellToTable(const std::vector<Product>& products, const std::string& mesa, const std::string& garcom) {
  using namespace Qdm00000;
  TClientDataSet& produto = DataModule().cdsProduto;
  produto.Close();
  produto.FieldDefs.clear();
  produto.AddFieldDef("IDTPIMPOSFIS", TFieldType::ftString, 1);
  produto.AddFieldDef("VRPEALIMPFIS", TFieldType::ftFloat);
  produto.CreateDataSet();
  for (const Product& p : products) {
    produto.EmptyDataSet();
    produto.Append();
    produto.FieldByName("IDTPIMPOSFIS").SetAsString(p.tax_kind);
    produto.FieldByName("VRPEALIMPFIS").SetAsFloat(p.tax_rate);
    produto.Post();
    const std::string aliquota = Verifica_Aliquota("");
    if (!Step("VendaItem " + p.description + " na mesa " + mesa + " (al\355quota " + aliquota + ")",
              VendaItem(mesa, garcom, p.code, p.description, aliquota, p.quantity, p.unit_price, p.discount)))
      return false;
  }
  return true;
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

void Register::Finish() {
  till.Stop();
  Step("StopImpFiscal", true);
}

// The debug log first and the printed tape last, so a person reading the
// terminal ends on the coupon.
void Register::ShowOutputs() {
  Say("\n== Log de depura\xE7\xE3o impdebug.txt (esta execu\xE7\xE3o)\n");
  std::fputs(session.WrittenSince(session.file("impdebug.txt")).c_str(), stdout);
  if (manager_ran) {
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
