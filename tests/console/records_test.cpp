// The console's files and the register's records as the service serves
// them: the page's files by name only, the ends of the tape and the debug
// log readable, the TEF manager's journal as its transactions.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "emulators/tef/journal.h"
#include "support/sandbox.h"
#include "tools/qdm_service/console_routes.h"

namespace qdm_service {
namespace {

namespace fs = std::filesystem;

void Write(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

Json Answer(const std::vector<Route>& routes, const std::string& path) {
  for (const Route& route : routes)
    if (route.pattern == path) {
      const Reply reply = route.answer(Call{path, {}, ""});
      EXPECT_EQ(reply.status, 200) << reply.body;
      return Json::parse(reply.body);
    }
  ADD_FAILURE() << "no route " << path;
  return {};
}

TEST(ConsoleFiles, OnlyThePlainFilesOfItsOwnDirectoryAreServed) {
  testsupport::TempDir dir;
  Write(dir.file("index.html"), "<!DOCTYPE html>");
  Write(dir.file("console.js"), "\"use strict\";");
  Write(dir.file(".escondido.js"), "x");
  Write(dir.file("notas.md"), "x");
  Write(dir.file("sub/dentro.js"), "x");
  Write(dir.file("com espaco.js"), "x");
  testsupport::TempDir elsewhere;
  Write(elsewhere.file("segredo.txt"), "token");
  fs::create_symlink(elsewhere.file("segredo.txt"), dir.file("ligado.txt"));
  const ConsoleFiles files(dir.path());

  const Reply page = files.Serve("index.html");
  EXPECT_EQ(page.status, 200);
  EXPECT_EQ(page.content_type, "text/html; charset=utf-8");
  EXPECT_EQ(page.body, "<!DOCTYPE html>");
  EXPECT_EQ(files.Serve("console.js").content_type, "text/javascript; charset=utf-8");
  for (const char* name : {".escondido.js", "notas.md", "sub", "sub/dentro.js", "../index.html", "com espaco.js",
                           "ligado.txt", "qdm_service.token", ""}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(files.Serve(name).status, 404);
  }
  EXPECT_TRUE(ConsoleFiles("").empty());
}

TEST(Records, AFilesEndStartsAtALine) {
  testsupport::TempDir dir;
  std::uintmax_t size = 0, from = 0;
  EXPECT_EQ(TailOfFile(dir.file("nada.txt"), 100, size, from), "");
  EXPECT_EQ(size, 0u);
  std::string lines;
  for (int i = 0; i < 100; ++i) lines += "linha " + std::to_string(i) + "\n";
  Write(dir.file("bobina.txt"), lines);
  EXPECT_EQ(TailOfFile(dir.file("bobina.txt"), 1000, size, from), lines);
  EXPECT_EQ(from, 0u);
  const std::string tail = TailOfFile(dir.file("bobina.txt"), 25, size, from);
  EXPECT_EQ(size, lines.size());
  EXPECT_EQ(tail, "linha 98\nlinha 99\n");
  EXPECT_EQ(from + tail.size(), size);
}

TEST(Records, TheTapeAndTheLogReadableTheJournalAsTransactions) {
  testsupport::TempDir dir;
  const std::string home = dir.path() + "/";
  Write(home + "tape.txt", "\033E  PROMO\xC7\xC3O\r\nTOTAL    4,50\r\n");
  Write(home + "impdebug.txt", "10:00:01 Cupom aberto\r\n10:00:02 ERRO!!! Sem papel\r\n10:00:03 ok\r\n");
  const std::string journal = home + "drive_c/tef_dial/journal.txt";
  fs::create_directories(fs::path(journal).parent_path());
  {
    tef_emu::Journal writer(journal);
    tef_emu::Transaction t;
    t.kind = "CRT";
    t.network = "REDECARD";
    t.nsu = "000001";
    t.amount = 1234;
    t.state = tef_emu::State::Confirmada;
    writer.record("CRT", "1", t);
    t.nsu = "000002";
    t.amount = 700;
    t.state = tef_emu::State::Negada;
    writer.record("CRT", "2", t);
  }
  const std::vector<Route> routes = RecordRoutes(home, journal);

  const Json tape = Answer(routes, "/v1/bobina");
  EXPECT_EQ(tape["texto"], "<ESC>E  PROMO\xC3\x87\xC3\x83O\nTOTAL    4,50\n");
  EXPECT_EQ(tape["existe"], true);
  EXPECT_EQ(tape["cortado"], false);

  const Json errors = Answer(routes, "/v1/log-depuracao/erros");
  EXPECT_EQ(errors["texto"], "10:00:02 ERRO!!! Sem papel\n");
  EXPECT_EQ(errors["somenteErros"], true);
  EXPECT_NE(Answer(routes, "/v1/log-depuracao")["texto"].get<std::string>().find("Cupom aberto"), std::string::npos);

  const Json tef = Answer(routes, "/v1/tef/transacoes");
  ASSERT_EQ(tef["transacoes"].size(), 2u);
  EXPECT_EQ(tef["transacoes"][0]["valor"], "12.34");
  EXPECT_EQ(tef["transacoes"][0]["estado"], "confirmada");
  EXPECT_EQ(tef["transacoes"][1]["estado"], "negada");
  EXPECT_EQ(tef["transacoes"][1]["nsu"], "000002");

  // A register without the emulated files: nothing, said so.
  const std::vector<Route> bare = RecordRoutes(home + "vazio/", home + "vazio/journal.txt");
  EXPECT_EQ(Answer(bare, "/v1/bobina")["existe"], false);
  EXPECT_EQ(Answer(bare, "/v1/tef/transacoes")["transacoes"].size(), 0u);
}

}  // namespace
}  // namespace qdm_service
