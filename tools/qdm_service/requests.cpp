#include "tools/qdm_service/requests.h"

#include "platform/base/encoding.h"

namespace qdm_service {

namespace {

constexpr const char* kLettersAndDigits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// The non-fiscal totalizer, as the printer numbers or letters it.
constexpr TextField kTotalizer{2, false, kLettersAndDigits};
// A payment method's name: 16 characters in the printer's table.
constexpr TextField kMethodName{16, true};
// A line of a management report: the printer's 48 columns.
constexpr TextField kReportLine{48, true};
constexpr std::size_t kMaxReportLines = 200;
constexpr TextField kDisplayLine{kDisplayColumns, true};
// A badge number, digits only.
constexpr TextField kBadge{20, false, "0123456789"};
// The printer's own command and its fields (a Bematech text block holds
// 620 characters).
constexpr TextField kCommandCode{8, false, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz|"};
constexpr TextField kCommandField{620, true};
constexpr std::size_t kMaxCommandFields = 16;

// The sale's fields as the printers' commands hold them: an item's code
// (13) and description (29 on the MP-20 FI; the sale module cuts it to
// the printer's width), quantity 4+3 digits, unit price and discount 6+2,
// a tax rate 2+2; the coupon's discount and the payments 12+2.
constexpr TextField kItemCode{13, false};
constexpr TextField kItemDescription{200, false};
constexpr DecimalField kQuantity{4, 3};
constexpr DecimalField kUnitPrice{6, 2};
constexpr DecimalField kTaxRate{2, 2};
constexpr TextField kTaxKind{1, false, "TSFIN"};
constexpr TextField kAliquota{2, false, kLettersAndDigits};
constexpr TextField kPaymentType{3, false, "0123456789"};
constexpr TextField kBuyerId{18, false, "0123456789./-"};
constexpr TextField kBuyerName{30, true};
constexpr std::size_t kMaxItems = 200;
constexpr std::size_t kMaxPayments = 10;

double Units(std::int64_t units, const DecimalField& field) { return UnitsToDouble(units, field.decimals); }

QdmVenda::Item DecodeItem(const RequestBody& body) {
  QdmVenda::Item item;
  item.code = body.Text("codigo", kItemCode);
  item.description = body.Text("descricao", kItemDescription);
  item.quantity = Units(body.Decimal("quantidade", kQuantity), kQuantity);
  item.unit_price = Units(body.Decimal("precoUnitario", kUnitPrice), kUnitPrice);
  item.discount = Units(body.OptionalDecimal("desconto", kUnitPrice).value_or(0), kUnitPrice);
  const std::optional<RequestBody> tax = body.OptionalObject("tributacao");
  const std::optional<std::string> aliquota = body.OptionalText("aliquota", kAliquota);
  if (tax.has_value() == aliquota.has_value())
    Fail("campo_invalido", "Cada item leva tributacao (tipo e percentual) ou aliquota, um dos dois",
         body.Path("tributacao"));
  if (tax) {
    item.tax_kind = tax->Text("tipo", kTaxKind);
    item.tax_rate = Units(tax->OptionalDecimal("percentual", kTaxRate).value_or(0), kTaxRate);
    tax->NoOtherFields();
  } else {
    item.aliquota = *aliquota;
  }
  body.NoOtherFields();
  return item;
}

}  // namespace

SaleOrder DecodeSale(std::string_view text) {
  const RequestBody body = RequestBody::Parse(text);
  SaleOrder order;
  order.key = body.Text("idVenda", kSaleKey);
  for (const RequestBody& item : body.ObjectList("itens", kMaxItems)) order.sale.items.push_back(DecodeItem(item));
  order.sale.discount = Units(body.OptionalDecimal("desconto", kAmount).value_or(0), kAmount);
  for (const RequestBody& payment : body.ObjectList("pagamentos", kMaxPayments)) {
    QdmVenda::Payment p;
    p.type = payment.Text("tipo", kPaymentType);
    p.amount = Units(payment.Decimal("valor", kAmount), kAmount);
    p.card = payment.Bool("cartao", false);
    payment.NoOtherFields();
    order.sale.payments.push_back(p);
  }
  if (const std::optional<RequestBody> buyer = body.OptionalObject("comprador")) {
    order.sale.buyer_id = buyer->Text("documento", kBuyerId);
    order.sale.buyer_name = buyer->OptionalText("nome", kBuyerName).value_or("");
    buyer->NoOtherFields();
  }
  body.NoOtherFields();
  order.canonical = body.Canonical();
  return order;
}

void DecodeEmpty(std::string_view body) { RequestBody::Parse(body).NoOtherFields(); }

CashMovement DecodeCashMovement(std::string_view body) {
  const RequestBody request = RequestBody::Parse(body);
  CashMovement movement{request.Decimal("valor", kAmount)};
  request.NoOtherFields();
  return movement;
}

NonFiscalReceipt DecodeNonFiscalReceipt(std::string_view body) {
  const RequestBody request = RequestBody::Parse(body);
  NonFiscalReceipt receipt;
  receipt.totalizer = request.Text("totalizador", kTotalizer);
  receipt.cents = request.Decimal("valor", kAmount);
  receipt.method = request.OptionalText("formaPagamento", kMethodName).value_or("");
  request.NoOtherFields();
  // The supply and the withdrawal have routes of their own, with their checks.
  if (receipt.totalizer == "SU" || receipt.totalizer == "SA")
    Fail("campo_invalido", "Use /v1/suprimento ou /v1/sangria para o suprimento e a sangria", "totalizador");
  return receipt;
}

ManagementReport DecodeManagementReport(std::string_view body) {
  const RequestBody request = RequestBody::Parse(body);
  ManagementReport report{request.TextList("linhas", kReportLine, kMaxReportLines)};
  request.NoOtherFields();
  return report;
}

DisplayLines DecodeDisplayLines(std::string_view body) {
  const RequestBody request = RequestBody::Parse(body);
  DisplayLines lines;
  lines.line1 = request.Text("linha1", kDisplayLine);
  lines.line2 = request.OptionalText("linha2", kDisplayLine).value_or("");
  request.NoOtherFields();
  return lines;
}

Badge DecodeBadge(std::string_view body) {
  const RequestBody request = RequestBody::Parse(body);
  Badge badge{request.Text("matricula", kBadge)};
  request.NoOtherFields();
  return badge;
}

RawCommand DecodeRawCommand(std::string_view body) {
  const RequestBody request = RequestBody::Parse(body);
  RawCommand raw;
  raw.command = request.Text("comando", kCommandCode);
  if (request.Has("parametros")) raw.fields = request.TextList("parametros", kCommandField, kMaxCommandFields, true);
  request.NoOtherFields();
  return raw;
}

int DecodeWait(const std::string* given, int default_ms, int max_ms) {
  if (!given) return default_ms;
  std::int64_t ms = 0;
  if (ParseDecimal(*given, DecimalField{9, 0}, ms) != DecimalFault::None || ms > max_ms)
    Fail(
        "campo_invalido",
        "espera: milissegundos de 0 a " + std::to_string(max_ms) + " (veio \"" + platform::Utf8ToCp1252(*given) + "\")",
        "espera");
  return static_cast<int>(ms);
}

std::string AmountText(std::int64_t cents) { return DecimalText(cents, kAmount.decimals); }

std::string AmountDigits(std::int64_t cents) {
  const std::string digits = std::to_string(cents);
  return std::string(digits.size() < 14 ? 14 - digits.size() : 0, '0') + digits;
}

}  // namespace qdm_service
