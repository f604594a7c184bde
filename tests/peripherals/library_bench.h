// The bench side of an emulated peripheral library: the common emulator
// loader (the same file the module loads, the neutral controls bound) and
// the peripherals' own extras.
#pragma once
#include <dlfcn.h>

#include <string>

#include "support/emulator_library.h"

namespace peripheral_test {

class LibraryBench : public testsupport::EmulatorLibrary {
 public:
  using EmulatorLibrary::EmulatorLibrary;

  // The text a bench call of the form int(char* buf, int size) answers.
  std::string Text(const char* name) const {
    auto* read = Bind<int(char*, int)>(name);
    std::string text(static_cast<std::size_t>(read(nullptr, 0)) + 1, '\0');
    read(text.data(), static_cast<int>(text.size()));
    text.pop_back();
    return text;
  }
  // The frames received, one a line.
  std::string FrameLines() const {
    std::string lines;
    for (const std::string& frame : Frames()) lines += frame + "\n";
    return lines;
  }
};

// Whether the library at that path is still loaded in this process.
inline bool Loaded(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle) dlclose(handle);
  return handle != nullptr;
}

}  // namespace peripheral_test
