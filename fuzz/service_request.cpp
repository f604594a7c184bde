// A request body as the device service decodes it, for every route: any
// bytes end in a decoded request or in a problem naming what is wrong,
// never in a fault; a decoded text holds no control byte and fits its
// field, an amount fits the printer's, and every problem is answerable.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "tools/qdm_service/requests.h"

using namespace qdm_service;

namespace {

void CheckText(const std::string& text, std::size_t max) {
  if (text.size() > max) fuzzsupport::Broken("a decoded text fits its field");
  for (unsigned char c : text)
    if (c < 0x20 || c == 0x7F) fuzzsupport::Broken("a decoded text holds no control byte");
}

void CheckAmount(std::int64_t cents) {
  if (cents < 0 || cents > 99999999999999) fuzzsupport::Broken("an amount fits 14 digits");
  if (AmountDigits(cents).size() != 14) fuzzsupport::Broken("an amount is sent as 14 digits");
}

template <class Decode>
void Try(Decode&& decode) {
  try {
    decode();
  } catch (const ProblemError& e) {
    const Reply reply = ProblemReply(e.problem());
    if (reply.status < 400 || reply.status > 599) fuzzsupport::Broken("a problem answers an error status");
    if (Json::parse(reply.body, nullptr, false).is_discarded()) fuzzsupport::Broken("a problem is JSON");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  Try([&] { DecodeEmpty(body); });
  Try([&] {
    const SaleOrder order = DecodeSale(body);
    CheckText(order.key, 64);
    if (order.canonical.empty()) fuzzsupport::Broken("a sale has its canonical form");
    for (const QdmVenda::Item& item : order.sale.items) {
      CheckText(item.code, 13);
      CheckText(item.description, 200);
      if (!(item.quantity >= 0 && item.quantity < 10000)) fuzzsupport::Broken("a quantity fits 4+3 digits");
      if (!(item.unit_price >= 0 && item.unit_price < 1000000)) fuzzsupport::Broken("a price fits 6+2 digits");
    }
    for (const QdmVenda::Payment& payment : order.sale.payments) CheckText(payment.type, 3);
  });
  Try([&] { CheckAmount(DecodeCashMovement(body).cents); });
  Try([&] {
    const NonFiscalReceipt receipt = DecodeNonFiscalReceipt(body);
    CheckText(receipt.totalizer, 2);
    CheckText(receipt.method, 16);
    CheckAmount(receipt.cents);
  });
  Try([&] {
    for (const std::string& line : DecodeManagementReport(body).lines) CheckText(line, 48);
  });
  Try([&] {
    const DisplayLines lines = DecodeDisplayLines(body);
    CheckText(lines.line1, kDisplayColumns);
    CheckText(lines.line2, kDisplayColumns);
  });
  Try([&] { CheckText(DecodeBadge(body).number, 20); });
  Try([&] {
    const RawCommand raw = DecodeRawCommand(body);
    CheckText(raw.command, 8);
    for (const std::string& field : raw.fields) CheckText(field, 620);
  });
  Try([&] {
    const std::string given(body);
    const int ms = DecodeWait(&given, 30000, 120000);
    if (ms < 0 || ms > 120000) fuzzsupport::Broken("a wait lies within its bound");
  });
  Try([&] {
    // Two requests are the same request exactly when their canonical forms
    // agree: the form reads back as the same form.
    const std::string canonical = RequestBody::Parse(body).Canonical();
    if (RequestBody::Parse(canonical).Canonical() != canonical) fuzzsupport::Broken("the canonical form is stable");
  });
  return 0;
}
