// Closing the coupon. Type 7 totals it (with the discount), registers each
// payment under its method's letter and prints the footer; type 8 closes it
// in one command with the amount paid. The front end's own closing takes
// one amount paid; the facade's takes the coupon's payment movements.
#include <algorithm>

#include "drivers/daruma/Qdm00300.h"
#include "drivers/daruma/driver.h"
#include "platform/base/sysutils.h"
#include "platform/text/format.h"

namespace Qdm00300 {

using namespace detail;

namespace {

const char* const kCrLf = "\r\n";
const std::string kEndOfText = Byte(0xFF);
// The method letter the front end's own closing pays with.
const char* const kPagamentoUnico = "P";
const char* const kPaymentUnknown = "Forma de pagamento n\xE3o cadastrada na impressora fiscal.";
const char* const kNotServed = "Comando n\xE3o suportado pela impressora fiscal.";

struct Payment {
  std::string letter;
  double amount;
};

bool Send(unsigned char command, const std::vector<std::string>& parametros = {}) {
  return EnviaComando_Daruma(Byte(command), parametros, false, false);
}

std::string Footer(const std::string& cnpjCpf, const std::string& nome) {
  if (cnpjCpf.empty()) return kEndOfText;
  std::string rodape = std::string(kCrLf) + "CNPJ/CPF : " + cnpjCpf + kCrLf;
  if (!nome.empty()) rodape += "Nome : " + nome + kCrLf;
  return rodape + kEndOfText;
}

// The coupon is closed when the printer took the closing command. When its
// answer never came (or never settled) the printer may have closed it all
// the same: then the printer is asked whether the coupon is still open.
bool Closed(bool taken) {
  if (taken) return true;
  if (LastOutcome() != Outcome::Unknown) return false;
  const std::optional<Document> open = AskOpenDocument();
  const bool closed = open.has_value() && *open != Document::Coupon;
  Log(closed ? "Cupom fechado pela impressora apesar da resposta perdida"
             : "ERRO!!! Fechamento do cupom nao confirmado pela impressora");
  return closed;
}

// Every field is worked out before the first byte goes out; then every step
// is sent whatever the one before answered, so that a coupon paid in part is
// closed by a later call that pays the rest.
bool CloseByLetters(double desconto, const std::vector<Payment>& pagamentos, const std::string& cnpjCpf,
                    const std::string& nome) {
  std::string subtotal = "000000000000";
  if (desconto > 0) {
    const std::optional<std::string> digits = AmountField(Format::Amount12, desconto);
    if (!digits) return false;
    subtotal = *digits;
  }
  std::vector<std::vector<std::string>> pagos;
  for (const Payment& p : pagamentos) {
    const std::optional<std::string> digits = AmountField(Format::Amount12, p.amount);
    if (!digits) return false;
    pagos.push_back({p.letter, *digits, kEndOfText});
  }
  Send(kTotaliza, {"1", subtotal});
  for (const auto& pago : pagos) Send(kPagamento, pago);
  return Closed(Send(kFechaCupom, {Footer(cnpjCpf, nome)}));
}

bool CloseWithAmountPaid(double desconto, double descontoExtra, double valorPago) {
  std::string p = "0000";
  if (desconto > 0 || descontoExtra > 0) {
    const std::optional<std::string> digits = AmountField(Format::Sum4, desconto + descontoExtra);
    if (!digits) return false;
    p = *digits;
  }
  return Closed(Send(kFechaCupom, {p, platform::FloatToStr(valorPago), kEndOfText}));
}

bool Refuse(const std::string& log, const char* operador) {
  Log("ERRO!!! " + log);
  ShowError(operador);
  return false;
}

// The coupon's payments ("E" movements) in the order they were taken, each
// with its method's letter on the printer (the payment types' CDFPIMPFIS)
// when `recebimentos` is given. A payment of a type without a letter is
// never sent under another method.
std::optional<std::vector<Payment>> PlanPayments(TClientDataSet& movimentos, TClientDataSet* recebimentos) {
  // Copies: the caller's datasets keep their cursors.
  TClientDataSet movs("movimentos"), tipos("recebimentos");
  movs.SetData(movimentos.GetData());
  if (recebimentos) tipos.SetData(recebimentos->GetData());
  struct Taken {
    platform::TDateTime when;
    Payment payment;
  };
  std::vector<Taken> taken;
  for (movs.First(); !movs.Eof(); movs.Next()) {
    if (movs.FieldByName("IDTIPOMOVIVE").AsString() != "E") continue;
    const std::string cdtiporece = movs.FieldByName("CDTIPORECE").AsString();
    std::string letter;
    if (recebimentos && tipos.Locate("CDTIPORECE", {platform::Variant(cdtiporece)}))
      letter = tipos.FieldByName("CDFPIMPFIS").AsString();
    if (recebimentos && letter.empty()) {
      Refuse("Forma de pagamento nao cadastrada: " + cdtiporece, kPaymentUnknown);
      return std::nullopt;
    }
    taken.push_back({movs.FieldByName("DTHRINCMOV").AsDateTime(), {letter, movs.FieldByName("VRMOVIVEND").AsFloat()}});
  }
  std::stable_sort(taken.begin(), taken.end(), [](const Taken& a, const Taken& b) { return a.when < b.when; });
  std::vector<Payment> pagamentos;
  for (const Taken& t : taken) pagamentos.push_back(t.payment);
  return pagamentos;
}

}  // namespace

bool FechaCupom_Daruma(int tipo, bool /*flag*/, const std::string& cnpjCpf, double desconto, double descontoExtra,
                       double valorPago, const std::string& nome) {
  const Model* model = FindModel(tipo);
  if (model == nullptr) return true;
  if (model->payments == Payments::ByLetter)
    return CloseByLetters(desconto, {{kPagamentoUnico, valorPago}}, cnpjCpf, nome);
  return CloseWithAmountPaid(desconto, descontoExtra, valorPago);
}

bool FechaCupomFormasPg_Daruma(double desconto, double acrescimo, bool contraVale, TClientDataSet& movimentos,
                               TClientDataSet& recebimentos, std::string& numeroCupom, const std::string& cnpjCpf,
                               const std::string& nome) {
  // Neither is in the closing of these printers: a coupon is never closed
  // for less than the sale, nor a change voucher promised and not printed.
  if (acrescimo > 0) return Refuse("Acrescimo no fechamento nao suportado", kNotServed);
  if (contraVale) return Refuse("Contra-vale no fechamento nao suportado", kNotServed);
  // Type 8 closes with the amount paid alone: its methods have no letters
  // (and its loading closed the payment types).
  const bool letras = CurrentModel().payments == Payments::ByLetter;
  const std::optional<std::vector<Payment>> pagamentos = PlanPayments(movimentos, letras ? &recebimentos : nullptr);
  if (!pagamentos) return false;
  numeroCupom = stNrCupom;
  if (letras) return CloseByLetters(desconto, *pagamentos, cnpjCpf, nome);
  double pago = 0;
  for (const Payment& p : *pagamentos) pago += p.amount;
  return CloseWithAmountPaid(desconto, 0, pago);
}

}  // namespace Qdm00300
