// What the operator is told when the manager's directory is not the
// manager's fault: a directory that cannot be written, a ledger that cannot
// be read or written, another register in the middle of a transaction.
// Each is named as such, never as an absent manager, and nothing is sent.
#include <gtest/gtest.h>
#include <grp.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "platform/os/file_lock.h"
#include "tef/Qdm00500.h"
#include "fake_manager.h"
#include "support/other_process.h"
#include "tef_fixture.h"

namespace tef_test {
namespace {

namespace fs = std::filesystem;

const std::string kInactive = "O Gerenciador Padr\xE3o n\xE3o est\xE1 ativo!";
const std::string kNotWritable =
    "O diret\xF3rio do Gerenciador Padr\xE3o n\xE3o permite grava\xE7\xE3o: c:\\tef_dial\\";
const std::string kBusy = "O Gerenciador Padr\xE3o est\xE1 atendendo outro caixa (c:\\tef_dial\\).";
const std::string kLedger = "O arquivo de controle do TEF n\xE3o pode ser ";

bool StartsWith(const std::string& text, const std::string& lead) { return text.rfind(lead, 0) == 0; }

// Runs `check` in a child process as a user the files' permissions bind
// (root ignores them), and answers what the check answered there.
bool AsPlainUser(const std::function<bool()>& check) {
  testsupport::OtherProcess child({[&check] {
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) return 3;
    return check() ? 0 : 1;
  }});
  return child.Run(0) == 0;
}

// Lets a plain user reach the sandbox's files.
void OpenToAll(const fs::path& from, const fs::path& to) {
  for (fs::path p = to;; p = p.parent_path()) {
    fs::permissions(p, fs::perms::others_exec | fs::perms::others_read, fs::perm_options::add);
    if (p == from || p == p.parent_path()) break;
  }
}

class DiagnosisTest : public TefTest {
 protected:
  DiagnosisTest() : dial(tef.MakeRoot("tef_dial")) {
    manager.Serve(dial);
    Qdm00500::DirTef = "c:\\tef_dial\\";
  }
  static Answer Sale() {
    Answer a;
    a.voucher = {"CARTAO DE DEBITO"};
    return a;
  }
  // The only dialog shown, "" when none or several.
  std::string OnlyDialog() const {
    const auto texts = DialogTexts();
    return texts.size() == 1 ? texts[0] : "";
  }

  std::string dial;
  FakeManager manager;
};

TEST_F(DiagnosisTest, DirectoryThatCannotBeWrittenIsNamedAsSuch) {
  OpenToAll(fs::temp_directory_path(), dial + "/resp");
  OpenToAll(fs::temp_directory_path(), dial + "/req");
  const auto read_only = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                         fs::perms::others_exec;
  struct Case {
    const char* what;
    fs::perms root;
    fs::perms req;
  } cases[] = {{"the root", read_only, fs::perms::all}, {"its request directory", fs::perms::all, read_only}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::permissions(dial, c.root);
    fs::permissions(dial + "/req", c.req);
    fs::permissions(dial + "/resp", fs::perms::all);
    const bool told = AsPlainUser([&] {
      const bool probe = Qdm00500::CheckGPAtivo();
      const bool settled = Qdm00500::VerificaRetorno(Sale().Record(), false);
      const auto texts = DialogTexts();
      return !probe && !settled && texts.size() == 2 && StartsWith(texts[0], kNotWritable) &&
             StartsWith(texts[1], kNotWritable);
    });
    EXPECT_TRUE(told);
  }
  fs::permissions(dial, fs::perms::all);
  fs::permissions(dial + "/req", fs::perms::all);
  // The manager was never asked anything.
  EXPECT_TRUE(fs::is_empty(dial + "/req"));
}

TEST_F(DiagnosisTest, LedgerThatCannotBeUsedIsTheLedgersFault) {
  // Read: a ledger the register may not read.
  TefState::Write(dial + "/qdm_tef.ldg", "CNF;1;REDECARD;000001;FIN1\r\n");
  fs::permissions(dial + "/qdm_tef.ldg", fs::perms::none);
  fs::permissions(dial, fs::perms::all);
  OpenToAll(fs::temp_directory_path(), dial + "/req");
  OpenToAll(fs::temp_directory_path(), dial + "/resp");
  EXPECT_TRUE(AsPlainUser([&] {
    const bool settled = Qdm00500::VerificaRetorno(Sale().Record(), false);
    return !settled && StartsWith(OnlyDialog(), kLedger + "lido: c:\\tef_dial\\qdm_tef.ldg") &&
           manager.Exchanges().empty();
  }));
  fs::remove(dial + "/qdm_tef.ldg");

  // Written: something else stands where the ledger goes (as a full disk
  // would). The operator is told, and the decision still reaches the
  // manager: the ledger is only this register's memory of it.
  fs::create_directory(dial + "/qdm_tef.ldg");
  EXPECT_TRUE(Qdm00500::VerificaRetorno(Sale().Record(), false));
  EXPECT_EQ(OnlyDialog(), kLedger + "gravado: c:\\tef_dial\\qdm_tef.ldg");
  EXPECT_FALSE(manager.Exchanges().empty());
}

// While another register holds the manager's directory for a transaction,
// this one gets a clear error and writes nothing there; once it lets go,
// the exchange goes through.
TEST_F(DiagnosisTest, TransactionOfAnotherRegisterIsNeverMixedWithOurs) {
  auto lock = std::make_shared<platform::TFileLock>();  // the other register's copy is the one held
  testsupport::OtherProcess other(
      {[lock, path = dial + "/qdm_tef.lck"] { return lock->Acquire(path) == platform::TLockResult::Held ? 1 : 0; },
       [lock] {
         lock->Release();
         return 1;
       }});
  ASSERT_EQ(other.Run(0), 1);

  EXPECT_FALSE(Qdm00500::CheckGPAtivo());
  EXPECT_FALSE(Qdm00500::VerificaRetorno(Sale().Record(), false));
  Qdm00500::CancelaTEF("", "1234", "REDECARD", "000100", "", "", true);
  for (const auto& text : DialogTexts()) EXPECT_TRUE(StartsWith(text, kBusy)) << text;
  EXPECT_EQ(DialogTexts().size(), 3u);
  EXPECT_TRUE(manager.Requests().empty());
  EXPECT_FALSE(fs::exists(dial + "/qdm_tef.ldg"));

  other.Run(1);
  other.Kill();
  EXPECT_TRUE(Qdm00500::CheckGPAtivo());
  EXPECT_TRUE(Qdm00500::VerificaRetorno(Sale().Record(), false));
}

// A front end holding the directory for its own card sale still probes and
// settles through the library: the locks of one register nest.
TEST_F(DiagnosisTest, RegistersOwnLockNests) {
  Qdm00500::ExchangeLock sale;
  ASSERT_TRUE(sale.Held());
  EXPECT_TRUE(Qdm00500::CheckGPAtivo());
  EXPECT_TRUE(Qdm00500::VerificaRetorno(Sale().Record(), false));
  EXPECT_TRUE(DialogTexts().empty());
}

}  // namespace
}  // namespace tef_test
