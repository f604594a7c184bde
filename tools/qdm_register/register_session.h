// One run of the register: where its files live (configuration, debug log,
// the emulated printer's memory and tape, the TEF managers' directories),
// and what it shows at the end.
#pragma once
#include <cstdint>
#include <string>

namespace qdm_register {

class RegisterSession {
 public:
  // Makes `directory` the register's home: the library sees its host
  // executable there, drive c: maps below it, and the emulated printer keeps
  // its memory and tape there. Maker libraries are still found beside the
  // real program.
  explicit RegisterSession(const std::string& directory);

  const std::string& directory() const { return directory_; }
  std::string file(const std::string& name) const { return directory_ + "/" + name; }
  // Host directory standing for "c:\".
  std::string drive_c() const { return file("drive_c"); }
  // Directory of the real program (where the emulators are built).
  const std::string& program_directory() const { return program_directory_; }

  // What the printer printed and the library logged during this run, for
  // a person at a terminal (UTF-8, control bytes made visible).
  std::string TapeOfThisRun() const;
  std::string DebugLogOfThisRun() const;

 private:
  std::string directory_;
  std::string program_directory_;
  std::uintmax_t tape_start_ = 0;
  std::uintmax_t log_start_ = 0;
};

// Windows-1252 bytes to UTF-8, with control bytes other than line ends
// shown as <ESC>, <LF> inside a line is kept as a line break.
std::string ForTerminal(const std::string& bytes);

}  // namespace qdm_register
