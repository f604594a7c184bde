// The printer type codes (IdTipoImpFis) each maker serves, in one place:
// the facade routes by them, the drivers and the TEF vouchers read them.
#pragma once
#include <initializer_list>
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace Qdm00000 {

// A set of printer type codes, as a bit per code.
struct CodeSet {
  unsigned bits = 0;
  constexpr bool Has(int tipo) const { return tipo >= 0 && tipo < 32 && ((bits >> tipo) & 1u) != 0; }
};

constexpr CodeSet Codes(std::initializer_list<int> tipos) {
  CodeSet set;
  for (int tipo : tipos) set.bits |= 1u << tipo;
  return set;
}

// The makers' code ranges and the narrower sets some operations serve.
inline constexpr CodeSet kBematech = Codes({1, 2, 9});
inline constexpr CodeSet kBematechRetail = Codes({1, 2});
inline constexpr CodeSet kBematechRestaurant = Codes({9});
inline constexpr CodeSet kSweda = Codes({3, 4, 5, 6});
inline constexpr CodeSet kSwedaCheckModel = Codes({4});
inline constexpr CodeSet kDaruma = Codes({7, 8});

constexpr bool IsBematech(int tipo) { return kBematech.Has(tipo); }  // 1, 2, 9
constexpr bool IsSweda(int tipo) { return kSweda.Has(tipo); }        // 3..6
constexpr bool IsDaruma(int tipo) { return kDaruma.Has(tipo); }      // 7, 8

}  // namespace Qdm00000

PKG_QDM_PUBLIC_END
