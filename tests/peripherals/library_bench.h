// The bench side of an emulated maker library: the same file the module
// loads (dlopen of it again answers the same instance), its bench calls
// bound by name, and texts read out of its "copy into buf, answer the
// length" calls.
#pragma once
#include <dlfcn.h>

#include <stdexcept>
#include <string>

#include "support/emulated_printer.h"

namespace peripheral_test {

class LibraryBench {
 public:
  explicit LibraryBench(const std::string& file) {
    handle_ = dlopen((testsupport::ExecutableDirectory() + "/" + file).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) throw std::runtime_error(dlerror());
  }
  ~LibraryBench() { dlclose(handle_); }
  LibraryBench(const LibraryBench&) = delete;
  LibraryBench& operator=(const LibraryBench&) = delete;

  template <typename Fn>
  Fn* Bind(const char* name) const {
    void* entry = dlsym(handle_, name);
    if (!entry) throw std::runtime_error(std::string("emulator lacks ") + name);
    return reinterpret_cast<Fn*>(entry);
  }
  // The text a call of the form int(char* buf, int size) answers.
  std::string Text(const char* name) const {
    auto* read = Bind<int(char*, int)>(name);
    std::string text(static_cast<std::size_t>(read(nullptr, 0)) + 1, '\0');
    read(text.data(), static_cast<int>(text.size()));
    text.pop_back();
    return text;
  }

 private:
  void* handle_;
};

// Whether the library at that path is still loaded in this process.
inline bool Loaded(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle) dlclose(handle);
  return handle != nullptr;
}

}  // namespace peripheral_test
