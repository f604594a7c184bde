#include "tools/qdm_register/card_payment.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "platform/os/application.h"
#include "platform/base/clock.h"
#include "platform/os/files.h"
#include "platform/text/format.h"
#include "platform/base/sysutils.h"
#include "tef/Qdm00500.h"

namespace qdm_register {

namespace {

// How long the front end waits for the manager to approve a sale: the
// customer types the PIN at the pinpad meanwhile.
constexpr int kSaleAnswerSeconds = 120;
constexpr double kSecondsPerDay = 86400.0;

std::string Field(const platform::TStringList& record, const std::string& code) {
  return platform::Trim(record.Values(code + " "));
}

// Managers running, for the signal handler: it may only read plain values.
constexpr int kManagerSlots = 4;
volatile sig_atomic_t g_managers[kManagerSlots] = {};

void Remember(pid_t pid) {
  for (auto& slot : g_managers)
    if (slot == 0) {
      slot = pid;
      return;
    }
}

void Forget(pid_t pid) {
  for (auto& slot : g_managers)
    if (slot == pid) slot = 0;
}

void OnEndingSignal(int signal_number) {
  for (auto& slot : g_managers)
    if (slot > 0) kill(static_cast<pid_t>(slot), SIGTERM);
  // The register then ends as the signal asks.
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

bool WaitForExit(pid_t pid, int milliseconds) {
  for (int waited = 0; waited <= milliseconds; waited += 10) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return true;
    usleep(10000);
  }
  return false;
}

}  // namespace

TefManager::TefManager(const std::string& program, const std::string& root,
                       const std::vector<std::string>& options)
    : root_(root) {
  std::vector<std::string> args = {program, "--root", root};
  args.insert(args.end(), options.begin(), options.end());
  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("cannot start the TEF manager");
  if (pid_ == 0) {
    // The manager ends with the register, even a register killed outright.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(1);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    std::perror(program.c_str());
    _exit(127);
  }
  Remember(pid_);
  // The manager creates its directories on start; give it a moment so the
  // first probe finds it serving.
  for (int i = 0; i < 200 && !platform::DirectoryExists(root + "/resp"); ++i) usleep(10000);
}

TefManager::~TefManager() { Stop(); }

void TefManager::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  if (!WaitForExit(pid_, 5000)) {
    kill(pid_, SIGKILL);
    WaitForExit(pid_, 5000);
  }
  Forget(pid_);
  pid_ = -1;
}

void TefManager::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  WaitForExit(pid_, 5000);
  Forget(pid_);
  pid_ = -1;
}

void StopManagersOnSignals() {
  struct sigaction action {};
  action.sa_handler = OnEndingSignal;
  sigemptyset(&action.sa_mask);
  for (int signal_number : {SIGTERM, SIGHUP, SIGINT, SIGPIPE}) sigaction(signal_number, &action, nullptr);
}

CardResult PayByCard(double amount) {
  using namespace Qdm00500;
  CardResult result;
  if (!CheckDirTef("D")) {
    result.message = "opera\xE7\xE3o encerrada pelo operador";
    return result;
  }
  // The manager's directory is this register's from the request to the
  // archived answer.
  ExchangeLock exchange;
  if (!exchange.Held()) {
    result.message = "diret\xF3rio do gerenciador indispon\xEDvel";
    return result;
  }
  if (!CheckGPAtivo()) {
    result.message = "gerenciador TEF inativo";
    return result;
  }

  std::string id = GetSequence();
  long long cents = platform::Trunc(platform::RoundTo(amount * 100, 0));
  platform::TStringList request;
  request.Add("000-000 = CRT");
  request.Add("001-000 = " + id);
  request.Add("003-000 = " + platform::IntToStr(cents));
  request.Add("004-000 = 0");
  request.Add("999-999 = 0");
  try {
    request.SaveToFile(DirTef + "req\\intpos.001");
  } catch (const std::exception&) {
    result.message = "pedido n\xE3o gravado em " + DirTef + "req";
    return result;
  }
  if (!CheckGPAtivo("CRT", id)) {
    result.message = "gerenciador TEF n\xE3o confirmou o pedido";
    return result;
  }

  // The answer: archived as soon as it is read, like every answer file, so
  // an interrupted run leaves it where the next start will undo it.
  platform::TDateTime deadline = platform::clock::Now() + kSaleAnswerSeconds / kSecondsPerDay;
  const std::string answer_file = DirTef + "resp\\intpos.001";
  while (platform::clock::Now() < deadline) {
    platform::Application().HandleMessage(50);
    if (!platform::FileExists(answer_file)) continue;
    platform::TStringList answer;
    answer.LoadFromFile(answer_file);
    platform::RenameFile(answer_file, NewIntPosFileName(DirTef + "resp\\"));
    if (answer.Count() < 2 || answer[0] != "000-000 = CRT" || answer[1] != "001-000 = " + id) continue;

    result.network = Field(answer, "010-000");
    result.document = Field(answer, "012-000");
    result.message = Field(answer, "030-000");
    result.approved = Field(answer, "009-000") == "0";
    if (!result.approved && result.message.empty()) result.message = "c\xF3" "digo " + Field(answer, "009-000");
    if (!result.approved) {
      // A declined sale leaves nothing to confirm or undo.
      DeleteIntPosFiles(DirTef + "resp\\", id);
    } else if (stlCuponsTEF) {
      ++inContCuponsTEF;
      stlCuponsTEF->Add(platform::IntToStr(inContCuponsTEF));
      stlCuponsTEF->AddStrings(answer);
    }
    return result;
  }
  result.message = "sem resposta do gerenciador";
  return result;
}

}  // namespace qdm_register
