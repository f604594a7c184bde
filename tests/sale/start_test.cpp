// A register whose configuration file does not let it operate is told why:
// the file and its fault, in Portuguese, on the start's result and in the
// debug log; nothing reaches the printer.
#include <fstream>

#include "platform/dataset/dataset.h"
#include "tests/sale/sale_fixture.h"

namespace sale_test {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(SaleTest, ConfigurationThatDoesNotLoadIsNamedWithItsFault) {
  const std::string file = sandbox.dir.file("ecf001.cds");
  const std::string whole = platform::ReadFileBytes(file);
  auto write = [&](const std::string& bytes) { platform::WriteFileAtomic(file, bytes); };
  auto rewrite = [&](const char* field, const std::string& value) {
    platform::TClientDataSet ds;
    ds.LoadFromFile(file);
    ds.First();
    ds.Edit();
    ds.FieldByName(field).SetAsString(value);
    ds.Post();
    ds.SaveToFile(file);
  };
  struct Case {
    const char* name;
    std::function<void()> spoil;
    const char* fault;
  } cases[] = {
      {"missing", [&] { platform::DeleteFile(file); }, "n\xE3o existe"},
      {"empty", [&] { write(""); }, "vazio"},
      {"cut short", [&] { write(whole.substr(0, whole.size() / 2)); }, "cortado"},
      {"another register's", [&] { rewrite("CDCAIXA", "002"); }, "\xE9 do caixa \"002\", n\xE3o do caixa \"001\""},
      {"wrong checksum", [&] { rewrite("CHECKSUM", "1"); }, "soma de verifica\xE7\xE3o"},
      {"a type no driver serves", [&] { rewrite("IDTIPOIMPFIS", "42"); }, "tipo de impressora 42"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write(whole);
    c.spoil();
    printer.ClearFrames();
    QdmVenda::Till t(setup);

    const QdmVenda::StartResult start = t.Start();

    EXPECT_FALSE(start.ok);
    EXPECT_TRUE(Has(start.failure, file)) << start.failure;
    EXPECT_TRUE(Has(start.failure, c.fault)) << start.failure;
    EXPECT_TRUE(Has(sandbox.DebugLog(), "ERRO!!! " + start.failure)) << sandbox.DebugLog();
    ASSERT_FALSE(start.steps.empty());
    EXPECT_FALSE(start.steps.back().ok);
    EXPECT_EQ(printer.FrameCount(), 0);
  }
}

TEST_F(SaleTest, StartNamesThePrinterAndItsSerial) {
  QdmVenda::Till t(setup);
  const QdmVenda::StartResult start = t.Start();
  EXPECT_TRUE(start.ok) << start.failure;
  EXPECT_EQ(start.tipo, 1);
  EXPECT_EQ(start.ecf, "001");
  EXPECT_FALSE(start.serie.empty());
  EXPECT_TRUE(t.started());
  t.Stop();
  EXPECT_FALSE(t.started());
}

}  // namespace
}  // namespace sale_test
