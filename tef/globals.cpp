// Exported globals of the TEF client.
#include "tef/Qdm00500.h"

namespace Qdm00500 {

std::string DirTef;
TStringList* stlCuponsTEF = nullptr;
int inContCuponsTEF = 0;
TStringList* stlCancCuponsTEF = nullptr;
int inContCancCuponsTEF = 0;
// Five minutes: long enough for an operator working at the manager's screen.
int inTimeoutRespostaTEF = 300;

}  // namespace Qdm00500
