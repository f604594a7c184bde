// The printer against the wire's own rules: frames written out byte for
// byte here, as the register's commands put them (the frame, each field's
// width and digits), never built by the driver's code, each with what the
// printer does with it: takes it, or refuses it with its status bits.
// The driver's tests check what the driver sends against this printer, so
// a driver that strays from these frames is refused, and a printer that
// strayed with it would fail here.
#include <cctype>

#include "printer_fixture.h"

namespace mp20test {
namespace {

// ESC "|" body "|" ESC: the body is the code and its fields, joined by "|".
std::string Frame(const std::string& body) { return "\x1B|" + body + "|\x1B"; }

// What stands before the frame, each step itself a frame the printer takes.
enum class Before { Rest, Totalizer, Coupon, Item, Closing, Paid, Closed, Voucher, Report, Reduced, Table };

std::vector<std::string> Steps(Before before) {
  const std::string open = Frame("00");
  const std::string item = Frame("09|0000000000001|ARROZ|FF|0002|00001000|0000");  // 2 x 10,00
  const std::string closing = Frame("32|D|0000");
  const std::string paid = Frame("72|01|00000000002000");
  const std::string footer = Frame("34| ");
  switch (before) {
    case Before::Rest:
      return {};
    case Before::Totalizer:
      return {Frame("40|01|CONTRA-VALE EMITIDO")};
    case Before::Coupon:
      return {open};
    case Before::Item:
      return {open, item};
    case Before::Closing:
      return {open, item, closing};
    case Before::Paid:
      return {open, item, closing, paid};
    case Before::Closed:
      return {open, item, closing, paid, footer};
    case Before::Voucher:
      return {open, item, closing, paid, footer, Frame("66|Dinheiro|00000000002000|000001")};
    case Before::Report:
      return {Frame("20| ")};
    case Before::Reduced:
      return {Frame("05")};
    case Before::Table:
      return {Frame("80|48|12|00001000|01|00000000|002000|00000000000001|ARROZ|FF")};
  }
  return {};
}

struct WireCase {
  const char* name;
  Before before;
  std::string frame;
  int st1 = 0, st2 = 0;  // both 0: taken
};

constexpr int kFieldCount = 0x01;   // ST1 bit 0
constexpr int kSyntax = 0x08;       // ST1 bit 3
constexpr int kFieldType = 0x80;    // ST2 bit 7
constexpr int kNotExecuted = 0x01;  // ST2 bit 0

const std::string k620(620, 'A');
const std::string k29(29, 'D');

const WireCase kCases[] = {
    // The frame itself.
    {"status, bytes 1B 7C 31 39 7C 1B", Before::Rest, "\x1B\x7C\x31\x39\x7C\x1B"},
    {"variable 27, nine bytes", Before::Rest, "\x1B\x7C\x33\x35\x7C\x32\x37\x7C\x1B"},
    {"frame without its closing bar", Before::Rest, "\x1B|19\x1B", kSyntax, 0},
    {"frame without its escapes", Before::Rest, "|19|", kSyntax, 0},
    // Start-up, port and tables.
    {"clock", Before::Rest, Frame("35|23")},
    {"printer number", Before::Rest, Frame("35|14")},
    {"serial", Before::Rest, Frame("35|00")},
    {"totalizer names", Before::Rest, Frame("35|25")},
    {"service-rate map", Before::Rest, Frame("35|29")},
    {"rate table", Before::Rest, Frame("26")},
    {"acknowledge at port opening", Before::Rest, Frame("12")},
    {"payment method by name", Before::Rest, Frame("71|Dinheiro")},
    {"payment method name of 16", Before::Rest, Frame("71|" + std::string(16, 'P'))},
    {"payment method name of 17", Before::Rest, Frame("71|" + std::string(17, 'P')), 0, kFieldType},
    {"totalizer named, two fields", Before::Rest, Frame("40|01|CONTRA-VALE EMITIDO")},
    {"totalizer named, four fields", Before::Rest, Frame("40|01|Relatorios||")},
    // The coupon.
    {"open", Before::Rest, Frame("00")},
    {"item, whole quantity in four digits", Before::Coupon, Frame("09|0000000000001|ARROZ|FF|0001|00001000|0000")},
    {"item, quantity 1.5 in seven digits", Before::Coupon, Frame("09|0000000000001|ARROZ|FF|0001500|00001000|0000")},
    {"item, discount in eight digits", Before::Coupon, Frame("09|0000000000001|ARROZ|FF|0001|00001000|00000050")},
    {"item, description of 29", Before::Coupon, Frame("09|0000000000001|" + k29 + "|FF|0001|00001000|0000")},
    {"item, description of 30", Before::Coupon, Frame("09|0000000000001|" + k29 + "D|FF|0001|00001000|0000"), 0,
     kFieldType},
    {"item, code of 12", Before::Coupon, Frame("09|000000000001|ARROZ|FF|0001|00001000|0000"), 0, kFieldType},
    {"item, code of 14", Before::Coupon, Frame("09|00000000000001|ARROZ|FF|0001|00001000|0000"), 0, kFieldType},
    {"item, quantity with a comma", Before::Coupon, Frame("09|0000000000001|ARROZ|FF|001,50|00001000|0000"), 0,
     kFieldType},
    {"item, price of seven digits", Before::Coupon, Frame("09|0000000000001|ARROZ|FF|0001|0001000|0000"), 0,
     kFieldType},
    {"item, discount of three zeros", Before::Coupon, Frame("09|0000000000001|ARROZ|FF|0001|00001000|000"), 0,
     kFieldType},
    {"item, five fields", Before::Coupon, Frame("09|0000000000001|ARROZ|FF|0001|00001000"), kFieldCount, 0},
    {"item cancelled by number", Before::Item, Frame("31|001")},
    {"surcharge in ten digits", Before::Item, Frame("62|50|0000000100")},
    {"surcharge in nine digits", Before::Item, Frame("62|50|000000100"), 0, kFieldType},
    {"coupon cancelled", Before::Item, Frame("14")},
    {"coupon number", Before::Item, Frame("30")},
    // The closing.
    {"closing without discount", Before::Item, Frame("32|D|0000")},
    {"closing with a discount amount", Before::Item, Frame("32|d|00000000000100")},
    {"closing with a surcharge amount", Before::Item, Frame("32|a|00000000000200")},
    {"discount amount in four digits", Before::Item, Frame("32|d|0000"), 0, kFieldType},
    {"payment, method and fourteen digits", Before::Closing, Frame("72|01|00000000002000")},
    {"payment, method in three digits", Before::Closing, Frame("72|001|00000000002000"), 0, kFieldType},
    {"payment, amount in thirteen digits", Before::Closing, Frame("72|01|0000000002000"), 0, kFieldType},
    {"footer, one blank", Before::Paid, Frame("34| ")},
    {"footer, buyer's lines", Before::Paid, Frame("34|\nCNPJ/CPF : 12345678909\nNome : MARIA\n")},
    {"footer before the payments", Before::Closing, Frame("34| "), 0, kNotExecuted},
    {"fiscal flags", Before::Closing, Frame("35|17")},
    {"payment-method slots", Before::Closing, Frame("35|32")},
    // Receipts, vouchers and reports.
    {"change voucher on a totalizer, paid in cash", Before::Totalizer, Frame("25|01|00000000000500|Dinheiro")},
    {"receipt on a totalizer without a method field", Before::Totalizer, Frame("25|01|00000000000500"), kFieldCount, 0},
    {"supply, two fields", Before::Rest, Frame("25|SU|00000000000001")},
    {"withdrawal, two fields", Before::Rest, Frame("25|SA|00000000000300")},
    {"supply with a method field", Before::Rest, Frame("25|SU|00000000000001|"), kFieldCount, 0},
    {"voucher linked to the coupon", Before::Closed, Frame("66|Dinheiro|00000000000001|000001")},
    {"voucher linked to the last coupon", Before::Closed, Frame("66|Dinheiro|00000000000001|")},
    {"text block of 620", Before::Voucher, Frame("67|" + k620)},
    {"text block of 621", Before::Voucher, Frame("67|" + k620 + "A"), 0, kFieldType},
    {"voucher closed", Before::Voucher, Frame("21")},
    {"management report, one blank", Before::Rest, Frame("20| ")},
    {"management report without its field", Before::Rest, Frame("20"), kFieldCount, 0},
    {"text into the report", Before::Report, Frame("67|RELATORIO\n")},
    {"report closed", Before::Report, Frame("21")},
    // Readings.
    {"X reading", Before::Rest, Frame("06")},
    {"Z reduction", Before::Rest, Frame("05")},
    {"fiscal memory by dates", Before::Reduced, Frame("08|120626|120626|")},
    {"totals", Before::Rest, Frame("27")},
    {"reduction report after a Z", Before::Reduced, Frame("69")},
    {"movement date", Before::Rest, Frame("35|27")},
    // Drawer.
    {"drawer opened", Before::Rest, Frame("22|255")},
    {"drawer state", Before::Rest, Frame("23")},
    // The restaurant model.
    {"table item", Before::Rest, Frame("80|48|12|00001000|01|00000000|001500|00000000000001|ARROZ|FF")},
    {"table item, code of 13", Before::Rest, Frame("80|48|12|00001000|01|00000000|001500|0000000000001|ARROZ|FF"), 0,
     kFieldType},
    {"table item, quantity in seven digits", Before::Rest,
     Frame("80|48|12|00001000|01|00000000|0001500|00000000000001|ARROZ|FF"), 0, kFieldType},
    {"table item cancelled", Before::Table, Frame("80|49|0012|00001000|01|00000000|002000|00000000000001|ARROZ|FF")},
    {"table item cancelled, table of 2", Before::Table,
     Frame("80|49|12|00001000|01|00000000|002000|00000000000001|ARROZ|FF"), 0, kFieldType},
    {"table check closed, nothing", Before::Rest, Frame("80|58|0|00000000000000")},
    {"tables joined", Before::Table, Frame("80|51|13|12")},
    {"table's coupon", Before::Table, Frame("80|52|12|")},
    {"item moved", Before::Table, Frame("80|53|12|0000|13|00001000|002000|00000000000001|ARROZ||")},
    {"item moved, code of 13", Before::Table, Frame("80|53|12|0000|13|00001000|002000|0000000000001|ARROZ||"), 0,
     kFieldType},
    {"reversal, share 5.5%", Before::Table, Frame("74|12|1|0550")},
    {"open tables", Before::Table, Frame("80|54|12")},
    {"menu, no fields", Before::Table, Frame("80|55")},
};

void PrintTo(const WireCase& c, std::ostream* out) { *out << c.name; }

class WireRulesTest : public PrinterTest, public ::testing::WithParamInterface<WireCase> {};

TEST_P(WireRulesTest, TakesOrRefusesAsTheWireRulesSay) {
  const WireCase& c = GetParam();
  for (const std::string& step : Steps(c.before)) ASSERT_TRUE(SendFrame(step).Clean()) << step;
  const Reply reply = SendFrame(c.frame);
  EXPECT_EQ(reply.sent, 0) << "the library takes the bytes";
  EXPECT_EQ(reply.ack, 6);
  EXPECT_EQ(reply.st1 & ~(kCouponOpenBit), c.st1) << reply;
  EXPECT_EQ(reply.st2, c.st2) << reply;
}

INSTANTIATE_TEST_SUITE_P(Frames, WireRulesTest, ::testing::ValuesIn(kCases), [](const auto& info) {
  std::string name;
  for (char ch : std::string(info.param.name)) name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
  return name;
});

}  // namespace
}  // namespace mp20test
