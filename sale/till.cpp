// The register's session: start-up, recovery at start and the sale, all or
// nothing.
#include <cmath>
#include <exception>
#include <map>
#include <memory>

#include "facade/Qdm00000.h"
#include "data_module/dtmCupomFiscal.h"
#include "platform/base/sysutils.h"
#include "platform/dataset/stringlist.h"
#include "platform/dialogs/dialogs.h"
#include "platform/os/files.h"
#include "platform/text/format.h"
#include "sale/QdmVenda.h"
#include "sale/card.h"
#include "sale/configuration.h"
#include "sale/families.h"
#include "sale/settlement.h"
#include "sale/validation.h"
#include "tef/Qdm00500.h"
#include "tef/intpos_exchange.h"
#include "tef/intpos_record.h"
#include "tef/ledger.h"
#include "utility/utility.h"

namespace QdmVenda {

using platform::TClientDataSet;
using platform::TStringList;

namespace {

// Shows every dialog as the host's presenter does, and keeps its text.
class RecordingPresenter : public platform::DialogPresenter {
 public:
  RecordingPresenter(std::shared_ptr<platform::DialogPresenter> inner, std::vector<std::string>& texts)
      : inner_(std::move(inner)), texts_(texts) {}
  int Show(const platform::DialogRequest& request) override {
    texts_.push_back(request.text);
    return inner_ ? inner_->Show(request) : platform::mrNone;
  }
  int Choose(const platform::ChoiceRequest& request) override {
    return inner_ ? inner_->Choose(request) : request.close_result;
  }

 private:
  std::shared_ptr<platform::DialogPresenter> inner_;
  std::vector<std::string>& texts_;
};

// One call of the till: its dialogs recorded, its steps reported as they
// are done, the manager watched; all put back when it ends.
class Call {
 public:
  Call(const Setup& setup, std::vector<std::string>& messages, std::vector<Step>& steps)
      : setup_(setup), steps_(steps), host_(platform::CurrentDialogPresenter()) {
    platform::SetDialogPresenter(std::make_shared<RecordingPresenter>(host_, messages));
    Qdm00500::detail::WatchManager(setup.manager_alive);
  }
  ~Call() {
    Qdm00500::detail::WatchManager({});
    platform::SetDialogPresenter(host_);
  }
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;

  bool Report(const std::string& what, bool ok) {
    steps_.push_back({what, ok});
    if (setup_.on_step) setup_.on_step(steps_.back());
    return ok;
  }
  detail::StepFn Reporter() {
    return [this](const std::string& what, bool ok) { return Report(what, ok); };
  }

 private:
  const Setup& setup_;
  std::vector<QdmVenda::Step>& steps_;
  std::shared_ptr<platform::DialogPresenter> host_;
};

void FillPaymentTypes(TClientDataSet& ds, const std::vector<PaymentType>& types) {
  ds.Close();
  ds.FileName.clear();
  ds.FieldDefs.clear();
  DefinePaymentTypeFields(ds);
  ds.CreateDataSet();
  for (const PaymentType& t : types) {
    ds.Append();
    ds.FieldByName("CDFILIAL").SetAsString("0001");
    ds.FieldByName("CDTIPORECE").SetAsString(t.code);
    ds.FieldByName("NMTIPORECE").SetAsString(t.name);
    ds.FieldByName("IDTIPORECE").SetAsString(t.kind);
    // Only the types with this button go to the printer.
    ds.FieldByName("IDTPBUTTON").SetAsString("5");
    ds.Post();
  }
}

// The printer's method of each payment type, as the driver wrote it back.
std::map<std::string, std::string> MethodsIn(const std::string& file) {
  std::map<std::string, std::string> methods;
  TClientDataSet ds("numeradas");
  ds.LoadFromFile(file);
  for (ds.First(); !ds.Eof(); ds.Next()) {
    const std::string method = ds.FieldByName("CDFPIMPFIS").AsString();
    if (!method.empty()) methods[ds.FieldByName("CDTIPORECE").AsString()] = method;
  }
  return methods;
}

const PaymentType* TypeOf(const std::vector<PaymentType>& types, const std::string& code) {
  for (const PaymentType& t : types)
    if (t.code == code) return &t;
  return nullptr;
}

double Cents(double amount) { return std::round(amount * 100) / 100; }

}  // namespace

double Item::Amount() const { return util::Trunc2(quantity * unit_price) - discount; }

const char* CardStateName(CardState state) {
  switch (state) {
    case CardState::Confirmed:
      return "confirmed";
    case CardState::Undone:
      return "undone";
    case CardState::Unsettled:
      return "unsettled";
    case CardState::NotApproved:
      break;
  }
  return "not_approved";
}

const char* CouponStateName(CouponState state) {
  switch (state) {
    case CouponState::Closed:
      return "closed";
    case CouponState::Cancelled:
      return "cancelled";
    case CouponState::LeftOpen:
      return "left_open";
    case CouponState::NotOpened:
      break;
  }
  return "not_opened";
}

int PendingCardAnswers() { return detail::AnswersLeft(); }

struct Till::State {
  Setup setup;
  bool started = false;
  const detail::PrinterFamily* family = nullptr;
  TClientDataSet recebimentos{"recebimentos"};
  TClientDataSet aliquotas{"aliquotas"};
  std::map<std::string, std::string> methods;  // Sweda: type code -> method
  // The voucher stores the front end owns.
  TStringList cupons;
  TStringList cancelamentos;
};

Till::Till(Setup setup) : state_(std::make_unique<State>()) {
  state_->setup = std::move(setup);
  Qdm00500::stlCuponsTEF = &state_->cupons;
  Qdm00500::inContCuponsTEF = 0;
  Qdm00500::stlCancCuponsTEF = &state_->cancelamentos;
  Qdm00500::inContCancCuponsTEF = 0;
}

Till::~Till() {
  Stop();
  if (Qdm00500::stlCuponsTEF == &state_->cupons) Qdm00500::stlCuponsTEF = nullptr;
  if (Qdm00500::stlCancCuponsTEF == &state_->cancelamentos) Qdm00500::stlCancCuponsTEF = nullptr;
}

Setup& Till::setup() { return state_->setup; }
bool Till::started() const { return state_->started; }
TClientDataSet& Till::payment_types() { return state_->recebimentos; }

void Till::Stop() {
  if (!state_->started) return;
  Qdm00000::StopImpFiscal();
  state_->started = false;
}

StartResult Till::Start() {
  using namespace Qdm00000;
  State& s = *state_;
  StartResult result;
  Call call(s.setup, result.messages, result.steps);
  try {
    Stop();
    if (!CarregaECF(s.setup.caixa)) {
      const std::string caixa = stSistema == "KMZ" ? std::string() : s.setup.caixa;
      result.failure = detail::ConfigurationFault(DsDirCad, caixa);
      if (result.failure.empty())
        result.failure = "o arquivo de configura\xE7\xE3o " + platform::HostPath(DsDirCad + "ecf" + caixa + ".cds") +
                         " foi recusado";
      ImpFisDebug("ERRO!!! " + result.failure);
      call.Report("CarregaECF: " + result.failure, false);
      return result;
    }
    result.tipo = IdTipoImpFis;
    s.family = detail::FamilyOf(IdTipoImpFis);
    if (!s.family) {
      result.failure =
          detail::PrinterTypeFault(platform::HostPath(DsDirCad + "ecf" + s.setup.caixa + ".cds"), IdTipoImpFis);
      ImpFisDebug("ERRO!!! " + result.failure);
      call.Report("CarregaECF: " + result.failure, false);
      return result;
    }
    call.Report("CarregaECF", true);
    if (s.setup.before_printer_start) s.setup.before_printer_start(IdTipoImpFis);

    const std::string tipos = DsDirCad + "tiporece.cds";
    FillPaymentTypes(s.recebimentos, s.setup.payment_types);
    // The driver reconciles the file with the printer and writes the
    // printer's methods back.
    if (s.family->types != detail::TypesKept::InDataset) s.recebimentos.SaveToFile(tipos);
    if (s.family->types == detail::TypesKept::FileAndDataset) s.recebimentos.FileName = tipos;

    bool ok = StartImpFiscal(platform::IntToStr(IdTipoImpFis), s.setup.porta);
    if (ok && !s.family->sets_ready_flag) SetImpFiscalOK(true);
    ok = call.Report("StartImpFiscal", ok && ImpFiscalOK());
    if (!ok) {
      result.failure = "a impressora fiscal n\xE3o iniciou na porta " + s.setup.porta;
      StopImpFiscal();
      return result;
    }
    s.started = true;
    ok = IniciaImpressora(s.setup.sistema, s.setup.offer_x_reading ? "" : "N", s.recebimentos, s.aliquotas);
    result.ecf = ECF;
    result.serie = SerieECF;
    if (!call.Report("IniciaImpressora (impressora " + ECF + ", s\xE9rie " + SerieECF + ")", ok)) {
      result.failure = "a impressora fiscal n\xE3o concluiu a partida (IniciaImpressora)";
      return result;
    }
    if (s.family->types == detail::TypesKept::FileBeforeStart) {
      s.methods = MethodsIn(tipos);
      s.recebimentos.Close();
      s.recebimentos.FileName.clear();
      s.recebimentos.LoadFromFile(tipos);
      std::string numbered;
      bool all = true;
      for (const PaymentType& t : s.setup.payment_types) {
        const auto method = s.methods.find(t.code);
        all = all && method != s.methods.end();
        numbered += (numbered.empty() ? "" : ", ") + t.name + " " + (all ? method->second : "-");
      }
      if (!call.Report("tiporece.cds numerado: " + numbered, all)) {
        result.failure = "a impressora n\xE3o numerou todas as formas de pagamento";
        return result;
      }
    }
    result.ok = true;
  } catch (const std::exception& e) {
    result.failure = e.what();
    call.Report("partida interrompida: " + result.failure, false);
  }
  return result;
}

RecoveryResult Till::Recover() {
  RecoveryResult result;
  Call call(state_->setup, result.messages, result.steps);
  try {
    result.left = detail::AnswersLeft();
    const std::string left = result.left == 0 ? std::string()
                                              : " (" + platform::IntToStr(result.left) +
                                                    " resposta(s) deixada(s) por uma execu\xE7\xE3o anterior)";
    result.ok = call.Report("CheckIntPosFiles" + left, Qdm00500::CheckIntPosFiles());
  } catch (const std::exception& e) {
    call.Report(std::string("CheckIntPosFiles: ") + e.what(), false);
  }
  return result;
}

namespace {

// What the card came to: as decided, unless its answer is still kept,
// which means the manager never acknowledged the decision.
CardState Settled(const CardResult& card, CardState decided) {
  if (detail::AnswerKept(card.network, card.identifier)) return CardState::Unsettled;
  // A confirmation the manager refused: the transaction had already ended.
  if (decided == CardState::Confirmed && detail::LedgerHoldsUndone(card)) return CardState::Undone;
  return decided;
}

}  // namespace

SaleResult Till::Sell(const Sale& sale) {
  using namespace Qdm00000;
  State& s = *state_;
  SaleResult result;
  Call call(s.setup, result.messages, result.steps);
  const detail::StepFn step = call.Reporter();

  // A new sale: the stores hold only its own cards.
  s.cupons.Clear();
  Qdm00500::inContCuponsTEF = 0;
  s.cancelamentos.Clear();
  Qdm00500::inContCancCuponsTEF = 0;

  const detail::Totals totals = detail::TotalsOf(sale, s.family, Qdm00000::IdTipoImpFis);
  result.subtotal = totals.subtotal;
  result.discount = sale.discount;
  result.total = totals.total;
  result.paid = totals.paid;
  result.change = Cents(totals.paid - totals.total);

  if (!s.started || !s.family) {
    result.failure = "a impressora fiscal n\xE3o foi iniciada";
    step("venda recusada: " + result.failure, false);
    return result;
  }
  if (std::string problem = detail::SaleProblem(sale, s.setup.payment_types, *s.family, totals); !problem.empty()) {
    result.failure = problem;
    step("venda recusada: " + problem, false);
    return result;
  }

  bool ok = true;
  bool coupon_open = false;
  std::string numero;
  try {
    // The coupon and its items.
    if (sale.table.empty()) {
      ok = AbreCupom("");
      coupon_open = ok;
      numero = NrCupom;
      ok = step("AbreCupom (cupom n\xBA " + NrCupom + ")", ok);
    } else {
      ok = AbreCupomRes(sale.table, sale.waiter);
      coupon_open = ok;
      ok = step("AbreCupomRes (cupom fiscal da mesa " + sale.table + ")", ok);
    }
    if (!ok) result.failure = "a impressora recusou a abertura do cupom";
    if (ok) {
      result.coupon_number = NrCupom;
      if (s.setup.on_progress) s.setup.on_progress(result);
    }
    TClientDataSet& produto = DataModule().cdsProduto;
    if (ok && sale.table.empty()) {
      produto.Close();
      produto.FieldDefs.clear();
      produto.AddFieldDef("IDTPIMPOSFIS", platform::TFieldType::ftString, 1);
      produto.AddFieldDef("VRPEALIMPFIS", platform::TFieldType::ftFloat);
      produto.CreateDataSet();
      for (const Item& item : sale.items) {
        std::string aliquota = item.aliquota;
        if (aliquota.empty()) {
          produto.EmptyDataSet();
          produto.Append();
          produto.FieldByName("IDTPIMPOSFIS").SetAsString(item.tax_kind);
          produto.FieldByName("VRPEALIMPFIS").SetAsFloat(item.tax_rate);
          produto.Post();
          aliquota = Verifica_Aliquota("");
        }
        const bool sold =
            VendaItem("", "", item.code, item.description, aliquota, item.quantity, item.unit_price, item.discount);
        if (!step("VendaItem " + item.description + " (al\355quota " + aliquota + ")", sold)) {
          ok = false;
          result.failure = "a impressora recusou o item " + item.description;
          break;
        }
      }
    }

    // The card, before the closing: a card not approved ends the sale.
    for (const Payment& payment : sale.payments) {
      if (!ok || !payment.card) continue;
      const PaymentType* type = TypeOf(s.setup.payment_types, payment.type);
      CardResult card = detail::RequestCard(payment.type, payment.amount, type && type->kind == "C");
      step("cart\xE3o " + platform::CurrToStr(payment.amount) + ": " +
               (card.approved ? "aprovado, rede " + card.network + " doc " + card.document
                              : "n\xE3o aprovado (" + card.message + ")"),
           card.approved);
      if (!card.approved) {
        ok = false;
        result.failure = "cart\xE3o n\xE3o aprovado: " + card.message;
      }
      result.cards.push_back(card);
      if (card.approved && s.setup.on_progress) s.setup.on_progress(result);
    }

    // The closing.
    if (ok) {
      detail::Closing closing{sale, s.setup.payment_types, s.recebimentos, s.methods, totals.total, totals.paid, step};
      ok = s.family->close(closing, numero);
      if (ok) {
        coupon_open = false;
        result.coupon = CouponState::Closed;
        if (!numero.empty()) result.coupon_number = numero;
        if (s.setup.on_progress) s.setup.on_progress(result);
      } else {
        result.failure = "a impressora recusou o fechamento do cupom";
      }
    }
  } catch (const std::exception& e) {
    ok = false;
    result.failure = std::string("venda interrompida: ") + e.what();
    step(result.failure, false);
  }

  if (ok) {
    // The card voucher, two copies, then the confirmation; a voucher that
    // cannot be printed undoes its card.
    if (!result.cards.empty()) {
      const int ledger_faults = Qdm00500::detail::LedgerSaveFaults();
      try {
        for (const CardResult& card : result.cards) {
          const PaymentType* type = TypeOf(s.setup.payment_types, card.type);
          if (s.family->open_sale_voucher)
            s.family->open_sale_voucher(step, result.coupon_number, type ? type->name : card.type, card.amount);
        }
        const bool printed = step("ImprCupons (comprovante em duas vias, confirma\xE7\xE3o)",
                                  Qdm00500::ImprCupons(Qdm00500::stlCuponsTEF, Qdm00500::inContCuponsTEF, "", "", 0));
        for (CardResult& card : result.cards)
          card.state = Settled(card, printed ? CardState::Confirmed : CardState::Undone);
        if (!printed) result.failure = "o comprovante do cart\xE3o n\xE3o foi impresso: a transa\xE7\xE3o foi desfeita";
      } catch (const std::exception& e) {
        result.failure = std::string("comprovante interrompido: ") + e.what();
        step(result.failure, false);
        for (CardResult& card : result.cards)
          card.state = detail::AnswerKept(card.network, card.identifier) ? CardState::Unsettled : card.state;
      }
      // The document the voucher went into never stays open behind the
      // sale, whatever became of the voucher.
      try {
        if (s.family->close_sale_voucher && !s.family->close_sale_voucher(step))
          result.warning = "o relat\xF3rio do comprovante ficou aberto na impressora";
      } catch (const std::exception& e) {
        step(std::string("relat\xF3rio do comprovante: ") + e.what(), false);
      }
      if (Qdm00500::detail::LedgerSaveFaults() != ledger_faults) {
        result.warning = (result.warning.empty() ? "" : result.warning + "; ") + "o arquivo de controle do TEF (" +
                         Qdm00500::detail::LedgerFile(Qdm00500::DirTef) +
                         ") n\xE3o p\364de ser gravado; a decis\xE3o do cart\xE3o foi enviada ao gerenciador "
                         "assim mesmo";
        step("livro TEF: " + result.warning, false);
      }
    }
    result.completed = result.failure.empty();
    for (const CardResult& card : result.cards)
      if (card.state != CardState::Confirmed) {
        result.completed = false;
        if (result.failure.empty())
          result.failure = card.state == CardState::Undone
                               ? "o gerenciador recusou a confirma\xE7\xE3o do cart\xE3o: a transa\xE7\xE3o j\xE1 "
                                 "estava desfeita"
                               : "a confirma\xE7\xE3o do cart\xE3o ficou pendente";
      }
    return result;
  }

  // Abandoned: the coupon is cancelled, so the printer is ready for the
  // next sale, and every approved card undone with the manager (it was
  // never confirmed), so the customer pays nothing for a coupon that does
  // not stand.
  try {
    if (coupon_open) {
      std::string cancelado;
      const bool cancelled = Cancela_Cupom(true, false, cancelado);
      step("Cancela_Cupom (venda n\xE3o conclu\355da)", cancelled);
      result.coupon = cancelled ? CouponState::Cancelled : CouponState::LeftOpen;
    }
    detail::UndoCards(result.cards, step);
  } catch (const std::exception& e) {
    step(std::string("venda abandonada interrompida: ") + e.what(), false);
    for (CardResult& card : result.cards)
      if (card.approved && card.state == CardState::NotApproved) card.state = CardState::Unsettled;
  }
  return result;
}

}  // namespace QdmVenda
