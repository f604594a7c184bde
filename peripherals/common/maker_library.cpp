#include "peripherals/common/maker_library.h"

namespace peripherals {

platform::HMODULE LoadAndBind(const char* file, std::initializer_list<drivers::EntryPoints> tables) {
  platform::HMODULE library = platform::LoadLibraryA(file);
  if (library == nullptr) return nullptr;
  for (const drivers::EntryPoints& table : tables) {
    if (drivers::BindAll(library, table)) continue;
    for (const drivers::EntryPoints& bound : tables) drivers::ClearAll(bound);
    platform::FreeLibrary(library);
    return nullptr;
  }
  return library;
}

}  // namespace peripherals
