// A peripheral's maker library (keyboard, Perto check printer, DCVT32):
// loaded on start, its entry points bound all or none, released on stop.
#pragma once
#include <initializer_list>

#include "drivers/common/library.h"

namespace peripherals {

// Loads the library and binds the tables in their order. At the first name
// the library lacks, clears every table, releases the library and answers
// nullptr; a library that cannot be loaded answers nullptr too.
platform::HMODULE LoadAndBind(const char* file, std::initializer_list<drivers::EntryPoints> tables);

}  // namespace peripherals
