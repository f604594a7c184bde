#include "drivers/sweda/models.h"

#include <array>

namespace Qdm00200::detail {

namespace {

constexpr std::array<SwedaModel, 4> kModels{{
    {3, "22", "21", "12SN", 15, DiscountForm::PercentText},
    {4, "43", "42", "12SN", 15, DiscountForm::PercentText},
    {5, "43", "42", "12N", 16, DiscountForm::FourDigits},
    {6, "43", "42", "12N", 16, DiscountForm::FourDigits},
}};

}  // namespace

const SwedaModel& ModelOf(int tipo) {
  for (const SwedaModel& model : kModels)
    if (model.tipo == tipo) return model;
  return kModels[0];
}

std::string TranslateCode(const std::string& comando, int tipo) {
  const SwedaModel& model = ModelOf(tipo);
  if (comando == "22") return model.drawer_state;
  if (comando == "21") return model.drawer_open;
  if (comando == "12SN") return model.close_flags;
  return comando;
}

}  // namespace Qdm00200::detail
