// tef_manager: the emulated TEF manager ("Gerenciador Padrão") for one
// root directory.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <string>

#include "emulators/tef/files.h"
#include "emulators/tef/manager.h"
#include "emulators/tef/stop.h"

int main(int argc, char** argv) {
  using namespace tef_emu;
  CLI::App app{"Emulated TEF manager (Gerenciador Padrao): answers IntPos files under one root"};
  Options options;
  std::string root, journal, pidfile;
  bool once = false, print_journal = false;
  app.add_option("--root", root, "Root directory, standing for c:\\tef_dial\\ or c:\\tef_disc\\")
      ->required();
  app.add_option("--journal", journal, "Journal file (default: journal.txt in the root)");
  app.add_option("--network", options.network,
                 "Network of sales without 010-000 (default: TECBAN for a root named "
                 "tef_disc, REDECARD otherwise)");
  app.add_option("--pidfile", pidfile, "Write the process id here while running");
  app.add_option("--exit-after", options.exit_after, "Serve N requests, then exit")
      ->check(CLI::NonNegativeNumber);
  app.add_flag("--once", once, "Serve one request, then exit");
  app.add_flag("--print-journal", print_journal,
               "Print the journal's transactions and their states, then exit");
  for (const auto& f : flag_settings())
    app.add_flag(std::string("--") + f.name, options.settings.*f.member, f.help);
  for (const auto& d : delay_settings())
    app.add_option(std::string("--") + d.name, options.settings.*d.member, d.help)
        ->check(CLI::Range(0, max_delay_ms));
  CLI11_PARSE(app, argc, argv);

  options.root = root;
  options.journal = journal;
  if (once) options.exit_after = 1;

  if (print_journal) {
    std::cout << Journal::summary(journal_path(options));
    return 0;
  }

  install_stop_handlers();
  Manager manager(options);
  if (!manager.open()) return 1;
  if (!pidfile.empty() && !write_atomic(pidfile, std::to_string(::getpid()) + "\n")) return 1;
  const int served = manager.run();
  if (!pidfile.empty()) ::unlink(pidfile.c_str());
  std::cerr << "tef_manager: stopped after " << served << " request(s)\n";
  return 0;
}
