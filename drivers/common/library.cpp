#include "drivers/common/library.h"

#include <string>

#include "drivers/common/messages.h"

namespace drivers {

namespace {

// The operator must learn which file is missing: without it the register
// cannot print a coupon, and support staff look for that file by name.
std::string MissingLibraryText(const char* file) {
  return std::string("Biblioteca da impressora fiscal n\xE3o encontrada: ") + file;
}

}  // namespace

bool EntryPoint::Bind(platform::HMODULE library) const {
  set_(global_, platform::GetProcAddress(library, name_));
  return Bound();
}

bool LoadOnce(platform::HMODULE& handle, const char* file) {
  if (handle == nullptr) handle = platform::LoadLibraryA(file);
  if (handle != nullptr) return true;
  Log(std::string("ERRO!!! DLL nao carregada: ") + file + " " + platform::LastLibraryError());
  ShowError(MissingLibraryText(file));
  return false;
}

bool BindAll(platform::HMODULE library, EntryPoints table) {
  for (const EntryPoint& entry : table) {
    if (!entry.Bind(library)) {
      ReportUnbound(entry.name());
      ClearAll(table);
      return false;
    }
  }
  return true;
}

void ClearAll(EntryPoints table) {
  for (const EntryPoint& entry : table) entry.Clear();
}

Started StartDriver(platform::HMODULE& handle, const char* file, EntryPoints table, const StartSteps& steps) {
  // The library stays loaded across stops; a new start only binds again.
  if (!LoadOnce(handle, file)) return Started::NotLoaded;
  if (!BindAll(handle, table)) {
    if (steps.unbound) steps.unbound();
    return Started::Unbound;
  }
  if (steps.open()) return Started::Open;
  steps.close();
  Log("Descarregando DLL Impressora Fiscal");
  steps.unbind();
  return Started::Unwound;
}

bool AllBound(EntryPoints table) {
  for (const EntryPoint& entry : table) {
    if (!entry.Bound()) return false;
  }
  return true;
}

}  // namespace drivers
