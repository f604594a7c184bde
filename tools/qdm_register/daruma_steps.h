// What a sale does differently on a Daruma printer (type codes 7 and 8):
// the emulated "fs345_32.dll" keeps its memory and tape in the register's
// home, and the card vouchers go into a management report.
#pragma once
#include <string>

#include "platform/dataset/dataset.h"
#include "tools/qdm_register/register_session.h"

namespace qdm_register {

// Points the emulated Daruma printer of the model at the register's home;
// before the start, when the library is loaded.
void PrepareDaruma(const RegisterSession& session, int tipo);
// The front end keeps its payment types in "tiporece.cds" beside it: the
// Daruma driver reads it to pick totalizer letters no payment type uses.
void KeepPaymentTypesForDaruma(platform::TClientDataSet& recebimentos);
// Opens the report the vouchers are printed in (ImprCupons closes it).
bool OpenDarumaVoucher();

}  // namespace qdm_register
