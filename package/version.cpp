#include "package/Pkg_Qdm_version.h"

extern "C" const char* Pkg_Qdm_Version() { return PKG_QDM_VERSION; }
