// Frames a Sweda printer receives, taken from the examples and field rules
// of its command set, with the verdict the printer gives: what the emulated
// printer is held to, frame by frame, apart from any driver. Each example
// runs on a factory-fresh printer of the models named, its fiscal day
// today without movement and its tax rates T01 18,00, T02 12,00, T03 7,00
// and S04 5,00, after the frames of `before`; the answer must begin with
// `answer` (".+" accepted, ".+C" coupon data, ".-" refused).
//
// A frame is written as its code and arguments, without ESC "." and "}".
#pragma once
#include <string>
#include <vector>

namespace swdemu::examples {

struct WireExample {
  const char* models;               // the type codes it holds for: "3456", "4", ...
  std::vector<std::string> before;  // frames sent first, each accepted
  std::string frame;
  const char* answer;
  const char* why;
};

// The seven fields of an item sale: code (13), quantity (7, three implied
// decimals), unit price (9, two), item total (12, two), description (24),
// tax-rate code (3), promotion line (40).
inline std::string Item(const std::string& quantity, const std::string& price, const std::string& total,
                        const std::string& rate = "T01") {
  std::string description = "COCA COLA 2L";
  description.resize(24, ' ');
  std::string promotion = " Promocao COCA COLA 2L";
  promotion.resize(40, ' ');
  return "01"
         "0000000000123" +
         quantity + price + total + description + rate + promotion;
}

// An item discount: the discount again (10 characters on types 3 and 4,
// 4 digits on 5 and 6), then its 12 digits.
inline std::string Discount(const std::string& first, const std::string& amount) { return "02" + first + amount; }

inline const std::vector<WireExample>& WireExamples() {
  static const std::vector<WireExample> examples = {
      // The channel: the status request, the codes each model knows.
      {"3456", {}, "23", ".+", "status request ESC \".23}\""},
      {"3", {}, "22", ".+", "drawer state, type 3 code"},
      {"456", {}, "43", ".+", "drawer state, code of types 4 to 6"},
      {"456", {}, "22", ".-", "types 4 to 6 have no \"22\""},
      {"3", {}, "43", ".-", "type 3 has no \"43\""},
      {"3", {}, "21", ".+", "drawer opening, type 3 code"},
      {"456", {}, "42", ".+", "drawer opening, code of types 4 to 6"},
      {"34", {}, "12SN", ".+", "closing \"12SN\" on types 3 and 4"},
      {"56", {}, "12N", ".+", "closing \"12N\" on types 5 and 6"},
      {"56", {}, "12SN", ".-", "types 5 and 6 close with one flag"},
      {"34", {}, "12N", ".-", "types 3 and 4 close with two flags"},
      {"3456", {}, "27", ".+C", "coupon data"},
      {"3456", {}, "273", ".+C", "identity"},
      {"3456", {}, "28", ".+", "state"},

      // Table reads: the selectors of the printer's tables.
      {"3456", {}, "293", ".+", "tax rates, first table"},
      {"3456", {}, "294", ".+", "tax rates, second table"},
      {"3456", {}, "295", ".+", "tax rates and payment methods"},
      {"3456", {}, "296", ".+", "payment methods"},
      {"3456", {}, "297", ".+", "totalizers, first table"},
      {"3456", {}, "29D", ".+", "totalizers, last table"},
      {"3456", {}, "29E", ".-", "no such table"},

      // The coupon.
      {"3456", {}, "17", ".+", "opening"},
      {"3456", {"17"}, "17", ".-", "a coupon already open: operation not ended"},
      {"3456", {"17"}, Item("0002000", "000001250", "000000002500"), ".+", "quantity 2, unit price 12.5"},
      {"3456", {"17"}, Item("0001500", "000000200", "000000000300"), ".+", "quantity 1.5"},
      {"3456", {"17"}, Item("0001234", "000001000", "000000001234"), ".+", "quantity 1.2345 cut to 1.234"},
      {"3456", {"17"}, Item("0003000", "000001250", "000000003750"), ".+", "12.5 x 3 is 37.50"},
      {"3456",
       {"17"},
       Item("0003000", "000000100", "000000000299"),
       ".+",
       "0.999 x 3: the price rounds to 1.00, the total is cut from 2.997"},
      {"3456", {"17"}, Item("0003000", "000000115", "000000000345"), ".+", "1.15 x 3 is 3.45"},
      {"3456", {"17"}, Item("0003000", "000001250", "000000037500"), ".-", "a total ten times the sale"},
      {"3456", {"17"}, Item("0003000", "000001250", "000000003700"), ".-", "a total short of the sale"},
      {"3456", {"17"}, Item("000300", "000001250", "000000003750"), ".-", "a quantity of six digits"},
      {"3456", {"17"}, Item("0001000", "000000500", "000000000500", "T09"), ".-", "a tax rate the printer lacks"},
      {"3456", {"17"}, Item("0001000", "000000500", "000000000500", "F  "), ".+", "tax substitution"},
      {"3456", {"17"}, Item("0001000", "000000500", "000000000500", "S04"), ".+", "a service rate"},
      {"3456", {}, Item("0001000", "000000500", "000000000500"), ".-", "an item with no coupon open"},

      // The item discount, also when zero.
      {"34",
       {"17", Item("0002000", "000001250", "000000002500")},
       Discount("0,00% =   ", "000000000000"),
       ".+",
       "no discount, types 3 and 4"},
      {"34",
       {"17", Item("0002000", "000001250", "000000002500")},
       Discount("0.00% =   ", "000000000000"),
       ".+",
       "no discount, a point for decimal separator"},
      {"34",
       {"17", Item("0002000", "000001250", "000000002500")},
       Discount("0,50% =   ", "000000000050"),
       ".+",
       "a discount of 0.50, types 3 and 4"},
      {"56",
       {"17", Item("0002000", "000001250", "000000002500")},
       Discount("0000", "000000000000"),
       ".+",
       "no discount, types 5 and 6"},
      {"56",
       {"17", Item("0002000", "000001250", "000000002500")},
       Discount("0050", "000000000050"),
       ".+",
       "a discount of 0.50, types 5 and 6"},
      {"56",
       {"17", Item("0002000", "000001250", "000000002500")},
       Discount("0050", "000000000049"),
       ".-",
       "the two fields of a discount disagree"},
      {"34",
       {"17", Item("0002000", "000001250", "000000002500")},
       Discount("0000", "000000000000"),
       ".-",
       "the short form on types 3 and 4"},
      {"56",
       {"17", Item("0002000", "000001250", "000000002500")},
       Discount("0,00% =   ", "000000000000"),
       ".-",
       "the text form on types 5 and 6"},

      // Payment, item cancel, coupon cancel.
      {"3456", {"17", Item("0002000", "000001250", "000000002500")}, "1001000000003000", ".+", "cash payment"},
      {"3456", {"17", Item("0002000", "000001250", "000000002500")}, "041", ".+", "cancel item 1"},
      {"3456", {"17"}, "05", ".+", "cancel the open coupon"},

      // Readings and reductions.
      {"3456", {}, "13S", ".+", "X reading with a text"},
      {"3456", {}, "14101226", ".+", "Z reduction dated 10/12/26"},
      {"3456", {}, "14991226", ".-", "a Z reduction with an impossible date"},
      {"3456", {}, "16011226101226", ".+", "fiscal memory between two dates"},
      {"3456", {}, "1600010002", ".+", "fiscal memory between two reductions"},

      // Table programming, only before the day's first movement.
      {"3456", {}, "38N&TOTALIZ       +Suprimento    -Sangria       ", ".+", "cash totalizers"},
      {"3456", {"17"}, "38N&TOTALIZ       +Suprimento    -Sangria       ", ".-", "totalizers on a day with movement"},
      {"34", {}, "39Dinheiro       #Cheque        ", ".+", "methods of 15 characters"},
      {"56", {}, "39SDinheiro       S#Cheque        ", ".+", "methods of a flag and 15 characters"},
      {"34", {}, "39SDinheiro       S#Cheque        ", ".-", "the wide list on types 3 and 4"},

      // The check station of type 4: the four texts as the register gives them.
      {"4", {}, "46SBANCO", ".+", "check format"},
      {"4", {}, "45001LAYOUT", ".+", "check layout"},
      {"4", {}, "44150,00FULANO DE TALSAO PAULO10122026", ".+", "check data, amount as written"},
      {"4", {}, "4415000FULANO DE TALSAO PAULO10122026", ".+", "check data, amount in digits"},
      {"4", {}, "44", ".-", "check data with nothing"},
      {"4", {"44150,00FULANO DE TALSAO PAULO10122026"}, "_25", ".+", "end of check printing"},
      {"4", {}, "_25", ".-", "no check in progress"},
      {"356", {}, "44150,00FULANO DE TALSAO PAULO10122026", ".-", "no check station"},
  };
  return examples;
}

}  // namespace swdemu::examples
