// The operator message catalogue of the cupom data module.
#pragma once
#include <string>
#include <vector>

namespace Qdm00000 {

// The 67 entries "key|text", in order.
const std::vector<std::string>& MessageCatalogue();

}  // namespace Qdm00000
