// The badge check digit through the maker library "DCVT32.dll".
#include <cstring>

#include "drivers/common/library.h"
#include "drivers/common/module_globals.h"
#include "peripherals/common/maker_library.h"
#include "peripherals/readers/Qdm00800.h"
#include "peripherals/readers/check_digit.h"
#include "platform/os/files.h"

namespace Qdm00800 {

std::string IdCriptoCons;
bool DigVerifOK = false;
platform::HMODULE DigVerifDLLHandle = nullptr;
TDescriptografaMatricula* DVDescriptografaMatricula = nullptr;

namespace {
constexpr const char* kLibrary = "DCVT32.dll";
const drivers::EntryPoint kEntryPoints[] = {{"DescriptografaMatricula", &DVDescriptografaMatricula}};
// Clears the globals above when the library is unloaded.
const drivers::ClearAtUnload cleared_at_unload{ClearGlobals};
}  // namespace

void ClearGlobals() {
  IdCriptoCons.clear();
  drivers::ClearAll(kEntryPoints);
  DigVerifOK = false;
  DigVerifDLLHandle = nullptr;
}

std::string ProgramDirectory() {
  std::string directory = platform::ExtractShortPathName(platform::ExtractFilePath(platform::GetModuleFileNameA()));
  while (directory.size() > 1 && (directory.back() == '/' || directory.back() == '\\')) directory.pop_back();
  return directory;
}

void StartDigVerif() {
  // A second start must not leave the first load behind.
  if (DigVerifOK) StopDigVerif();
  DigVerifOK = false;
  if (IdCriptoCons != "1") return;
  DigVerifDLLHandle = peripherals::LoadAndBind(kLibrary, {kEntryPoints});
  DigVerifOK = DigVerifDLLHandle != nullptr;
}

void StopDigVerif() {
  if (DigVerifOK) platform::FreeLibrary(DigVerifDLLHandle);
  DigVerifDLLHandle = nullptr;
  drivers::ClearAll(kEntryPoints);
  DigVerifOK = false;
}

std::string GetMatriculaDV(const std::string& matricula) {
  if (!DigVerifOK || DVDescriptografaMatricula == nullptr) return "";
  const std::string directory = ProgramDirectory();
  const char* answer = DVDescriptografaMatricula(directory.c_str(), matricula.c_str());
  if (answer == nullptr) return "";
  // Looks no further than one byte past the longest badge number.
  const std::size_t length = strnlen(answer, LongestMatricula + 1);
  if (length > LongestMatricula) return "";
  return std::string(answer, length);
}

}  // namespace Qdm00800
