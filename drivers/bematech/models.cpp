#include "drivers/bematech/models.h"

#include "drivers/common/model_table.h"

namespace Qdm00100::detail {

namespace {

constexpr drivers::TableRow<int, Model> kModels[] = {
    {1, {.tipo = 1, .opens_coupon = true, .net_sales_shift = 0}},
    {2, {.tipo = 2, .opens_coupon = true, .net_sales_shift = 0}},
    {9, {.tipo = 9, .opens_coupon = false, .net_sales_shift = 1}},
};

}  // namespace

const Model* ModelOf(int tipo) { return drivers::Lookup(kModels, tipo); }

}  // namespace Qdm00100::detail
