// A register on a Daruma printer (type codes 7 and 8): the emulated
// "fs345_32.dll" keeps its memory and tape in the register's home. The sale
// itself differs only inside the library's sale module.
#pragma once

#include "tools/qdm_register/register_session.h"

namespace qdm_register {

// Points the emulated Daruma printer of the model at the register's home;
// before the start, when the library is loaded.
void PrepareDaruma(const RegisterSession& session, int tipo);

}  // namespace qdm_register
