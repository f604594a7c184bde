#include "drivers/sweda/Qdm00200.h"

namespace Qdm00200 {

bool boImpFiscalOK = false;

}  // namespace Qdm00200
