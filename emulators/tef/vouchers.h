// Voucher ("comprovante") text the manager hands back for printing: plain
// lines of at most 40 columns, without the quotes of the answer file.
#pragma once
#include <string>
#include <vector>

#include "emulators/common/clock.h"

namespace tef_emu {

// 123456 cents -> "1.234,56".
std::string money_text(long long cents);

struct SaleVoucher {
  std::string network;
  bool credit = false;
  std::string nsu;
  std::string authorisation;
  long long amount = 0;
  emu::DateTime moment;
};

struct CancellationVoucher {
  std::string network;
  std::string nsu;           // of the cancellation
  std::string original_nsu;  // of the cancelled sale
  long long amount = 0;
  emu::DateTime moment;
};

std::vector<std::string> voucher_lines(const SaleVoucher& sale);
std::vector<std::string> voucher_lines(const CancellationVoucher& cancellation);

}  // namespace tef_emu
