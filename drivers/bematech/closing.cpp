// Closing the coupon: start of the closing (discount or surcharge),
// payments, footer and the change voucher.
#include <exception>
#include <functional>
#include <map>

#include "drivers/bematech/Qdm00100.h"
#include "drivers/bematech/protocol.h"
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

std::string Footer(bool pagoConvenio, const std::string& convenio,
                   const std::string& linhaConsumidor, const std::string& consumidor,
                   const std::string& cnpjCpf, const std::string& nome) {
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
    const std::optional<std::string> valor =
        AmountField(Formato::V14, movimentos.FieldByName("VRMOVIVEND").AsFloat());
    if (!valor) return false;
    plan.pagamentos.push_back({metodo, *valor});
  }
  movimentos.SetIndexName("idxNRORDTROCO");
  return true;
}

std::optional<ClosingPlan> PlanClosing(bool contraVale, double desconto, double valorContraVale,
                                       double acrescimo, const std::string& convenio,
                                       const std::string& linhaConsumidor,
                                       const std::string& consumidor, const std::string& cnpjCpf,
                                       const std::string& nome) {
  TdtmCupomFiscal& dm = Qdm00000::DataModule();
  ClosingPlan plan;
  // A discount wins over a surcharge; the printer takes only one.
  if (desconto > 0 || acrescimo > 0) {
    const std::optional<std::string> valor =
        AmountField(Formato::V14, desconto > 0 ? desconto : acrescimo);
    if (!valor) return std::nullopt;
    plan.inicio = {desconto > 0 ? "d" : "a", *valor};
  } else {
    plan.inicio = {"D", "0000"};
  }
  bool pagoConvenio = false;
  if (!PlanPayments(dm, plan, pagoConvenio)) return std::nullopt;
  plan.rodape = Footer(pagoConvenio, convenio, linhaConsumidor, consumidor, cnpjCpf, nome);
  if (contraVale) {
    const std::optional<std::string> valor = AmountField(Formato::V14, valorContraVale);
    if (!valor) return std::nullopt;
    plan.contravale = true;
    plan.voucher = {IdTotParcCV, *valor,
                    platform::Copy(CatalogueText("Dinheiro"), 1, kVoucherMethodWidth)};
  }
  return plan;
}

// The closing's retry question, when the caller allows it; true on Yes.
using RetryQuestion = std::function<bool()>;

bool Send(const std::string& comando, const std::vector<std::string>& args, bool avisa) {
  return EnviaComando_Bematech(comando, args, avisa, false);
}

// Sends a command until the printer takes it or the operator gives up.
bool SendUntilTaken(const std::string& comando, const std::vector<std::string>& args, bool avisa,
                    const RetryQuestion& again) {
  while (!Send(comando, args, avisa)) {
    if (!again()) return false;
  }
  return true;
}

// What the coupon has been paid with one method, in cents, as the printer
// reports it. "35" with "32" answers one slot of 56 bytes per programmed
// method, in the printer's order: the name (16 bytes), the day's amount
// and the amount in the coupon being closed (20 digits each, two implied
// decimals). Nothing when the answer cannot be read.
std::optional<long long> PaidOnThePrinter(const std::string& metodo, bool avisa) {
  constexpr std::size_t kSlotSize = 56;
  constexpr std::size_t kCouponAmountAt = 36;
  constexpr std::size_t kAmountDigits = 20;
  int numero = 0;
  if (!platform::TryStrToInt(metodo, numero) || numero < 1) return std::nullopt;
  const std::optional<std::string> resposta = Query("35", {"32"}, avisa, "", false);
  if (!resposta) return std::nullopt;
  // The answer fills the front of a blank buffer; past its end lie the
  // slots of methods the printer does not have, which took nothing.
  const std::size_t fim = resposta->find_last_not_of(' ');
  if (fim == std::string::npos) return std::nullopt;
  const std::size_t slot = (static_cast<std::size_t>(numero) - 1) * kSlotSize;
  if (slot > fim) return 0;
  const std::size_t at = slot + kCouponAmountAt;
  if (fim + 1 < at + kAmountDigits) return std::nullopt;
  const std::string digitos = resposta->substr(at, kAmountDigits);
  for (char c : digitos) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  return std::stoll(digitos);
}

// One payment. A refused "72" may still have been registered (the printer
// took it and its answer was lost or wrong): before sending it again the
// printer is asked what the coupon holds in that method, and the payment
// goes out again only when it is not there. `tomado` is what this closing
// has had taken in the method so far. False when the payment could not be
// made or its fate cannot be told: sending it blind could charge twice.
bool SendPayment(const Payment& pagamento, long long& tomado, bool avisa,
                 const RetryQuestion& again) {
  const long long valor = std::stoll(pagamento.valor);
  while (!Send("72", {pagamento.metodo, pagamento.valor}, avisa)) {
    if (!again()) return false;
    const std::optional<long long> naImpressora = PaidOnThePrinter(pagamento.metodo, avisa);
    if (!naImpressora) {
      Log("ERRO!!! Pagamento nao conferido na impressora: forma " + pagamento.metodo);
      return false;
    }
    if (*naImpressora == tomado + valor) {
      Log("Pagamento ja registrado pela impressora: forma " + pagamento.metodo);
      break;
    }
    if (*naImpressora != tomado) {
      Log("ERRO!!! Pagamento da forma " + pagamento.metodo + " diverge na impressora: " +
          std::to_string(*naImpressora) + " centavos");
      return false;
    }
  }
  tomado += valor;
  return true;
}

// Sends the closing. A refused command may be sent again when the operator
// asks for it, and the closing goes on from there: what the printer took
// (the start of the closing, payments) is never sent twice. True when every
// command of the closing was taken.
bool SendClosing(const ClosingPlan& plan, bool avisa, bool pergunta) {
  const RetryQuestion again = [pergunta]() {
    return pergunta && util::TouchMessageDlg(kRetryQuestion, platform::mtError, platform::mbYesNo,
                                             0, 0, "") == platform::mrYes;
  };
  if (!SendUntilTaken("32", plan.inicio, avisa, again)) return false;
  std::map<std::string, long long> tomado;
  for (const Payment& pagamento : plan.pagamentos) {
    if (!SendPayment(pagamento, tomado[pagamento.metodo], avisa, again)) return false;
  }
  if (!SendUntilTaken("34", {plan.rodape}, avisa, again)) return false;
  return !plan.contravale || SendUntilTaken("25", plan.voucher, avisa, again);
}

}  // namespace

bool FechaCupom_Bematech(bool contraVale, bool avisa, double desconto, double valorContraVale,
                         double acrescimo, const std::string& repete, bool perguntaRepetir,
                         const std::string& /*naoUsado*/, TClientDataSet& movimentos,
                         TClientDataSet& tiposRecebimento, std::string& numeroCupom,
                         const std::string& convenio, const std::string& linhaConsumidor,
                         const std::string& consumidor, const std::string& cnpjCpf,
                         const std::string& nome) {
  try {
    TdtmCupomFiscal& dm = Qdm00000::DataModule();
    CopyMovements(movimentos, dm.cdsMovCaixa);
    dm.cdsRecebAux.SetData(tiposRecebimento.GetData());
    const std::optional<ClosingPlan> plan = PlanClosing(
        contraVale, desconto, valorContraVale, acrescimo, convenio, linhaConsumidor, consumidor,
        cnpjCpf, nome);
    if (!plan) return false;
    const std::optional<std::string> numero = Query("30", {}, avisa);
    numeroCupom = numero ? *numero : std::string();
    // A closing the printer refused, and that was not sent again, leaves
    // the coupon open: the front end must not take it as closed.
    if (SendClosing(*plan, avisa, repete == "S" && perguntaRepetir)) return true;
    Log("ERRO!!! Cupom nao encerrado");
    return false;
  } catch (const std::exception& e) {
    Log(std::string("ERRO!!! ") + e.what());
    return false;
  }
}

}  // namespace Qdm00100
