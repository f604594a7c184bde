// reader_emulator: a bar-code or badge reader on a pseudo-terminal, for a
// person trying the register by hand. It prints the port's device path,
// then takes one command per line on standard input:
//   read CODE      the reader sends CODE
//   cr on|off      end each reading with a carriage return (type 2) or not
//   quit
#include <cstdio>
#include <iostream>
#include <string>

#include "emulators/readers/reader_device.h"

int main(int argc, char** argv) {
  const bool carriage_return = argc > 1 && std::string(argv[1]) == "--cr";
  emu::ReaderDevice reader(carriage_return);
  std::printf("%s\n", reader.slave_path().c_str());
  std::fflush(stdout);
  for (std::string line; std::getline(std::cin, line);) {
    if (line == "quit") break;
    if (line.rfind("read ", 0) == 0) {
      std::printf(reader.Present(line.substr(5)) ? "sent\n" : "not sent\n");
    } else if (line == "cr on" || line == "cr off") {
      reader.SetCarriageReturn(line == "cr on");
      std::printf("ok\n");
    } else {
      std::printf("commands: read CODE | cr on | cr off | quit\n");
    }
    std::fflush(stdout);
  }
  return 0;
}
