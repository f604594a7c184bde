// What libPkg_Qdm.so shows a front end. The library is compiled with hidden
// visibility: only what a public header declares between
// PKG_QDM_PUBLIC_BEGIN and PKG_QDM_PUBLIC_END (or marks PKG_QDM_EXPORT) is
// exported; the modules' internals stay inside the shared object. In a
// front end's compilation the macros change nothing.
#pragma once

#define PKG_QDM_EXPORT __attribute__((visibility("default")))
#define PKG_QDM_PUBLIC_BEGIN _Pragma("GCC visibility push(default)")
#define PKG_QDM_PUBLIC_END _Pragma("GCC visibility pop")
// For the definition of a class nested in a public one whose members are
// internals (the exported class would otherwise export them too).
#define PKG_QDM_HIDDEN __attribute__((visibility("hidden")))
