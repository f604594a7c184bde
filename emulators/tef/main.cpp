// tef_manager: the emulated TEF manager ("Gerenciador Padrão") for one
// root directory.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <string>

#include "emulators/common/cli_portuguese.h"
#include "emulators/tef/files.h"
#include "emulators/tef/manager.h"
#include "emulators/tef/stop.h"

int main(int argc, char** argv) {
  using namespace tef_emu;
  // Messages go to a terminal: UTF-8.
  CLI::App app{"Gerenciador TEF emulado (Gerenciador Padr\xC3\xA3o): responde aos arquivos IntPos de uma raiz"};
  app.set_help_flag("-h,--help", "Mostra esta ajuda");
  Options options;
  std::string root, journal, pidfile;
  bool once = false, print_journal = false;
  app.add_option("--root", root, "Pasta raiz, no lugar de c:\\tef_dial\\ ou c:\\tef_disc\\")->required();
  app.add_option("--journal", journal, "Arquivo do di\xC3\xA1rio (padr\xC3\xA3o: journal.txt na raiz)");
  app.add_option("--network", options.network,
                 "Rede das vendas sem 010-000 (padr\xC3\xA3o: TECBAN numa raiz chamada "
                 "tef_disc, REDECARD nas outras)");
  app.add_option("--pidfile", pidfile, "Grava aqui o n\xC3\xBAmero do processo enquanto roda");
  app.add_option("--exit-after", options.exit_after, "Atende N pedidos e termina")
      ->check(CLI::Validator(CLI::NonNegativeNumber).description("0 ou mais"));
  app.add_flag("--once", once, "Atende um pedido e termina");
  app.add_flag("--print-journal", print_journal,
               "Mostra as transa\xC3\xA7\xC3\265es do di\xC3\xA1rio e seus estados, e termina");
  for (const auto& f : flag_settings()) app.add_flag(std::string("--") + f.name, options.settings.*f.member, f.help);
  for (const auto& d : delay_settings())
    app.add_option(std::string("--") + d.name, options.settings.*d.member, d.help)
        ->check(CLI::Range(0, max_delay_ms).description("0 a " + std::to_string(max_delay_ms)));
  cli_pt::Translate(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "tef_manager: " << cli_pt::UsageText(e) << ' ' << cli_pt::HelpHint() << '\n';
    return 2;
  }

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
  std::cerr << "tef_manager: encerrado depois de " << served << " pedido(s)\n";
  return 0;
}
