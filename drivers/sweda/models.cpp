#include "drivers/sweda/models.h"

#include <string_view>

#include "drivers/common/model_table.h"

namespace Qdm00200::detail {

namespace {

using drivers::TableRow;

// The codes of types 3, 4, 5 and 6 for the type-3 code.
struct ModelCodes {
  std::string_view by_type[4];
};

constexpr TableRow<std::string_view, ModelCodes> kTranslation[] = {
    {"22", {{"22", "43", "43", "43"}}},
    {"21", {{"21", "42", "42", "42"}}},
    {"12SN", {{"12SN", "12SN", "12N", "12N"}}},
};

constexpr TableRow<int, SwedaModel> kModels[] = {
    {3, {15, DiscountForm::PercentText}},
    {4, {15, DiscountForm::PercentText}},
    {5, {16, DiscountForm::FourDigits}},
    {6, {16, DiscountForm::FourDigits}},
};

int TypeIndex(int tipo) { return tipo >= 3 && tipo <= 6 ? tipo - 3 : 0; }

}  // namespace

const SwedaModel& ModelOf(int tipo) { return kModels[TypeIndex(tipo)].value; }

std::string TranslateCode(const std::string& comando, int tipo) {
  const ModelCodes* codes = drivers::Lookup(kTranslation, std::string_view(comando));
  return codes != nullptr ? std::string(codes->by_type[TypeIndex(tipo)]) : comando;
}

}  // namespace Qdm00200::detail
