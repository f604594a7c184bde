// Closing the coupon: start of the closing (discount or surcharge),
// payments, footer and the change voucher.
#include <exception>
#include <functional>
#include <map>

#include "drivers/bematech/Qdm00100.h"
#include "drivers/bematech/driver.h"
#include "drivers/common/driver_services.h"
#include "utility/utility.h"
#include "platform/dialogs/dialogs.h"
#include "platform/base/sysutils.h"

namespace Qdm00100 {

using namespace detail;

namespace {

const char* const kRetryQuestion = "Impressora n\xE3o responde. Imprimir novamente?";
const char* const kPaymentUnknown = "Forma de pagamento n\xE3o cadastrada na impressora fiscal.";
constexpr int kVoucherMethodWidth = 16;
const std::string kLf = "\n";

struct Payment {
  std::string metodo;
  std::string valor;
};

// Everything the closing sends, worked out before the first byte goes out,
// so a coupon is never left half closed by an amount or a payment type the
// printer cannot take.
struct ClosingPlan {
  std::vector<std::string> inicio;  // "32"
  std::vector<Payment> pagamentos;  // "72", in the order they were taken
  std::string rodape;               // "34"
  bool contravale = false;
  std::vector<std::string> voucher;  // "25"
};

// The movement indexes the closing walks; a copy that lacks them gets them.
const platform::TIndexDef kMovementIndexes[] = {
    {"idxNRORDTROCO", "NRORDTROCO;DTHRINCMOV", "DTHRINCMOV"},
    {"idxDTHRINCMOV", "DTHRINCMOV", ""},
};

void CopyMovements(TClientDataSet& origem, TClientDataSet& destino) {
  platform::TDataPacket packet = origem.GetData();
  for (const auto& index : kMovementIndexes) {
    bool present = false;
    for (const auto& existing : packet.indexes) present = present || existing.Name == index.Name;
    if (!present) packet.indexes.push_back(index);
  }
  destino.SetData(packet);
}

std::string Footer(bool pagoConvenio, const std::string& convenio, const std::string& linhaConsumidor,
                   const std::string& consumidor, const std::string& cnpjCpf, const std::string& nome) {
  if (pagoConvenio) {
    std::string texto = kLf + CatalogueText("Convenio") + " ..: " + convenio;
    if (!linhaConsumidor.empty()) {
      return texto + kLf + CatalogueText("Consumidor") + " : " + consumidor + kLf;
    }
    return texto + kLf;
  }
  if (cnpjCpf.empty()) return " ";
  std::string texto = kLf + CatalogueText("CNPJCPF") + " : " + cnpjCpf + kLf;
  if (!nome.empty()) texto += CatalogueText("Nome") + " : " + nome + kLf;
  return texto;
}

bool ReportUnknownPayment(const std::string& cdtiporece) {
  Log("ERRO!!! Forma de pagamento nao cadastrada: " + cdtiporece);
  ShowError(kPaymentUnknown);
  return false;
}

// The printer's number of the payment type now current in cdsRecebAux; a
// type without one borrows it from the current type of cdsTipoRece.
std::string PaymentMethod(TdtmCupomFiscal& dm) {
  std::string metodo = dm.cdsRecebAux.FieldByName("CDFPIMPFIS").AsString();
  if (!metodo.empty()) return metodo;
  TClientDataSet& tipos = dm.cdsTipoRece;
  if (!tipos.Active() || tipos.IsEmpty()) return std::string();
  return platform::Copy(tipos.FieldByName("CDTIPORECE").AsString(), 2, 2);
}

// Payments in the order they were taken; only entries ("E") are paid.
bool PlanPayments(TdtmCupomFiscal& dm, ClosingPlan& plan, bool& pagoConvenio) {
  TClientDataSet& movimentos = dm.cdsMovCaixa;
  movimentos.SetIndexName("idxDTHRINCMOV");
  for (movimentos.First(); !movimentos.Eof(); movimentos.Next()) {
    if (movimentos.FieldByName("IDTIPOMOVIVE").AsString() != "E") continue;
    const std::string cdtiporece = movimentos.FieldByName("CDTIPORECE").AsString();
    // A payment of a type the caller did not hand over is not sent under
    // whatever type happened to be current.
    if (!dm.cdsRecebAux.Locate("CDTIPORECE", {platform::Variant(cdtiporece)})) {
      return ReportUnknownPayment(cdtiporece);
    }
    if (dm.cdsRecebAux.FieldByName("IDTIPORECE").AsString() == "8") pagoConvenio = true;
    const std::string metodo = PaymentMethod(dm);
    if (metodo.empty()) return ReportUnknownPayment(cdtiporece);
    const std::optional<std::string> valor = AmountField(Format::V14, movimentos.FieldByName("VRMOVIVEND").AsFloat());
    if (!valor) return false;
    plan.pagamentos.push_back({metodo, *valor});
  }
  movimentos.SetIndexName("idxNRORDTROCO");
  return true;
}

std::optional<ClosingPlan> PlanClosing(bool contraVale, double desconto, double valorContraVale, double acrescimo,
                                       const std::string& convenio, const std::string& linhaConsumidor,
                                       const std::string& consumidor, const std::string& cnpjCpf,
                                       const std::string& nome) {
  TdtmCupomFiscal& dm = Qdm00000::DataModule();
  ClosingPlan plan;
  // A discount wins over a surcharge; the printer takes only one.
  if (desconto > 0 || acrescimo > 0) {
    const std::optional<std::string> valor = AmountField(Format::V14, desconto > 0 ? desconto : acrescimo);
    if (!valor) return std::nullopt;
    plan.inicio = {desconto > 0 ? "d" : "a", *valor};
  } else {
    plan.inicio = {"D", "0000"};
  }
  bool pagoConvenio = false;
  if (!PlanPayments(dm, plan, pagoConvenio)) return std::nullopt;
  plan.rodape = Footer(pagoConvenio, convenio, linhaConsumidor, consumidor, cnpjCpf, nome);
  if (contraVale) {
    const std::optional<std::string> valor = AmountField(Format::V14, valorContraVale);
    if (!valor) return std::nullopt;
    plan.contravale = true;
    plan.voucher = {IdTotParcCV, *valor, platform::Copy(CatalogueText("Dinheiro"), 1, kVoucherMethodWidth)};
  }
  return plan;
}

// What became of a closing command the printer reported refused, as the
// printer itself tells it when asked: a printer may carry a command out
// and still answer it wrong.
enum class Fate { Taken, NotTaken, Unknown };

// Where the coupon stands: "35" with "17" answers the fiscal flags as a
// number in three digits, 1 while a fiscal coupon is open, plus 2 once its
// closing has begun.
struct CouponFlags {
  bool aberto = false;
  bool pagando = false;
};

std::optional<CouponFlags> AskCouponFlags(bool avisa) {
  constexpr int kOpen = 1;
  constexpr int kPaying = 2;
  const std::optional<std::string> resposta = Query("35", {"17"}, avisa);
  int flags = -1;
  const bool digitos =
      resposta && resposta->size() == 3 && resposta->find_first_not_of("0123456789") == std::string::npos;
  if (digitos) flags = std::stoi(*resposta);
  if (flags < 0 || flags > 255) {
    Log("ERRO!!! Estado do cupom nao conferido na impressora: " +
        (resposta ? "resposta '" + *resposta + "'" : std::string("comando recusado")));
    return std::nullopt;
  }
  return CouponFlags{(flags & kOpen) != 0, (flags & kPaying) != 0};
}

// What the coupon has been paid with one method, in cents, as the printer
// reports it. "35" with "32" answers one slot of 56 bytes per programmed
// method, in the printer's order: the name (16 bytes), the day's amount
// and the amount in the coupon being closed (20 digits each, two implied
// decimals). Nothing when the answer cannot be read as whole slots that
// reach the method's own: a slot cut short, or missing, tells nothing.
std::optional<long long> PaidOnThePrinter(const std::string& metodo, bool avisa) {
  constexpr std::size_t kSlotSize = 56;
  constexpr std::size_t kCouponAmountAt = 36;
  constexpr std::size_t kAmountDigits = 20;
  int numero = 0;
  if (!platform::TryStrToInt(metodo, numero) || numero < 1) return std::nullopt;
  const std::optional<std::string> resposta = Query("35", {"32"}, avisa, "", false);
  if (!resposta) return std::nullopt;
  // The answer fills the front of a blank buffer and ends on the digits of
  // its last slot.
  const std::size_t fim = resposta->find_last_not_of(' ');
  if (fim == std::string::npos) return std::nullopt;
  const std::size_t tamanho = fim + 1;
  const std::size_t slot = (static_cast<std::size_t>(numero) - 1) * kSlotSize;
  if (tamanho % kSlotSize != 0 || slot + kSlotSize > tamanho) return std::nullopt;
  const std::string digitos = resposta->substr(slot + kCouponAmountAt, kAmountDigits);
  if (digitos.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  return std::stoll(digitos);
}

// Sends the closing's commands. After a command the printer reports
// refused (and the operator's answer, where the question is allowed), the
// printer is asked what became of it: one it took is never sent twice (the
// start of the closing, a payment, the footer, the change voucher) and the
// closing goes on; one it did not take is sent again on the operator's Yes;
// one whose fate cannot be read is not sent blind, and the closing stops.
class ClosingRun {
 public:
  ClosingRun(const ClosingPlan& plan, bool avisa, bool pergunta, const std::string& numeroCupom)
      : plan_(plan), avisa_(avisa), pergunta_(pergunta), numeroCupom_(numeroCupom) {}

  // True when the printer took the footer, which closes the coupon. A
  // change voucher it did not take after that is logged; the coupon stands.
  bool Run() {
    if (!SendStep("32", plan_.inicio, [this] { return StartFate(); })) return false;
    std::map<std::string, long long> tomado;
    for (const Payment& pagamento : plan_.pagamentos) {
      long long& jaTomado = tomado[pagamento.metodo];
      const long long valor = std::stoll(pagamento.valor);
      if (!SendStep("72", {pagamento.metodo, pagamento.valor},
                    [&] { return PaymentFate(pagamento.metodo, jaTomado, valor); })) {
        return false;
      }
      jaTomado += valor;
    }
    if (!SendStep("34", {plan_.rodape}, [this] { return FooterFate(); })) return false;
    if (plan_.contravale && !SendStep("25", plan_.voucher, [this] { return VoucherFate(); })) {
      Log("ERRO!!! Contra-vale nao emitido");
    }
    return true;
  }

 private:
  // The closing's retry question, when the caller allows it; true on Yes.
  bool Again() const {
    return pergunta_ &&
           util::TouchMessageDlg(kRetryQuestion, platform::mtError, platform::mbYesNo, 0, 0, "") == platform::mrYes;
  }

  // One command until the printer takes it (true), or the operator gives
  // up on a command it did not take, or its fate cannot be told (false).
  bool SendStep(const std::string& comando, const std::vector<std::string>& args, const std::function<Fate()>& fate) {
    while (!EnviaComando_Bematech(comando, args, avisa_, false)) {
      const bool outraVez = Again();
      switch (fate()) {
        case Fate::Taken:
          return true;
        case Fate::Unknown:
          return false;
        case Fate::NotTaken:
          if (!outraVez) return false;
          break;
      }
    }
    return true;
  }

  // "32" was taken when the coupon is open and paying.
  Fate StartFate() {
    const std::optional<CouponFlags> flags = AskCouponFlags(avisa_);
    if (!flags) return Fate::Unknown;
    if (!flags->aberto) {
      Log("ERRO!!! Nenhum cupom aberto na impressora");
      return Fate::Unknown;
    }
    if (!flags->pagando) return Fate::NotTaken;
    Log("Inicio do fechamento ja registrado pela impressora");
    return Fate::Taken;
  }

  // "72" was taken when the coupon holds it in its method beside what this
  // closing had taken there before; anything else is a payment the closing
  // cannot account for.
  Fate PaymentFate(const std::string& metodo, long long jaTomado, long long valor) {
    const std::optional<long long> naImpressora = PaidOnThePrinter(metodo, avisa_);
    if (!naImpressora) {
      Log("ERRO!!! Pagamento nao conferido na impressora: forma " + metodo);
      return Fate::Unknown;
    }
    if (*naImpressora == jaTomado + valor) {
      Log("Pagamento ja registrado pela impressora: forma " + metodo);
      return Fate::Taken;
    }
    if (*naImpressora != jaTomado) {
      Log("ERRO!!! Pagamento da forma " + metodo + " diverge na impressora: " + std::to_string(*naImpressora) +
          " centavos");
      return Fate::Unknown;
    }
    return Fate::NotTaken;
  }

  // "34" was taken when the coupon is no longer open.
  Fate FooterFate() {
    const std::optional<CouponFlags> flags = AskCouponFlags(avisa_);
    if (!flags) return Fate::Unknown;
    if (flags->aberto) return Fate::NotTaken;
    Log("Cupom ja encerrado pela impressora");
    return Fate::Taken;
  }

  // "25" was taken when the printer has issued the document after the
  // coupon: its COO moved on by one.
  Fate VoucherFate() {
    constexpr int kLastCoo = 999999;
    int cupom = 0;
    int agora = 0;
    const std::optional<std::string> resposta = Query("30", {}, avisa_);
    if (!platform::TryStrToInt(platform::Trim(numeroCupom_), cupom) || !resposta ||
        !platform::TryStrToInt(*resposta, agora)) {
      Log("ERRO!!! Contra-vale nao conferido na impressora");
      return Fate::Unknown;
    }
    if (agora == cupom) return Fate::NotTaken;
    if (agora == (cupom >= kLastCoo ? 1 : cupom + 1)) {
      Log("Contra-vale ja emitido pela impressora");
      return Fate::Taken;
    }
    Log("ERRO!!! Contra-vale nao conferido na impressora: COO " + *resposta);
    return Fate::Unknown;
  }

  const ClosingPlan& plan_;
  bool avisa_;
  bool pergunta_;
  std::string numeroCupom_;
};

}  // namespace

bool FechaCupom_Bematech(bool contraVale, bool avisa, double desconto, double valorContraVale, double acrescimo,
                         const std::string& permiteRepetir, bool repeteSeRecusado, const std::string& /*naoUsado*/,
                         TClientDataSet& movimentos, TClientDataSet& tiposRecebimento, std::string& numeroCupom,
                         const std::string& convenio, const std::string& linhaConsumidor, const std::string& consumidor,
                         const std::string& cnpjCpf, const std::string& nome) {
  try {
    TdtmCupomFiscal& dm = Qdm00000::DataModule();
    CopyMovements(movimentos, dm.cdsMovCaixa);
    dm.cdsRecebAux.SetData(tiposRecebimento.GetData());
    const std::optional<ClosingPlan> plan = PlanClosing(contraVale, desconto, valorContraVale, acrescimo, convenio,
                                                        linhaConsumidor, consumidor, cnpjCpf, nome);
    if (!plan) return false;
    const std::optional<std::string> numero = Query("30", {}, avisa);
    numeroCupom = numero ? *numero : std::string();
    // A closing that stopped with the coupon still open (or its state
    // unknown): the front end must not take it as closed.
    if (ClosingRun(*plan, avisa, permiteRepetir == "S" && repeteSeRecusado, numeroCupom).Run()) return true;
    Log("ERRO!!! Cupom nao encerrado");
    return false;
  } catch (const std::exception& e) {
    Log(std::string("ERRO!!! ") + e.what());
    return false;
  }
}

}  // namespace Qdm00100
