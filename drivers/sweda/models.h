// What tells the four Sweda models apart, as data: the command codes each
// expects in place of the type-3 ones, the width of a payment-method entry
// and the form of the item discount.
#pragma once
#include <string>
#include <string_view>

namespace Qdm00200::detail {

enum class DiscountForm { PercentText, FourDigits };

struct SwedaModel {
  int method_width;  // payment-method entry: the name, or a flag and the name
  DiscountForm discount;
  // Codes this model takes in place of the type-3 ones ("22" is "43"...).
  std::string_view drawer_state;   // "22"
  std::string_view printer_state;  // "21"
  std::string_view report_close;   // "12SN"
};

// The model of a Sweda type code; type 3 for any other code.
const SwedaModel& ModelOf(int tipo);
// The code the model expects for a type-3 code (unchanged when the model
// has no code of its own for it).
std::string TranslateCode(const std::string& comando, int tipo);

}  // namespace Qdm00200::detail
