// Exported globals of the TEF client.
#include "tef/globals.h"

#include "tef/Qdm00500.h"
#include "drivers/common/module_globals.h"

namespace Qdm00500 {

std::string DirTef;
TStringList* stlCuponsTEF = nullptr;
int inContCuponsTEF = 0;
TStringList* stlCancCuponsTEF = nullptr;
int inContCancCuponsTEF = 0;
int inTimeoutRespostaTEF = kDefaultTimeoutRespostaTEF;

namespace {

// Clears the globals above when the library is unloaded.
const drivers::ClearAtUnload cleared_at_unload{ClearGlobals};

}  // namespace

void ClearGlobals() {
  DirTef.clear();
  stlCuponsTEF = nullptr;
  inContCuponsTEF = 0;
  stlCancCuponsTEF = nullptr;
  inContCancCuponsTEF = 0;
  inTimeoutRespostaTEF = kDefaultTimeoutRespostaTEF;
}

}  // namespace Qdm00500
