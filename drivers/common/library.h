// A maker's driver library: loaded once by file name, its entry points
// bound by name into the module's exported globals all or nothing, and
// cleared again on stop. Each driver lists its entry points once, as a
// table of {name, &global}, and hands that table to these calls.
#pragma once
#include <functional>
#include <span>

#include "platform/os/dynlib.h"

namespace drivers {

// One entry point: its name in the maker library and the typed global
// that holds it.
class EntryPoint {
 public:
  template <typename Fn>
  constexpr EntryPoint(const char* name, Fn** global)
      : name_(name), global_(global), set_(&Set<Fn>), is_set_(&IsSet<Fn>) {}

  const char* name() const { return name_; }
  // Looks the name up in the library; false (global cleared) when missing.
  bool Bind(platform::HMODULE library) const;
  void Clear() const { set_(global_, nullptr); }
  bool Bound() const { return is_set_(global_); }

 private:
  template <typename Fn>
  static void Set(void* global, platform::FARPROC proc) {
    *static_cast<Fn**>(global) = reinterpret_cast<Fn*>(proc);
  }
  template <typename Fn>
  static bool IsSet(const void* global) {
    return *static_cast<Fn* const*>(global) != nullptr;
  }

  const char* name_;
  void* global_;
  void (*set_)(void* global, platform::FARPROC proc);
  bool (*is_set_)(const void* global);
};

using EntryPoints = std::span<const EntryPoint>;

// Loads the maker library into `handle` unless it is loaded already (a
// loaded library stays loaded across stops). A library that cannot be
// loaded is logged ("ERRO!!! DLL nao carregada: <file> <reason>") and named
// to the operator in an error dialog; the answer is then false.
bool LoadOnce(platform::HMODULE& handle, const char* file);

// Binds every entry point of the table, in its order. At the first name
// the library lacks, logs "ERRO!!! DLL nao carregada: <name>", clears the
// whole table and answers false: a driver is bound whole or not at all.
bool BindAll(platform::HMODULE library, EntryPoints table);
// Forgets every entry point of the table (the library stays loaded).
void ClearAll(EntryPoints table);
// Whether every entry point of the table is bound. A command waiting on
// the printer asks this after processing messages: a handler may have
// stopped the driver meanwhile.
bool AllBound(EntryPoints table);

// What a driver's start does once its library is loaded and bound.
struct StartSteps {
  // Opens the port and reads the printer; false makes the start unwind.
  std::function<bool()> open;
  // Unwinding a failed opening: `close` closes what it left open, then the
  // log says "Descarregando DLL Impressora Fiscal" and `unbind` forgets the
  // entry points (and whatever else the driver clears with them).
  std::function<void()> close;
  std::function<void()> unbind;
  // Run when the binding failed (the entry points are already cleared);
  // may be empty.
  std::function<void()> unbound;
};

enum class Started {
  NotLoaded,  // the library cannot be loaded (logged, named to the operator)
  Unbound,    // an entry point is missing: the driver is left unbound
  Unwound,    // the opening failed: closed and unbound again
  Open,       // bound, the port open and the printer read
};

// The start of every driver: loads the library once, binds its entry
// points all or nothing, opens the port, and unwinds on a failed opening.
Started StartDriver(platform::HMODULE& handle, const char* file, EntryPoints table, const StartSteps& steps);

}  // namespace drivers
