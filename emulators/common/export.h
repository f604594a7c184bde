// An entry point of an emulated library: a plain C name, exported from the
// shared object (the emulators are built with hidden visibility).
#pragma once

#define EMU_EXPORT extern "C" __attribute__((visibility("default")))
