// qdm_register: a register driven through Pkg_Qdm, for people and for CI.
//   qdm_register                 a complete sale on the emulated devices
//   qdm_register recovery        card payments undone and cancelled
//   qdm_register dia             a whole day: supply, sales, withdrawal,
//                                till closing, Z reduction and its export
//   qdm_register restaurante     the same on the restaurant model (tables)
//   qdm_register config ...      writes a register's configuration file
//   qdm_register log ...         shows a register's debug log readably
// Exit status: 0 when every step went through, 1 when a step failed or the
// home is taken by another register, 2 on a usage error, 3 when the sale's
// coupon is printed and its card confirmation left unacknowledged by the
// TEF manager (the next start settles it).
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "emulators/common/cli_portuguese.h"
#include "platform/base/encoding.h"
#include "platform/dialogs/dialogs.h"
#include "platform/base/errors.h"
#include "platform/os/files.h"
#include "tools/qdm_register/card_payment.h"
#include "tools/qdm_register/config_writer.h"
#include "tools/qdm_register/day_run.h"
#include "tools/qdm_register/demo_dialogs.h"
#include "tools/qdm_register/demo_sale.h"
#include "tools/qdm_register/log_view.h"
#include "tools/qdm_register/register_session.h"
#include "tools/qdm_register/restaurant_run.h"
#include "tools/qdm_register/sweda_sale.h"

namespace {

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

// Texts are written here in Windows-1252, like the library's, and shown in
// UTF-8.
std::string Utf8(const std::string& cp1252) { return platform::Cp1252ToUtf8(cp1252); }

void Complain(const std::string& cp1252) { std::fprintf(stderr, "qdm_register: %s\n", Utf8(cp1252).c_str()); }

int ShowLog(const std::string& home, bool errors_only) {
  const std::string path = platform::IncludeTrailingPathDelimiter(home) + "impdebug.txt";
  if (!platform::FileExists(path)) {
    Complain("n\xE3o h\xE1 log de depura\xE7\xE3o em " + path);
    return kFailed;
  }
  qdm_register::LogViewOptions options;
  options.errors_only = errors_only;
  // Read only: the file stays byte for byte as the library wrote it.
  std::fputs(qdm_register::Readable(platform::ReadFileBytes(path), options).c_str(), stdout);
  return 0;
}

int WriteConfig(const qdm_register::EcfConfig& given, const std::string& out_dir, bool overwrite) {
  // Arguments come from a UTF-8 terminal; the file holds Windows-1252.
  qdm_register::EcfConfig ecf = given;
  for (std::string* text : {&ecf.caixa, &ecf.nr_ecf, &ecf.serie}) *text = platform::Utf8ToCp1252(*text);
  if (const std::string problem = qdm_register::CheckEcfConfig(ecf); !problem.empty()) {
    Complain(problem);
    return kUsageError;
  }
  if (!platform::DirectoryExists(out_dir)) {
    Complain("a pasta n\xE3o existe: " + out_dir);
    return kUsageError;
  }
  const std::string path = qdm_register::EcfConfigPath(out_dir, ecf.caixa);
  if (platform::FileExists(path) && !overwrite) {
    Complain("o arquivo j\xE1 existe: " + path + " (use --sobrescrever para substitu\xED-lo)");
    return kFailed;
  }
  qdm_register::WriteEcfConfig(path, ecf);
  std::printf("%s\n", Utf8(path).c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{Utf8("Caixa de demonstra\xE7\xE3o sobre Pkg_Qdm e dispositivos emulados")};
  // Subcommands inherit the help flag.
  app.set_help_flag("-h,--help", Utf8("Mostra esta ajuda"));
  // The global options are taken after a subcommand too ("recovery --dir X").
  app.fallthrough();
  // Each user's register lives in their own data directory, never beside
  // the installed program.
  std::string home = platform::UserDataDirectory() + "/register";
  qdm_register::SaleOptions sale;
  app.add_option("--dir", home,
                 Utf8("Pasta do caixa: configura\xE7\xE3o, log de depura\xE7\xE3o, mem\xF3ria e bobina da impressora "
                      "(padr\xE3o: ") +
                     home + ")");
  app.add_option("--caixa", sale.caixa, Utf8("C\363digo do caixa"));
  std::string fabricante;
  app.add_option(
      "--fabricante", fabricante,
      Utf8("Vende numa impressora Sweda emulada: \"sweda\" ou o c\363digo de tipo 3 a 6 (padr\xE3o: Bematech)"));
  bool unattended = false;
  app.add_flag("--unattended", unattended, Utf8("Responde \xE0s perguntas ao operador por regra, mesmo num terminal"));
  bool no_card = false;
  app.add_flag("--sem-cartao", no_card, Utf8("Venda paga toda em dinheiro (sem o gerenciador TEF)"));
  app.add_option("--desconto", sale.discount, Utf8("Desconto no subtotal do cupom, em reais (padr\xE3o 0.50)"))
      ->check(CLI::Validator(
          [](std::string& value) {
            double amount = -1;
            return CLI::detail::lexical_cast(value, amount) && amount >= 0 ? std::string()
                                                                           : Utf8("use um valor em reais, como 0.50");
          },
          "REAIS"));
  auto* tipo = app.add_option("--tipo", sale.tipo,
                              Utf8("Tipo da impressora de um caixa novo (1 Bematech; 3 a 6 Sweda; 7, 8 Daruma)"));

  auto* recovery = app.add_subcommand(
      "recovery",
      Utf8("Pagamentos com cart\xE3o recuperados: venda abandonada e caixa interrompido depois da aprova\xE7\xE3o"));

  auto* day = app.add_subcommand(
      "dia", Utf8("Um dia inteiro do caixa: suprimento, vendas no cart\xE3o e em dinheiro, sangria, fechamento do "
                  "caixa, redu\xE7\xE3o Z e a exporta\xE7\xE3o dos seus n\xFAmeros"));
  auto* restaurant = app.add_subcommand(
      "restaurante", Utf8("Um dia na impressora de restaurante (tipo 9): mesas, jun\xE7\xE3o, transfer\xEAncia, "
                          "estorno, confer\xEAncia, mesas abertas, cupom da mesa, fechamento e redu\xE7\xE3o Z"));

  auto* config =
      app.add_subcommand("config", Utf8("Grava o arquivo de configura\xE7\xE3o de um caixa (ecf<caixa>.cds)"));
  config->fallthrough(false);
  qdm_register::EcfConfig ecf;
  std::string out_dir;
  bool overwrite = false;
  config->add_option("--out", out_dir, Utf8("Pasta do arquivo (a pasta do programa de frente de caixa)"))->required();
  config->add_option("--caixa", ecf.caixa, Utf8("C\363digo do caixa, at\xE9 10 caracteres (vazio no sistema KMZ)"))
      ->required();
  config->add_option("--ecf", ecf.nr_ecf, Utf8("N\xFAmero do ECF neste caixa, at\xE9 10 caracteres"))->required();
  config->add_option("--serie", ecf.serie, Utf8("N\xFAmero de s\xE9rie do ECF, at\xE9 20 caracteres"))->required();
  config->add_option("--tipo", ecf.tipo, Utf8("Tipo de impressora: 1, 2, 9 Bematech; 3 a 6 Sweda; 7, 8 Daruma"))
      ->required();
  config->add_flag("--sobrescrever,--force", overwrite, Utf8("Substitui um arquivo que j\xE1 existe"));

  auto* log = app.add_subcommand("log", Utf8("Mostra o log de depura\xE7\xE3o do caixa de forma leg\xEDvel"));
  bool errors_only = false;
  log->add_flag("--erros", errors_only, Utf8("S\xF3 as linhas de erro (ERRO!!!)"));
  app.require_subcommand(0, 1);
  cli_pt::Translate(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "qdm_register: %s %s\n", cli_pt::UsageText(e).c_str(), cli_pt::HelpHint());
    return kUsageError;
  }

  try {
    if (config->parsed()) return WriteConfig(ecf, out_dir, overwrite);
    if (log->parsed()) return ShowLog(home, errors_only);
    // --tipo 3 to 6 is the same Sweda sale as --fabricante.
    const int tipo_sweda = !fabricante.empty()                ? qdm_register::SwedaTypeCode(fabricante)
                           : sale.tipo >= 3 && sale.tipo <= 6 ? sale.tipo
                                                              : 0;
    if (!fabricante.empty() && tipo_sweda == 0) {
      Complain("fabricante desconhecido: " + platform::Utf8ToCp1252(fabricante) + " (use sweda ou um tipo de 3 a 6)");
      return kUsageError;
    }
    // The sale's options are checked as the configuration tool checks them.
    sale.caixa = platform::Utf8ToCp1252(sale.caixa);
    sale.tipo_given = tipo->count() > 0;
    qdm_register::EcfConfig asked;
    asked.caixa = sale.caixa;
    asked.tipo = sale.tipo;
    if (const std::string problem = qdm_register::CheckEcfConfig(asked); !problem.empty()) {
      Complain(problem);
      return kUsageError;
    }
    qdm_register::StopManagersOnSignals();
    bool interactive = !unattended && isatty(0);
    platform::SetDialogPresenter(std::make_shared<qdm_register::DemoOperator>(interactive));
    qdm_register::RegisterSession session(home);
    sale.card = !no_card;
    if (recovery->parsed()) return qdm_register::RunRecoveryDemo(session, sale);
    if (day->parsed()) return qdm_register::RunRegisterDay(session, sale);
    if (restaurant->parsed()) return qdm_register::RunRestaurantDay(session, sale);
    if (tipo_sweda != 0) return qdm_register::RunSwedaSale(session, sale, tipo_sweda);
    return qdm_register::RunDemoSale(session, sale);
  } catch (const std::exception& e) {
    Complain(e.what());
    return kFailed;
  }
}
