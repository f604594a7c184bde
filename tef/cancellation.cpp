// Cancellation (CNC) of card transactions through the manager.
#include "utility/utility.h"
#include "platform/os/application.h"
#include "platform/dialogs/dialogs.h"
#include "platform/base/errors.h"
#include "platform/os/files.h"
#include "platform/base/sysutils.h"
#include "facade/Qdm00000.h"
#include "tef/Qdm00500.h"
#include "tef/intpos_exchange.h"
#include "tef/intpos_record.h"

namespace Qdm00500 {

using namespace detail;

namespace {

// One message at most per look at the answer slot.
constexpr int kAnswerPollMs = 100;

// Waits for the manager's answer to this cancellation. Answers of other
// requests are archived on the way and ignored.
bool AwaitCancellation(const std::string& identificacao, TStringList& answer) {
  const std::string slot = TefFile(kAnswerFile);
  WaitClock elapsed;
  for (;;) {
    platform::Application().HandleMessage(kAnswerPollMs);
    if (platform::FileExists(slot)) {
      TStringList record;
      bool read = true;
      try {
        record = LoadRecord(slot);
      } catch (const platform::Exception&) {
        read = false;  // looked at again on the next pass
      }
      if (read) {
        platform::RenameFile(slot, NewIntPosFileName(TefFile(kAnswerDir)));
        if (record.Count() >= 2 && record[0] == FieldLine("000-000", "CNC") &&
            record[1] == FieldLine("001-000", identificacao)) {
          answer = record;
          return true;
        }
      }
    }
    if (elapsed.Seconds() > inTimeoutRespostaTEF || ManagerGone()) return false;
  }
}

// Prints the cancellation voucher now and settles it; false when its
// settlement is still owed to the manager.
bool PrintAndSettle(const TStringList& answer, const std::string& mensagem) {
  if (!mensagem.empty()) {
    util::TouchMessage(mensagem, platform::mtInformation, platform::mbNone, 0, 5);
    platform::Application().HandleMessage();
  }
  const bool impresso = ImprCupom(answer, 2, true);
  return Settle(answer, !impresso) != Settlement::NotAcknowledged;
}

// The cancellation of one transaction; false when the manager gave no
// answer to it.
bool Cancel(const std::string& doc002, const std::string& valor003, const std::string& rede010,
            const std::string& doc012, const std::string& valor022, const std::string& valor023, bool imprimeAgora) {
  DirTefPorRede(rede010);
  // The probe, the request and its answer are one exchange.
  ExchangeLock exchange;
  if (!exchange.Held() || !CheckGPAtivo()) return false;
  const std::string identificacao = GetSequence();
  try {
    WriteRequest({FieldLine("000-000", "CNC"), FieldLine("001-000", identificacao), FieldLine("002-000", doc002),
                  FieldLine("003-000", valor003), FieldLine("010-000", rede010), FieldLine("012-000", doc012),
                  FieldLine("022-000", valor022), FieldLine("023-000", valor023)});
  } catch (const platform::Exception&) {
    ShowNotWritable();
    return false;
  }
  if (!CheckGPAtivo("CNC", identificacao)) return false;

  TStringList answer;
  if (!AwaitCancellation(identificacao, answer)) {
    Qdm00000::ImpFisDebug("ERRO!!! TEF CNC " + identificacao + " sem resposta do gerenciador; Doc No: " + doc012 +
                          " Rede: " + rede010);
    // A late answer lands in the slot; the next probe archives it and the
    // next start undoes it, so the sale stands as it was.
    util::TouchMessageDlg("O Gerenciador Padr\xE3o n\xE3o respondeu ao cancelamento.\r\nDoc No: " + doc012 +
                              "\r\nRede: " + rede010 + "\r\nO cancelamento n\xE3o foi conclu\355do.",
                          platform::mtError, platform::mbOK);
    return false;
  }

  const std::string mensagem = FieldValue(answer, "030-000");
  const std::string linhas = FieldValue(answer, "028-000");
  const bool comVoucher = !linhas.empty() && linhas != "0";
  bool settled = true;
  // Without a store to keep it in, the voucher is printed now rather than lost.
  if (!imprimeAgora && stlCancCuponsTEF) {
    if (!mensagem.empty()) util::TouchMessageDlg(mensagem, platform::mtInformation, platform::mbOK);
    if (comVoucher) {
      // Confirmed when ImprCupons prints the kept block.
      ++inContCancCuponsTEF;
      stlCancCuponsTEF->Add(platform::IntToStr(inContCancCuponsTEF));
      stlCancCuponsTEF->AddStrings(answer);
    }
  } else if (comVoucher) {
    settled = PrintAndSettle(answer, mensagem);
  } else if (!mensagem.empty()) {
    util::TouchMessageDlg(mensagem, platform::mtInformation, platform::mbOK);
  }
  if (settled) DeleteIntPosFiles(TefFile(kAnswerDir), identificacao);
  return true;
}

}  // namespace

void CancelaTEF(const std::string& doc002, const std::string& valor003, const std::string& rede010,
                const std::string& doc012, const std::string& valor022, const std::string& valor023,
                bool imprimeAgora) {
  Cancel(doc002, valor003, rede010, doc012, valor022, valor023, imprimeAgora);
}

void CancelaTEFs(bool imprimeAgora) {
  if (!stlCuponsTEF) return;
  for (int k = 1; k <= inContCuponsTEF; ++k) {
    const TStringList block = ExtractBlock(*stlCuponsTEF, k);
    if (block.Count() == 0) continue;
    const bool answered =
        Cancel(FieldValue(block, "002-000"), FieldValue(block, "003-000"), FieldValue(block, "010-000"),
               FieldValue(block, "012-000"), FieldValue(block, "022-000"), FieldValue(block, "023-000"), imprimeAgora);
    DirTefPorRede(FieldValue(block, "010-000"));
    // A sale the manager did not answer for keeps its archived answer, so
    // the next start undoes it; nor does a block without identifier delete
    // other transactions' answers.
    const std::string id = FieldValue(block, "001-000");
    if (answered && !id.empty()) DeleteIntPosFiles(TefFile(kAnswerDir), id);
  }
}

}  // namespace Qdm00500
