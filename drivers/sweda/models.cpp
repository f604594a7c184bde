#include "drivers/sweda/models.h"

#include "drivers/common/model_table.h"

namespace Qdm00200::detail {

namespace {

using drivers::TableRow;

constexpr TableRow<int, SwedaModel> kModels[] = {
    {3,
     {.method_width = 15,
      .discount = DiscountForm::PercentText,
      .drawer_state = "22",
      .printer_state = "21",
      .report_close = "12SN"}},
    {4,
     {.method_width = 15,
      .discount = DiscountForm::PercentText,
      .drawer_state = "43",
      .printer_state = "42",
      .report_close = "12SN"}},
    {5,
     {.method_width = 16,
      .discount = DiscountForm::FourDigits,
      .drawer_state = "43",
      .printer_state = "42",
      .report_close = "12N"}},
    {6,
     {.method_width = 16,
      .discount = DiscountForm::FourDigits,
      .drawer_state = "43",
      .printer_state = "42",
      .report_close = "12N"}},
};

// The type-3 codes a model may take in place of, and where its own stands.
constexpr TableRow<std::string_view, std::string_view SwedaModel::*> kTranslated[] = {
    {"22", &SwedaModel::drawer_state},
    {"21", &SwedaModel::printer_state},
    {"12SN", &SwedaModel::report_close},
};

}  // namespace

const SwedaModel& ModelOf(int tipo) {
  const SwedaModel* model = drivers::Lookup(kModels, tipo);
  return model != nullptr ? *model : kModels[0].value;
}

std::string TranslateCode(const std::string& comando, int tipo) {
  const auto* own = drivers::Lookup(kTranslated, std::string_view(comando));
  return own != nullptr ? std::string(ModelOf(tipo).**own) : comando;
}

}  // namespace Qdm00200::detail
