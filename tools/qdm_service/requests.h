// What each route's request carries, decoded from its JSON body on the
// HTTP worker before anything reaches the devices: the fields as the
// printers' fields hold them. Each decoder raises ProblemError (400)
// naming the field at fault; the fuzz target runs them all on any input.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sale/QdmVenda.h"
#include "tools/qdm_service/exact_decimal.h"
#include "tools/qdm_service/request_decoder.h"

namespace qdm_service {

// Amounts of cash movements and receipts: 14 digits with two implied
// decimals on every maker's printer.
inline constexpr DecimalField kAmount{12, 2};
// The widest customer display the service drives.
inline constexpr std::size_t kDisplayColumns = 20;

// A body that must carry nothing (or {}).
void DecodeEmpty(std::string_view body);

struct CashMovement {
  std::int64_t cents = 0;
};
CashMovement DecodeCashMovement(std::string_view body);

struct NonFiscalReceipt {
  std::string totalizer;  // Windows-1252, as every text below
  std::int64_t cents = 0;
  std::string method;
};
NonFiscalReceipt DecodeNonFiscalReceipt(std::string_view body);

struct ManagementReport {
  std::vector<std::string> lines;
};
ManagementReport DecodeManagementReport(std::string_view body);

struct DisplayLines {
  std::string line1, line2;
};
DisplayLines DecodeDisplayLines(std::string_view body);

struct Badge {
  std::string number;
};
Badge DecodeBadge(std::string_view body);

struct RawCommand {
  std::string command;
  std::vector<std::string> fields;
};
RawCommand DecodeRawCommand(std::string_view body);

// A sale in one call, as POST /v1/vendas carries it: the caller's key,
// the request in its canonical form (the same request is the same sale)
// and the sale as the sale module takes it. Every amount is read exactly
// in its field and handed over as the cents (or thousandths) it holds.
struct SaleOrder {
  std::string key;
  std::string canonical;
  QdmVenda::Sale sale;
};
// The key's characters: letters, digits and ._:-, 1 to 64 of them.
inline constexpr TextField kSaleKey{64, false, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz._:-"};
SaleOrder DecodeSale(std::string_view body);

// The `espera` of a request in milliseconds: `given` when there is one
// (0 to `max_ms`), else `default_ms`.
int DecodeWait(const std::string* given, int default_ms, int max_ms);

// "12.34" for the amount's cents; the 14 digits a receipt takes.
std::string AmountText(std::int64_t cents);
std::string AmountDigits(std::int64_t cents);

}  // namespace qdm_service
