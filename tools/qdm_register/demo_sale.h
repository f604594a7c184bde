// The demo register's runs on the emulated devices:
//  - a sale: configuration, start-up, items, part of the payment by card,
//    the closing with a discount, cash and the buyer's CPF, the card voucher
//    in two copies and its confirmation;
//  - the recovery of card payments: a sale abandoned after the card was
//    approved, and an approval left unconfirmed by a run that was killed.
#pragma once
#include <string>

#include "tools/qdm_register/register_session.h"

namespace qdm_register {

struct SaleOptions {
  std::string caixa = "001";
  bool card = true;         // pay part of the sale by card through the TEF manager
  double discount = 0.50;   // on the coupon's subtotal, at the closing
  int tipo = 1;             // printer type code of a new register (7, 8: Daruma)
  bool tipo_given = false;  // --tipo was given (an existing configuration keeps its own)
};

// Each answers the process exit status: 0 when every step went through.
int RunDemoSale(RegisterSession& session, const SaleOptions& options);
int RunRecoveryDemo(RegisterSession& session, const SaleOptions& options);

}  // namespace qdm_register
