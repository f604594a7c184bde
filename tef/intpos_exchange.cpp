// The manager's probe and acknowledgement, identifiers, the answer archive.
#include "tef/intpos_exchange.h"

#include <set>

#include "facade/Qdm00000.h"
#include "utility/utility.h"
#include "platform/os/application.h"
#include "platform/dialogs/dialogs.h"
#include "platform/base/errors.h"
#include "platform/os/files.h"
#include "platform/text/format.h"
#include "platform/base/sysutils.h"
#include "tef/Qdm00500.h"
#include "tef/intpos_record.h"

namespace Qdm00500 {

using namespace detail;

namespace {

constexpr double kAckTimeoutSeconds = 7;
// Between looks at the status file: the manager needs tens of milliseconds,
// and the register's processor is not ours to burn.
constexpr int kStatusPollMs = 50;

// The acknowledgement that ended the last successful wait.
TStringList& LastStatus() {
  static TStringList status;
  return status;
}

std::function<bool()>& ManagerWatch() {
  static std::function<bool()> alive;
  return alive;
}

// Waits for the status file that echoes this command and identifier. A
// status of another request is consumed and the wait goes on.
bool AwaitStatus(const std::string& comando, const std::string& identificacao) {
  const std::string status = platform::HostPath(TefFile(kStatusFile));
  WaitClock elapsed;
  for (;;) {
    platform::Application().ProcessMessages();
    if (platform::FileExists(status)) {
      TStringList record;
      try {
        record = LoadRecord(status);
      } catch (const platform::Exception&) {
        // An acknowledgement that cannot be read ends the wait as a failure.
        platform::DeleteFile(status);
        return false;
      }
      platform::DeleteFile(status);
      // A damaged acknowledgement ends the wait as a failure.
      if (record.Count() < 2) return false;
      if (record[0] == FieldLine("000-000", comando) && record[1] == FieldLine("001-000", identificacao)) {
        LastStatus() = record;
        return true;
      }
    }
    if (elapsed.Seconds() > kAckTimeoutSeconds || ManagerGone()) return false;
    platform::clock::Pause(kStatusPollMs);
  }
}

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

namespace detail {

double WaitClock::Seconds() {
  const platform::TDateTime now = platform::clock::Now();
  if (now > last_) days_ += now - last_;
  last_ = now;
  return days_ * 24 * 60 * 60;
}

void WatchManager(std::function<bool()> alive) { ManagerWatch() = std::move(alive); }

bool ManagerGone() { return ManagerWatch() && !ManagerWatch()(); }

std::string RefusalIn(const TStringList& status) {
  const std::string result = FieldValue(status, "009-000");
  if (result.empty() || result == "0") return "";
  const std::string reason = FieldValue(status, "030-000");
  return reason.empty() ? "c\363digo " + result : reason;
}

std::string LastRefusal() { return RefusalIn(LastStatus()); }

void ShowNotWritable() {
  util::TouchMessageDlg("O diret\xF3rio do Gerenciador Padr\xE3o n\xE3o permite grava\xE7\xE3o: " + DirTef,
                        platform::mtError, platform::mbOK);
}

void ClearAnswerSlot() {
  const std::string slot = TefFile(kAnswerFile);
  if (!platform::FileExists(slot)) return;
  TStringList answer;
  try {
    answer = LoadRecord(slot);
  } catch (const platform::Exception&) {
  }
  if (!FieldValue(answer, "010-000").empty() && platform::RenameFile(slot, NewIntPosFileName(TefFile(kAnswerDir))))
    return;
  platform::DeleteFile(slot);
}

}  // namespace detail

std::string GetSequence() {
  // Trunc reads the decimal the product stands for: a plain cast would lose
  // a second whenever the product lands a hair below the whole number.
  std::string seconds = platform::IntToStr(platform::Trunc(platform::clock::Now() * 24 * 60 * 60));
  if (seconds.size() > 10) seconds = seconds.substr(seconds.size() - 10);
  return Qdm00000::AjustaZero(seconds, 10);
}

void DirTefPorRede(const std::string& rede) { DirTef = rede == "TECBAN" ? kRootDisc : kRootDial; }

ExchangeLock::ExchangeLock() {
  const platform::TLockResult result = lock_.Acquire(TefFile(kLockFile), static_cast<int>(kAckTimeoutSeconds * 1000));
  switch (result) {
    case platform::TLockResult::Held:
    case platform::TLockResult::NoDirectory:
      held_ = true;
      break;
    case platform::TLockResult::Busy:
      util::TouchMessageDlg(
          "O Gerenciador Padr\xE3o est\xE1 atendendo outro caixa (" + DirTef + ").\r\nTente novamente.",
          platform::mtError, platform::mbOK);
      break;
    case platform::TLockResult::NotWritable:
      ShowNotWritable();
      break;
  }
}

bool CheckGPAtivo(const std::string& comando, const std::string& identificacao) {
  bool ativo = false;
  LastStatus().Clear();
  ExchangeLock exchange;
  if (!exchange.Held()) return false;
  try {
    if (comando == "ATV") {
      ClearAnswerSlot();
      platform::DeleteFile(TefFile(kStatusFile));
      WriteRequest({FieldLine("000-000", "ATV"), FieldLine("001-000", identificacao)});
    }
    ativo = AwaitStatus(comando, identificacao);
  } catch (const platform::EInOutError&) {
    // The probe could not be written: the directory's fault, not the manager's.
    if (platform::DirectoryExists(TefFile(kRequestDir))) {
      ShowNotWritable();
      return false;
    }
    ativo = false;
  } catch (const std::exception&) {
    ativo = false;
  }
  if (!ativo) {
    Qdm00000::ImpFisDebug("ERRO!!! TEF " + comando + " " + identificacao + " sem confirma\xE7\xE3o do gerenciador");
    util::TouchMessageDlg(kManagerInactive, platform::mtError, platform::mbOK);
  }
  return ativo;
}

bool CheckGPAtivo() { return CheckGPAtivo("ATV", GetSequence()); }

std::string NewIntPosFileName(const std::string& diretorio) {
  constexpr long long kLastNumber = 999999999999999;  // 15 digits
  std::set<std::string> names;
  long long next = 1;
  for (const std::string& name : platform::FindFiles(diretorio, "intpos.*")) {
    names.insert(platform::LowerCase(name));
    if (name == "intpos.001") continue;
    const std::string ext = platform::ExtractFileExt(name);
    const std::string number = ext.empty() ? ext : ext.substr(1);
    // Only archive numbers count: "intpos.sts" and the like do not.
    if (!AllDigits(number) || number.size() > 15) continue;
    const long long value = std::stoll(number);
    if (value >= next) next = value + 1;
  }
  // Past the last number the archive starts again at the lowest free one:
  // an archived answer is never replaced by the rename that follows.
  if (next > kLastNumber) next = 1;
  while (names.count("intpos." + platform::IntToStr(next))) ++next;
  return diretorio + "intpos." + platform::IntToStr(next);
}

void DeleteIntPosFiles(const std::string& diretorio, const std::string& identificacao) {
  const std::string mark = FieldLine("001-000", identificacao);
  for (const std::string& name : platform::FindFiles(diretorio, "intpos.*")) {
    const std::string file = diretorio + name;
    if (!identificacao.empty()) {
      try {
        if (platform::ReadFileBounded(file, kIntPosFileLimit).find(mark) == std::string::npos) continue;
      } catch (const platform::Exception&) {
        continue;  // what cannot be read cannot be shown to be ours
      }
    }
    platform::DeleteFile(file);
  }
}

}  // namespace Qdm00500
