// The demo register's sale: configuration, start-up, items, closing with a
// discount, two payments and the buyer's CPF, on the emulated printer.
#pragma once
#include <string>

#include "tools/qdm_register/register_session.h"

namespace qdm_register {

struct SaleOptions {
  std::string caixa = "001";
  bool card = true;  // pay part of the sale by card through the TEF manager
};

// Answers the process exit status: 0 when every step went through.
int RunDemoSale(RegisterSession& session, const SaleOptions& options);

// Prints a step and its outcome; answers ok.
bool Step(const std::string& what, bool ok);

}  // namespace qdm_register
