// The fixed-width fields of an item sale ("01") and its discount ("02"),
// by model. Every number is checked against its field before anything is
// sent: a value that does not fit is refused, never cut.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace Qdm00200::detail {

struct ItemFrames {
  std::vector<std::string> sale;      // the seven fields of "01"
  std::vector<std::string> discount;  // the two fields of "02"
};

// Nothing (and the misfit reported) when a number does not fit its field.
std::optional<ItemFrames> BuildItem(int tipo, const std::string& codigo,
                                    const std::string& descricao, const std::string& aliquota,
                                    double quantidade, double preco, double desconto);

}  // namespace Qdm00200::detail
