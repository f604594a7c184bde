#include "emulators/tef/files.h"

#include <strings.h>

#include <iostream>

#include "emulators/common/files.h"
#include "emulators/tef/stop.h"

namespace tef_emu {

std::optional<fs::path> find_file_nocase(const fs::path& dir, const std::string& name) {
  std::error_code ec;
  const fs::path exact = dir / name;
  if (fs::is_regular_file(exact, ec)) return exact;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (strcasecmp(it->path().filename().c_str(), name.c_str()) == 0 && it->is_regular_file(ec)) return it->path();
  }
  return std::nullopt;
}

std::optional<std::string> read_file(const fs::path& path, emu::ReadResult* result) {
  std::string bytes;
  const emu::ReadResult read = emu::ReadWholeFile(path.string(), bytes, file_limit);
  if (result) *result = read;
  if (read == emu::ReadResult::TooLarge)
    std::cerr << "tef_manager: " << path.string() << " is larger than " << file_limit << " bytes: not read\n";
  if (read != emu::ReadResult::Read) return std::nullopt;
  return bytes;
}

bool write_atomic(const fs::path& target, const std::string& bytes, int pause_between_lines_ms) {
  emu::WriteOptions options;
  if (pause_between_lines_ms > 0)
    options.between_lines = [pause_between_lines_ms] { pause_ms(pause_between_lines_ms); };
  std::string error;
  if (emu::WriteFileAtomic(target.string(), bytes, &error, options)) return true;
  std::cerr << "tef_manager: " << error << '\n';
  return false;
}

}  // namespace tef_emu
