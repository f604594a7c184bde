// The fiscal, report and check operations: each a command code with its
// arguments, sent through the channel.
#include "drivers/sweda/Qdm00200.h"
#include "drivers/sweda/driver.h"
#include "drivers/common/driver_services.h"
#include "platform/text/datetime.h"
#include "platform/text/format.h"
#include "utility/utility.h"

namespace Qdm00200 {

using namespace detail;

namespace {

constexpr std::size_t kLineWidth = 40;
constexpr int kPriceWidth = 9;
constexpr int kPercentWidth = 10;

// The fields of an item sale ("01") and of its discount ("02").
struct ItemFrames {
  std::vector<std::string> sale;      // the seven fields of "01"
  std::vector<std::string> discount;  // the two fields of "02"
};

// Every number is checked against its field before anything is sent: a
// value that does not fit is refused (and reported), never cut.
std::optional<ItemFrames> BuildItem(int tipo, const std::string& codigo, const std::string& descricao,
                                    const std::string& aliquota, double quantidade, double preco, double desconto) {
  // A whole quantity and a fractional one share the field: 2 is 0002000,
  // 1.2345 is 0001234 (cut, not rounded); 10 000 and more do not fit.
  const auto qty = AmountField(Format::Quantity, util::Trunc3(quantidade));
  if (!qty) return std::nullopt;
  const auto price = AmountField(Format::UnitPrice, preco);
  if (!price) return std::nullopt;
  // The item total is the sale's own, cut to the cent: 0.999 x 3 is 2.99,
  // though the unit price goes rounded to 1.00.
  const auto total = AmountField(Format::ItemTotal, util::Trunc2(preco * quantidade));
  if (!total) return std::nullopt;
  const auto amount = AmountField(Format::Discount, util::Trunc2(desconto));
  if (!amount) return std::nullopt;
  std::string first;
  if (ModelOf(tipo).discount == DiscountForm::PercentText) {
    first = platform::FloatToStrF(desconto, platform::TFloatFormat::ffFixed, 15, 2) + "% =";
    if (first.size() > static_cast<std::size_t>(kPercentWidth)) {
      drivers::ReportMisfit(FormatOf(Format::DiscountShort).name, desconto);
      return std::nullopt;
    }
    first = util::TamFixo(first, kPercentWidth);
  } else {
    const auto shortField = AmountField(Format::DiscountShort, util::Trunc2(desconto));
    if (!shortField) return std::nullopt;
    first = *shortField;
  }
  ItemFrames frames;
  frames.sale = {util::AjustaZero(codigo, 13),
                 *qty,
                 util::AjustaZero(*price, kPriceWidth),
                 *total,
                 util::TamFixo(descricao, 24),
                 util::TamFixo(aliquota, 3),
                 util::TamFixo(" " + CatalogueText("Promocao") + " " + descricao, 40)};
  frames.discount = {first, *amount};
  return frames;
}

bool Send(const char* comando, const std::vector<std::string>& args = {}) {
  return EnviaComando_Sweda(comando, args, true, false);
}

}  // namespace

bool AbreCupom_Sweda() { return Send("17"); }

bool VendaItem_Sweda(const std::string& codigo, const std::string& descricao, const std::string& aliquota,
                     double quantidade, double preco, double desconto) {
  const std::optional<ItemFrames> item =
      BuildItem(Qdm00000::IdTipoImpFis, codigo, descricao, aliquota, quantidade, preco, desconto);
  if (!item) return false;
  const bool vendido = Send("01", item->sale);
  // The discount goes out also when zero and also after a refused sale.
  Send("02", item->discount);
  return vendido;
}

bool Leitura_X_Sweda(const std::string& texto) { return Send("13", {texto}); }

bool Reducao_Z_Sweda(const std::string& texto) {
  return Send("14", {texto, platform::FormatDateTime("ddmmyy", platform::Date())});
}

bool Memoria_Fiscal_Data_Sweda(const std::string& de, const std::string& ate) { return Send("16", {de, ate}); }

bool Memoria_Fiscal_RedZ_Sweda(const std::string& de, const std::string& ate) { return Send("16", {de, ate}); }

bool Totaliza_NFiscal_Sweda(const std::string& totalizador, const std::string& valor) {
  return Send("10", {totalizador, valor});
}

bool Cancela_ItGenerico_Sweda(const std::string& item, bool avisa) {
  return EnviaComando_Sweda("04", {item}, avisa, false);
}

bool Cancela_Cupom_Sweda(bool avisa, bool repete, std::string& resposta) {
  const bool cancelado = EnviaComando_Sweda("05", {}, avisa, repete);
  resposta = RetornoImpFiscal_Sweda("", true);
  return cancelado;
}

bool Cupom_NFiscNVinc_Sweda(const std::string& campo1, const std::string& campo2, const std::string& campo3,
                            const std::string& campo4) {
  return Send("19", {campo1, campo2, campo3, campo4});
}

bool Estado_Gaveta_Sweda(bool avisa, bool repete) { return EnviaComando_Sweda("22", {}, avisa, repete); }

bool Leitura_Totais_Sweda(bool avisa, bool repete) { return EnviaComando_Sweda("27", {}, avisa, repete); }

bool FechRelatGerenc_Sweda(bool avisa, bool repete) { return EnviaComando_Sweda("12", {}, avisa, repete); }

bool Estado_Imp_Sweda(bool avisa, bool repete) { return EnviaComando_Sweda("23", {}, avisa, repete); }

bool Numero_Cupom_Sweda() { return Send("27"); }

// No command: the supply is not registered on a Sweda printer.
bool Suprimento_Sweda(double /*valor*/) { return true; }

bool ImprimeTexto_Sweda(const std::string& texto) {
  // The printer refuses a text line inside a coupon; it is asked what it
  // holds unless the report of our last line is still open.
  if (!TextReportOpen()) {
    EnviaComando_Sweda("28", {}, false, true);
    if (CouponLeftOpen(RetornoImpFiscal_Sweda("", true))) {
      Log("ERRO!!! Cupom aberto. Texto nao impresso: " + texto.substr(0, texto.find('\n')));
      return false;
    }
  }
  // One printed line per command, a long line in pieces of the printer's
  // width: a voucher line is never cut.
  std::size_t start = 0;
  do {
    std::size_t end = texto.find('\n', start);
    if (end == std::string::npos) end = texto.size();
    std::string line = texto.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::size_t at = 0;
    do {
      if (!Send(kTextLine, {line.substr(at, kLineWidth)})) return false;
      at += kLineWidth;
    } while (at < line.size());
    start = end + 1;
  } while (start < texto.size());
  return true;
}

bool Formato_Chq(const std::string& texto) { return EnviaComando_Sweda("46", {"S", texto}, false, true); }

bool Altera_Chq(const std::string& campo1, const std::string& campo2) { return Send("45", {campo1, campo2}); }

// The check's amount, payee, place and date go as the front end wrote them.
bool Dados_Chq(const std::string& valor, const std::string& favorecido, const std::string& local,
               const std::string& data) {
  return Send("44", {valor, favorecido, local, data});
}

bool Fecha_Imp_Chq_Sweda(bool avisa, bool repete) { return EnviaComando_Sweda("_25", {}, avisa, repete); }

}  // namespace Qdm00200
