// reader_emulator: a bar-code or badge reader on a pseudo-terminal, for a
// person trying the register by hand. It prints the port's device path,
// then takes one command per line on standard input:
//   read CODE            the reader sends CODE
//   pieces N MS CODE     the reader sends CODE N bytes at a time, one piece
//                        every MS milliseconds
//   repeat MS CODE       the reader sends CODE every MS milliseconds (a badge
//                        left at the reader) until "stop"
//   stop                 ends "pieces" or "repeat"
//   cr on|off            end each reading with a carriage return (type 2) or not
//   quit
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "emulators/readers/reader_device.h"

namespace {

// "N MS CODE" or "MS CODE": the numbers, then the rest of the line as the code.
bool Numbers(const std::string& arguments, int count, int* numbers, std::string& code) {
  std::istringstream in(arguments);
  for (int i = 0; i < count; ++i)
    if (!(in >> numbers[i]) || numbers[i] <= 0) return false;
  if (in.get() != ' ') return false;
  std::getline(in, code);
  return !code.empty();
}

}  // namespace

int main(int argc, char** argv) {
  const bool carriage_return = argc > 1 && std::string(argv[1]) == "--cr";
  emu::ReaderDevice reader(carriage_return);
  std::printf("%s\n", reader.slave_path().c_str());
  std::fflush(stdout);
  for (std::string line; std::getline(std::cin, line);) {
    int numbers[2] = {};
    std::string code;
    if (line == "quit") break;
    if (line.rfind("read ", 0) == 0) {
      std::printf(reader.Present(line.substr(5)) ? "sent\n" : "not sent\n");
    } else if (line.rfind("pieces ", 0) == 0 && Numbers(line.substr(7), 2, numbers, code)) {
      reader.SendInPieces(code, static_cast<std::size_t>(numbers[0]), numbers[1]);
      std::printf("sending\n");
    } else if (line.rfind("repeat ", 0) == 0 && Numbers(line.substr(7), 1, numbers, code)) {
      reader.KeepSending(code, numbers[0]);
      std::printf("sending\n");
    } else if (line == "stop") {
      reader.StopSending();
      std::printf("stopped\n");
    } else if (line == "cr on" || line == "cr off") {
      reader.SetCarriageReturn(line == "cr on");
      std::printf("ok\n");
    } else {
      std::printf("commands: read CODE | pieces N MS CODE | repeat MS CODE | stop | cr on | cr off | quit\n");
    }
    std::fflush(stdout);
  }
  return 0;
}
