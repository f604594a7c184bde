// A fault a shell script, a service or the register program can give an
// emulated printer without its C control interface: an environment
// variable read when the library loads,
//
//   <PREFIX>_FAULT=COMMAND:STATUS[:COUNT]
//
//   COMMAND  the command code the printer refuses, as its protocol names it
//            ("34", "80|52" on the MP-20 FI; "12SN", the code and its first
//            parameters, on a Sweda; the command byte in hexadecimal, "F3",
//            on a Daruma)
//   STATUS   what it answers instead, in the printer's own terms, parts
//            separated by commas (MP-20 FI "st1,st2"; Sweda "P013[,text]";
//            Daruma the error number "31")
//   COUNT    how many of the next such commands (1 when left out; -1 all)
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace emu {

struct CommandFaultSetting {
  std::string command;
  std::vector<std::string> status;  // at least one part
  int count = 1;
};

// The setting, or nothing with the reason in `error` (Portuguese).
std::optional<CommandFaultSetting> ParseCommandFault(const std::string& text, std::string* error);

// A whole decimal number from `low` to `high`, or nothing.
std::optional<int> FaultNumber(const std::string& text, int low, int high);

}  // namespace emu
