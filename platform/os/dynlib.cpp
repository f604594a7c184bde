// Maker libraries loaded by file name. The original platform finds a
// library beside the program first and ignores letter case in file names,
// so a bare name is looked up the same way here.
#include "platform/os/dynlib.h"

#include <dlfcn.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/os/files.h"

namespace platform {
namespace {

thread_local std::string last_error;

std::string DlErrorText() {
  const char* text = dlerror();
  return text ? text : "unknown dynamic loader error";
}

std::vector<std::string> SearchDirectories() {
  std::vector<std::string> directories;
  std::string host_directory = ExtractFilePath(GetModuleFileNameA());
  if (!host_directory.empty()) directories.push_back(host_directory);
  if (const char* list = std::getenv("PKG_QDM_LIBRARY_PATH")) {
    std::string rest = list;
    for (size_t start = 0; start <= rest.size();) {
      size_t colon = rest.find(':', start);
      if (colon == std::string::npos) colon = rest.size();
      if (colon > start) directories.push_back(IncludeTrailingPathDelimiter(rest.substr(start, colon - start)));
      start = colon + 1;
    }
  }
  return directories;
}

// The file of that name in the directory, in any letter case; "" if none.
std::string FileInDirectory(const std::string& directory, const std::string& name) {
  if (FileExists(directory + name)) return directory + name;
  if (name.find_first_of("*?") != std::string::npos) return "";
  std::vector<std::string> matches = FindFiles(directory, name);
  return matches.empty() ? "" : directory + matches.front();
}

HMODULE Open(const std::string& file, std::string& error) {
  dlerror();
  HMODULE module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module && error.empty()) error = DlErrorText();
  return module;
}

}  // namespace

HMODULE LoadLibraryA(const char* file_name) {
  if (!file_name || !*file_name) {
    last_error = "LoadLibraryA: no library name";
    return nullptr;
  }
  const std::string name = file_name;
  std::string error;
  HMODULE module = nullptr;
  if (name.find_first_of("/\\:") != std::string::npos) {
    module = Open(HostPath(name), error);
  } else {
    for (const std::string& directory : SearchDirectories()) {
      std::string file = FileInDirectory(directory, name);
      if (!file.empty() && (module = Open(file, error))) break;
    }
    if (!module) {
      std::string system_error;
      module = Open(name, system_error);
      if (error.empty()) error = system_error;  // a found but broken file says more
    }
  }
  if (!module) last_error = error;
  return module;
}

FARPROC GetProcAddress(HMODULE module, const char* proc_name) {
  // A null handle would search every loaded object: never what a binding means.
  if (!module || !proc_name) {
    last_error = "GetProcAddress: no library or no entry point name";
    return nullptr;
  }
  dlerror();
  FARPROC address = dlsym(module, proc_name);
  if (!address) last_error = std::string("entry point ") + proc_name + " not found: " + DlErrorText();
  return address;
}

bool FreeLibrary(HMODULE module) {
  if (!module) return false;
  dlerror();
  if (dlclose(module) == 0) return true;
  last_error = DlErrorText();
  return false;
}

std::string LastLibraryError() { return last_error; }

}  // namespace platform
