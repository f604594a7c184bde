// The configuration tool: what it writes the library accepts, what cannot
// be stored is refused in Portuguese with exit 2, and an existing file is
// replaced only when asked.
#include <gtest/gtest.h>

#include <map>

#include "facade/Qdm00000.h"
#include "platform/dataset/dataset.h"
#include "tests/register/register_process.h"

namespace register_test {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The tool's arguments for register 003, with some options changed (an
// empty value drops the option) and some added.
std::vector<std::string> Config(const Home& home, const std::map<std::string, std::string>& changed = {},
                                const std::vector<std::string>& added = {}) {
  std::map<std::string, std::string> options{
      {"--out", home.str()}, {"--caixa", "003"}, {"--ecf", "001"}, {"--serie", "BE0503756100"}, {"--tipo", "1"}};
  for (const auto& [name, value] : changed) options[name] = value;
  std::vector<std::string> args{"config"};
  for (const auto& [name, value] : options) args.insert(args.end(), {name, value});
  args.insert(args.end(), added.begin(), added.end());
  return args;
}

struct Stored {
  std::string caixa, ecf, serie;
  int checksum = 0, tipo = 0;
};

Stored Load(const fs::path& file) {
  platform::TClientDataSet ds;
  ds.LoadFromFile(file.string());
  ds.First();
  return {ds.FieldByName("CDCAIXA").AsString(), ds.FieldByName("NRECFCAIXA").AsString(),
          ds.FieldByName("NRSERIEECF").AsString(), ds.FieldByName("CHECKSUM").AsInteger(),
          ds.FieldByName("IDTIPOIMPFIS").AsInteger()};
}

TEST(RegisterConfig, WritesWhatTheLibraryAccepts) {
  Home home;
  // A serial of the full width with a letter beyond ASCII, typed in UTF-8.
  const Finished run = RunRegister(Config(home, {{"--serie", "BE050375610000012\xC3\207AB"}}));
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const fs::path file = home.path() / "ecf003.cds";
  EXPECT_TRUE(Has(run.out, file.string())) << run.out;
  const Stored s = Load(file);
  EXPECT_EQ(s.caixa, "003");
  EXPECT_EQ(s.serie, "BE050375610000012\307AB");  // Windows-1252, 20 bytes
  EXPECT_EQ(s.tipo, 1);
  EXPECT_EQ(s.checksum, Qdm00000::ChecksumECF(s.ecf, s.serie));
}

// Values that the file cannot hold as given are refused, nothing written:
// once, a long serial was cut when stored while its checksum counted the
// whole text, and the library rejected the file.
TEST(RegisterConfig, RefusesWhatTheFileCannotHold) {
  const struct {
    std::map<std::string, std::string> change;
    std::vector<std::string> added;
    const char* message;
  } cases[] = {
      {{{"--serie", "BE05037561000001234567"}}, {}, "n\xC3\xBAmero de s\xC3\xA9rie"},  // 22 > 20
      {{{"--caixa", "00000000001"}}, {}, "c\xC3\263digo do caixa"},                    // 11 > 10
      {{{"--ecf", "12345678901"}}, {}, "n\xC3\xBAmero do ECF"},
      {{{"--ecf", ""}}, {}, "n\xC3\xBAmero do ECF"},
      {{{"--caixa", "../x"}}, {}, "c\xC3\263digo do caixa"},
      {{{"--tipo", "42"}}, {}, "tipo de impressora desconhecido"},
      {{{"--tipo", "0"}}, {}, "tipo de impressora desconhecido"},
      {{{"--tipo", "abc"}}, {}, "valor inv\xC3\xA1lido"},
      // Far beyond the field: once cut when stored, under a checksum of the whole.
      {{{"--serie", std::string(21 * 3, 'x')}}, {}, "n\xC3\xBAmero de s\xC3\xA9rie"},
      {{}, {"--desconhecida"}, "argumento n\xC3\xA3o reconhecido"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.change) + testing::PrintToString(c.added));
    Home home;
    const Finished run = RunRegister(Config(home, c.change, c.added));
    EXPECT_EQ(run.exit_code, 2) << run.err;
    EXPECT_TRUE(Has(run.err, c.message)) << run.err;
    EXPECT_TRUE(fs::is_empty(home.path()));
  }
}

TEST(RegisterConfig, UsageErrorsAreInPortugueseWithExit2) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"config"}, "falta a op\xC3\xA7\xC3\xA3o obrigat\xC3\xB3ria --out"},  // no demo file in .
      {{"config", "--out"}, "falta o valor da op\xC3\xA7\xC3\xA3o --out"},
      {{"--caixa"}, "falta o valor da op\xC3\xA7\xC3\xA3o --caixa"},
      {{"--nada"}, "argumento n\xC3\xA3o reconhecido: --nada"},
      {{"vender"}, "argumento n\xC3\xA3o reconhecido: vender"},
      {{"--desconto", "x"}, "valor inv\xC3\xA1lido"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const Finished run = RunRegister(c.args);
    EXPECT_EQ(run.exit_code, 2) << run.err;
    EXPECT_TRUE(Has(run.err, c.message)) << run.err;
    EXPECT_TRUE(Has(run.err, "--help")) << run.err;
  }
  EXPECT_FALSE(fs::exists(fs::read_symlink("/proc/self/exe").parent_path() / "ecf001.cds"));
  EXPECT_FALSE(fs::exists("ecf001.cds"));
}

TEST(RegisterConfig, ReplacesAnExistingFileOnlyWhenAsked) {
  Home home;
  ASSERT_EQ(RunRegister(Config(home)).exit_code, 0);
  const fs::path file = home.path() / "ecf003.cds";
  const std::string first = ReadFile(file);

  const Finished again = RunRegister(Config(home, {{"--serie", "OUTRA"}}));
  EXPECT_EQ(again.exit_code, 1);
  EXPECT_TRUE(Has(again.err, "j\xC3\xA1 existe")) << again.err;
  EXPECT_EQ(ReadFile(file), first);

  const Finished replaced = RunRegister(Config(home, {{"--serie", "OUTRA"}}, {"--sobrescrever"}));
  EXPECT_EQ(replaced.exit_code, 0) << replaced.err;
  EXPECT_EQ(Load(file).serie, "OUTRA");
  const Finished forced = RunRegister(Config(home, {{"--serie", "MAIS"}}, {"--force"}));
  EXPECT_EQ(forced.exit_code, 0) << forced.err;
  EXPECT_EQ(Load(file).serie, "MAIS");
}

}  // namespace
}  // namespace register_test
