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

}  // namespace

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
    Fail("campo_invalido",
         "espera: milissegundos de 0 a " + std::to_string(max_ms) + " (veio \"" + platform::Utf8ToCp1252(*given) +
             "\")",
         "espera");
  return static_cast<int>(ms);
}

std::string AmountText(std::int64_t cents) { return DecimalText(cents, kAmount.decimals); }

std::string AmountDigits(std::int64_t cents) {
  const std::string digits = std::to_string(cents);
  return std::string(digits.size() < 14 ? 14 - digits.size() : 0, '0') + digits;
}

}  // namespace qdm_service
