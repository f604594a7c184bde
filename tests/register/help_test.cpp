// What the register program and the TEF manager print for a person is in
// Portuguese, the frame of their --help included.
#include <gtest/gtest.h>

#include "tests/register/register_process.h"

namespace register_test {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string ManagerBinary() { return (fs::path(RegisterBinary()).parent_path() / "tef_manager").string(); }

// Runs a program to its end, both outputs gathered.
std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen((command + " 2>&1").c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    ::pclose(pipe);
  }
  return out;
}

void ExpectPortugueseHelp(const std::string& help) {
  for (const char* frame : {"Uso:", "Op\xC3\xA7\xC3\265es:", "TEXTO", "Mostra esta ajuda"})
    EXPECT_TRUE(Has(help, frame)) << frame << "\n" << help;
  for (const char* english : {"Usage", "OPTIONS", "Options:", "Subcommands", "SUBCOMMAND", "TEXT ", "REQUIRED",
                              "Print this help", "NONNEGATIVE", " in ["})
    EXPECT_FALSE(Has(help, english)) << english << "\n" << help;
}

TEST(PortugueseFrame, HelpOfEveryProgramAndSubcommand) {
  const Finished main_help = RunRegister({"--help"});
  EXPECT_EQ(main_help.exit_code, 0);
  ExpectPortugueseHelp(main_help.out);
  EXPECT_TRUE(Has(main_help.out, "Subcomandos:")) << main_help.out;
  const Finished config_help = RunRegister({"config", "--help"});
  ExpectPortugueseHelp(config_help.out);
  EXPECT_TRUE(Has(config_help.out, "OBRIGAT\xC3\x93RIO")) << config_help.out;
  ExpectPortugueseHelp(Output("'" + ManagerBinary() + "' --help"));
}

TEST(PortugueseFrame, UsageErrorsAndTheManagersMessages) {
  const std::string refused = Output("'" + ManagerBinary() + "' --root /tmp --ack-delay-ms x");
  EXPECT_TRUE(Has(refused, "tef_manager: valor inv\xC3\xA1lido")) << refused;
  EXPECT_TRUE(Has(refused, "use --help para ver as op\xC3\xA7\xC3\265es")) << refused;

  Home home;
  const Finished sale = RunRegister({"--dir", home.str(), "--unattended"});
  EXPECT_EQ(sale.exit_code, 0) << sale.out << sale.err;
  const std::string said = sale.out + sale.err;
  EXPECT_TRUE(Has(said, "tef_manager: atendendo " + home.TefRoot().string())) << said;
  EXPECT_TRUE(Has(said, "tef_manager: encerrado depois de")) << said;
  for (const char* english : {"serving", "stopped after", "request(s)"}) EXPECT_FALSE(Has(said, english)) << english;
}

}  // namespace
}  // namespace register_test
