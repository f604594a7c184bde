// What tells the four Sweda models apart, as data: the command codes each
// expects in place of the type-3 ones, the width of a payment-method entry
// and the form of the item discount.
#pragma once
#include <string>

namespace Qdm00200::detail {

enum class DiscountForm { PercentText, FourDigits };

struct SwedaModel {
  int tipo;
  const char* drawer_state;  // for "22"
  const char* drawer_open;   // for "21"
  const char* close_flags;   // for "12SN"
  int method_width;          // payment-method entry: name, or flag and name
  DiscountForm discount;
};

// The model of a Sweda type code; type 3 for any other code.
const SwedaModel& ModelOf(int tipo);
// The code the model expects for a type-3 code (unchanged when the model
// has no code of its own for it).
std::string TranslateCode(const std::string& comando, int tipo);

}  // namespace Qdm00200::detail
