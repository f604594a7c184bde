// Confirmation (CNF) and undo (NCN) of transactions, kept in the ledger, and
// the resolution at start of the answers an interrupted run left behind.
#include <vector>

#include "facade/Qdm00000.h"
#include "utility/utility.h"
#include "platform/dialogs/dialogs.h"
#include "platform/base/errors.h"
#include "platform/os/files.h"
#include "platform/text/format.h"
#include "platform/base/sysutils.h"
#include "tef/Qdm00500.h"
#include "tef/intpos_exchange.h"
#include "tef/intpos_record.h"
#include "tef/ledger.h"

namespace Qdm00500 {

using namespace detail;

namespace {

// "Valor: R$ 12,34" from the amount in cents; nothing when it is absent or
// not a whole number.
std::string AmountText(const std::string& cents) {
  if (cents.empty()) return "";
  try {
    const long long value = platform::StrToInt64(cents);
    return "Valor: " +
           platform::FloatToStrF(static_cast<double>(value) / 100, platform::TFloatFormat::ffCurrency, 18, 2);
  } catch (const platform::EConvertError&) {
    return "";
  }
}

void ShowUndone(const TStringList& answer) {
  util::TouchMessageDlg("Cancelada a Transa\xE7\xE3o\r\nDoc No: " + FieldValue(answer, "012-000") + "\r\nRede: " +
                            FieldValue(answer, "010-000") + "\r\n" + AmountText(FieldValue(answer, "003-000")),
                        platform::mtInformation, platform::mbOK);
}

// The transaction stands the other way: the operator is told what really
// happened, never that it was done as asked.
void ShowRefused(const TStringList& answer, bool undo, const std::string& reason) {
  util::TouchMessageDlg(
      std::string(undo ? "A transa\xE7\xE3o N\xC3O foi desfeita" : "A transa\xE7\xE3o N\xC3O foi confirmada") + ": " +
          reason + "\r\nDoc No: " + FieldValue(answer, "012-000") + "\r\nRede: " + FieldValue(answer, "010-000") +
          "\r\n" + AmountText(FieldValue(answer, "003-000")),
      platform::mtError, platform::mbOK);
}

// A left-over answer: settled ones are only cleared away; a confirmation
// that may not have reached the manager is finished; all else is undone.
Settlement ResolveLeftover(const TStringList& answer) {
  const LedgerEntry* entry = nullptr;
  Ledger ledger;
  try {
    ledger = Ledger::Load(DirTef);
    entry = ledger.Find(KeyOf(answer));
  } catch (const platform::Exception&) {
    // Settle reads the ledger again and tells the operator.
  }
  if (entry && entry->acknowledged) return Settlement::AlreadySettled;
  return Settle(answer, !(entry && entry->decision == Decision::Confirm));
}

int ledger_save_faults = 0;

// The ledger, not the manager, is at fault: the operator is told which file.
void ShowLedgerFault(const char* what) {
  util::TouchMessageDlg(std::string("O arquivo de controle do TEF n\xE3o pode ser ") + what + ": " + LedgerFile(DirTef),
                        platform::mtError, platform::mbOK);
}

bool Settled(Settlement s) { return s == Settlement::Done || s == Settlement::AlreadySettled; }
// What an earlier run left is resolved once the manager holds it final,
// even the other way than this register asked (the operator told).
bool Resolved(Settlement s) { return Settled(s) || s == Settlement::Refused; }

// An answer that cannot be read as a transaction's (damaged, too large,
// without a network) would stop every start: it is set aside, renamed into
// the root's folder of unreadable answers, logged and shown with its name.
// False when it cannot even be moved.
bool SetAside(const std::string& file) {
  const std::string folder = TefFile(kUnreadableDir);
  platform::ForceDirectories(folder);
  const std::string target = NewIntPosFileName(folder);
  if (!platform::RenameFile(file, target)) {
    Qdm00000::ImpFisDebug("ERRO!!! TEF resposta ilegivel nao pode ser posta de lado: " + file);
    return false;
  }
  Qdm00000::ImpFisDebug("ERRO!!! TEF resposta ilegivel posta de lado: " + file + " -> " + target);
  util::TouchMessageDlg(
      "A resposta do Gerenciador Padr\xE3o " + file + " n\xE3o p\364de ser lida.\r\nFoi guardada em " + target + ".",
      platform::mtError, platform::mbOK);
  return true;
}

// The ledger's rule for a transaction whose answer is gone (set aside, or
// deleted after a confirmation whose acknowledgement was never recorded):
// the decision the ledger holds is sent again, from the ledger's own
// names of it. False at the first one not acknowledged.
bool SettleFromLedger() {
  std::vector<LedgerEntry> open;
  try {
    const Ledger ledger = Ledger::Load(DirTef);
    for (const LedgerEntry& entry : ledger.Entries())
      if (!entry.acknowledged) open.push_back(entry);
  } catch (const platform::Exception&) {
    ShowLedgerFault("lido");
    return false;
  }
  for (const LedgerEntry& entry : open) {
    TStringList answer;
    answer.Add(FieldLine("010-000", entry.key.network));
    answer.Add(FieldLine("012-000", entry.key.document));
    answer.Add(FieldLine("027-000", entry.key.finalisation));
    if (!Resolved(Settle(answer, entry.decision == Decision::Undo))) return false;
  }
  return true;
}

// Resolves the answers under the current root; false at the first failure,
// which keeps its file.
bool ResolveRoot() {
  const std::string dir = TefFile(kAnswerDir);
  ExchangeLock exchange;
  if (!exchange.Held()) return false;
  // The slot goes to the archive first, so no exchange below moves it.
  if (platform::FileExists(TefFile(kAnswerFile))) platform::RenameFile(TefFile(kAnswerFile), NewIntPosFileName(dir));
  for (const std::string& name : platform::FindFiles(dir, "intpos.*")) {
    const std::string file = dir + name;
    // A stale acknowledgement names no transaction: nothing to undo.
    if (platform::SameText(name, "intpos.sts")) {
      platform::DeleteFile(file);
      continue;
    }
    TStringList answer;
    try {
      answer = LoadRecord(file);
    } catch (const platform::Exception&) {
      answer.Clear();
    }
    if (FieldValue(answer, "010-000").empty()) {
      if (!SetAside(file)) return false;
      continue;
    }
    if (!Resolved(ResolveLeftover(answer))) return false;
    platform::DeleteFile(file);
  }
  return SettleFromLedger();
}

}  // namespace

namespace detail {

Settlement Settle(const TStringList& answer, bool undo) {
  if (FieldValue(answer, "010-000").empty()) return Settlement::NoNetwork;
  const TransactionKey key = KeyOf(answer);
  const Decision decision = undo ? Decision::Undo : Decision::Confirm;
  const std::string comando = undo ? "NCN" : "CNF";
  const std::string identificacao = GetSequence();
  ExchangeLock exchange;
  if (!exchange.Held()) return Settlement::NotAcknowledged;
  Ledger ledger;
  try {
    ledger = Ledger::Load(DirTef);
  } catch (const platform::Exception&) {
    ShowLedgerFault("lido");
    return Settlement::NotAcknowledged;
  }
  if (const LedgerEntry* entry = ledger.Find(key)) {
    // A decided transaction is never turned the other way.
    if (entry->decision != decision) {
      ShowRefused(answer, undo,
                  entry->decision == Decision::Confirm ? "ela j\xE1 foi confirmada" : "ela j\xE1 foi desfeita");
      return Settlement::Refused;
    }
    if (entry->acknowledged) return Settlement::AlreadySettled;
  }
  // The decision is on disk before the request can reach the manager. A
  // ledger that cannot be written (a full disk) does not hold the decision
  // back: the manager keeps it all the same, and the ledger is only this
  // register's memory of it. The operator is told, and the caller learns
  // it from LedgerSaveFaults.
  ledger.Decide(key, decision);
  bool recorded = true;
  try {
    ledger.Save();
  } catch (const platform::Exception&) {
    ++ledger_save_faults;
    recorded = false;
    ShowLedgerFault("gravado");
  }
  try {
    ClearAnswerSlot();
    platform::DeleteFile(TefFile(kStatusFile));
    WriteRequest({FieldLine("000-000", comando), FieldLine("001-000", identificacao), FieldLine("010-000", key.network),
                  FieldLine("012-000", key.document), FieldLine("027-000", key.finalisation)});
  } catch (const platform::Exception&) {
    if (platform::DirectoryExists(TefFile(kRequestDir)))
      ShowNotWritable();
    else
      util::TouchMessageDlg(kManagerInactive, platform::mtError, platform::mbOK);
    return Settlement::NotAcknowledged;
  }
  if (!CheckGPAtivo(comando, identificacao)) return Settlement::NotAcknowledged;
  // The manager refused: the transaction had already ended the other way.
  // The ledger keeps it as the manager holds it, settled.
  const std::string refusal = LastRefusal();
  if (!refusal.empty()) {
    Qdm00000::ImpFisDebug("ERRO!!! TEF " + comando + " recusado pelo gerenciador: " + refusal +
                          "; Doc No: " + key.document + " Rede: " + key.network);
    ledger.Decide(key, undo ? Decision::Confirm : Decision::Undo);
  }
  try {
    ledger.Acknowledge(key);
    ledger.Save();
  } catch (const platform::Exception&) {
    // Left as decided: the next start sends the same decision again, which
    // the manager takes as a repeat.
    ++ledger_save_faults;
    if (recorded) ShowLedgerFault("gravado");
  }
  if (!refusal.empty()) {
    ShowRefused(answer, undo, refusal);
    return Settlement::Refused;
  }
  if (undo) ShowUndone(answer);
  return Settlement::Done;
}

int LedgerSaveFaults() { return ledger_save_faults; }

}  // namespace detail

bool VerificaRetorno(const TStringList& resposta, bool desfaz) { return Settled(Settle(resposta, desfaz)); }

bool CheckIntPosFiles() {
  for (const char* root : {kRootDial, kRootDisc}) {
    DirTef = root;
    if (!ResolveRoot()) return false;
  }
  return true;
}

}  // namespace Qdm00500
