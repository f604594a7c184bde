// qdm_register: a register driven through Pkg_Qdm, for people and for CI.
//   qdm_register                 a complete sale on the emulated devices
//   qdm_register recovery        card payments undone and cancelled
//   qdm_register config ...      writes a register's configuration file
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "platform/dialogs/dialogs.h"
#include "platform/base/errors.h"
#include "platform/os/files.h"
#include "tools/qdm_register/config_writer.h"
#include "tools/qdm_register/demo_dialogs.h"
#include "tools/qdm_register/demo_sale.h"
#include "tools/qdm_register/register_session.h"

int main(int argc, char** argv) {
  CLI::App app{"Caixa de demonstra\xC3\xA7\xC3\xA3o sobre Pkg_Qdm e dispositivos emulados"};
  std::string home = platform::ExtractFilePath(platform::GetModuleFileNameA()) + "register";
  qdm_register::SaleOptions sale;
  app.add_option("--dir", home, "Register's home: configuration, debug log, printer memory and tape");
  app.add_option("--caixa", sale.caixa, "Register code");
  bool unattended = false;
  app.add_flag("--unattended", unattended, "Answer the operator's questions by rule, even at a terminal");

  auto* recovery = app.add_subcommand("recovery",
      "Card payments recovered: a sale abandoned after approval, a run killed after approval");
  bool no_card = false;
  app.add_flag("--sem-cartao", no_card, "Pay the sale in cash only (no TEF manager)");
  app.add_option("--tipo", sale.tipo, "Printer type code of a new register (1 Bematech; 7, 8 Daruma)");

  auto* config = app.add_subcommand("config", "Write a register's configuration file (ecf<caixa>.cds)");
  qdm_register::EcfConfig ecf;
  std::string out_dir = ".";
  config->add_option("--out", out_dir, "Directory of the file (the front end's directory)");
  config->add_option("--caixa", ecf.caixa, "Register code (empty for the KMZ system)");
  config->add_option("--ecf", ecf.nr_ecf, "Number of the fiscal printer at this register");
  config->add_option("--serie", ecf.serie, "Serial number of the fiscal printer");
  config->add_option("--tipo", ecf.tipo, "Printer type code (1, 2, 9 Bematech; 3-6 Sweda; 7, 8 Daruma)");

  CLI11_PARSE(app, argc, argv);

  try {
    if (config->parsed()) {
      std::string path = qdm_register::EcfConfigPath(out_dir, ecf.caixa);
      qdm_register::WriteEcfConfig(path, ecf);
      std::printf("%s\n", path.c_str());
      return 0;
    }
    bool interactive = !unattended && isatty(0);
    platform::SetDialogPresenter(std::make_shared<qdm_register::DemoOperator>(interactive));
    qdm_register::RegisterSession session(home);
    sale.card = !no_card;
    if (recovery->parsed()) return qdm_register::RunRecoveryDemo(session, sale);
    return qdm_register::RunDemoSale(session, sale);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qdm_register: %s\n", e.what());
    return 2;
  }
}
