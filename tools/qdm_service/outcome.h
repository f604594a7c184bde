// What a device call said besides its result, and what the request's
// answer makes of it. Nobody answers dialogs at the service: each question
// gets the unattended answer (OK, No), and what the library showed the
// operator is kept for the answer of the request that made it show it. The
// lines the call wrote to the debug log tell a refusal from a printer that
// did not answer.
#pragma once
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/dialogs/dialogs.h"
#include "tools/qdm_service/problem.h"

namespace qdm_service {

// A text the library showed the operator (Windows-1252).
struct OperatorNote {
  int type;  // platform::mtError, mtInformation, mtConfirmation
  std::string text;
};

// The service's dialog presenter: unattended answers, every text kept
// until taken.
class ServiceOperator : public platform::DialogPresenter {
 public:
  int Show(const platform::DialogRequest& request) override;
  // The card network's chooser: closed without a choice (the card routes
  // will choose the network themselves).
  int Choose(const platform::ChoiceRequest& request) override;
  std::vector<OperatorNote> Take();

 private:
  std::mutex mutex_;
  std::vector<OperatorNote> notes_;
};

// What one device call left behind: the operator's notes and the debug
// log's new lines.
struct Observation {
  std::vector<OperatorNote> notes;
  std::string log;  // Windows-1252, as the library wrote it
};

// Runs `call` on the main thread and observes it. Exceptions of the call
// pass through (the caller judges them); the notes are taken either way.
class Observer {
 public:
  // `log_path` answers where the debug log is (it moves with the home).
  Observer(ServiceOperator& op, std::function<std::string()> log_path);
  bool Run(const std::function<bool()>& call, Observation& seen);

 private:
  ServiceOperator& operator_;
  std::function<std::string()> log_path_;
};

// The problem of a device call that answered false: a printer that stayed
// busy or did not take the command is a time-out (504) or absent (503);
// otherwise it refused (422), in the words the library showed the
// operator, or `fallback` when it showed none.
Problem JudgeFailure(const Observation& seen, const std::string& fallback);
// The operator's notes as the answer's "avisos" (UTF-8).
Json Notices(const Observation& seen);

}  // namespace qdm_service
