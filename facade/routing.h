// Routing of a facade operation to the driver of the printer in use. Each
// operation lists one slot per maker (Bematech, then Sweda, then Daruma),
// each with the type codes it serves; the first slot whose codes hold the
// current IdTipoImpFis answers. A slot without a call answers false (or an
// empty text), never the success some operations give a code no maker
// serves.
#pragma once
#include <functional>
#include <initializer_list>

#include "drivers/common/driver_services.h"
#include "drivers/common/type_codes.h"

namespace Qdm00000 {

template <typename R>
struct Slot {
  CodeSet codes;
  std::function<R()> call;  // empty: the maker does not serve the operation
};

// Answers the call of the first slot serving the current type code, or
// `unserved` when no slot serves it.
template <typename R>
R Route(std::initializer_list<Slot<R>> slots, R unserved = R{}) {
  const int tipo = IdTipoImpFis;
  for (const Slot<R>& slot : slots) {
    if (!slot.codes.Has(tipo)) continue;
    return slot.call ? slot.call() : R{};
  }
  return unserved;
}

// The same for operations without a result.
inline void Run(std::initializer_list<Slot<void>> slots) {
  const int tipo = IdTipoImpFis;
  for (const Slot<void>& slot : slots) {
    if (!slot.codes.Has(tipo)) continue;
    if (slot.call) slot.call();
    return;
  }
}

}  // namespace Qdm00000
