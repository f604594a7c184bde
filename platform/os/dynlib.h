// Maker libraries are loaded at run time by file name, as on the register's
// original platform. A bare file name ("Mp20fi32.dll") is looked up in:
//   1. the directory of the host executable (GetModuleFileNameA);
//   2. each directory of PKG_QDM_LIBRARY_PATH (colon separated);
//   3. the system's own search (dlopen with the bare name).
// A name with a directory part is used as given (after HostPath mapping).
#pragma once
#include <string>
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace platform {

using HMODULE = void*;
using FARPROC = void*;

HMODULE LoadLibraryA(const char* file_name);                    // nullptr on failure
FARPROC GetProcAddress(HMODULE module, const char* proc_name);  // nullptr when missing
bool FreeLibrary(HMODULE module);
// Text of the last load or bind failure, for log lines.
std::string LastLibraryError();

// Binds an entry point into a typed pointer: Bind(h, "FormataTX", BemaFormataTX).
template <typename Fn>
bool Bind(HMODULE module, const char* name, Fn*& target) {
  target = reinterpret_cast<Fn*>(GetProcAddress(module, name));
  return target != nullptr;
}

}  // namespace platform

PKG_QDM_PUBLIC_END
