// What sets the three Bematech models apart, as data: whether the model
// opens a coupon of its own (the restaurant model opens them by table) and
// the lines the restaurant model's Z report prints before its net sales.
#pragma once

namespace Qdm00100::detail {

struct Model {
  int tipo;
  bool opens_coupon;    // "00": codes 1 and 2; the restaurant model by table
  int net_sales_shift;  // Z report: lines printed before the net sales
};

// The model of a Bematech type code; nullptr for a code of another maker.
const Model* ModelOf(int tipo);

}  // namespace Qdm00100::detail
