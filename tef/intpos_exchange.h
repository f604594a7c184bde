// Pieces of the IntPos exchange shared by confirmation, vouchers and
// cancellation.
#pragma once
#include <functional>
#include <string>

#include "platform/base/clock.h"
#include "platform/dataset/stringlist.h"

namespace Qdm00500::detail {

inline constexpr const char* kManagerInactive = "O Gerenciador Padr\xE3o n\xE3o est\xE1 ativo!";

// Tells the operator that a file of the manager's directory (DirTef)
// could not be written, naming the directory.
void ShowNotWritable();

// Time spent in a wait on the library clock. A clock set back counts as no
// time, so a correction of the clock cannot stretch a wait.
class WaitClock {
 public:
  WaitClock() : last_(platform::clock::Now()) {}
  double Seconds();

 private:
  platform::TDateTime last_;
  double days_ = 0;
};

// A host that started the manager itself can tell when it has ended
// (`alive` answers false); the waits on the manager then end at once rather
// than run out their time. An empty function: nobody watches.
void WatchManager(std::function<bool()> alive);
bool ManagerGone();

// Empties the answer slot "resp\intpos.001" before a new request: a
// transaction answer goes to the archive, where the next start can still
// undo it; anything else is deleted.
void ClearAnswerSlot();

// Outcome of a confirmation or undo.
enum class Settlement {
  Done,             // sent and acknowledged
  AlreadySettled,   // the ledger shows it settled the same way: nothing sent
  NoNetwork,        // not a transaction answer (010-000 empty)
  Refused,          // the ledger shows it settled the other way: nothing sent
  NotAcknowledged,  // sent (or not even written) without acknowledgement
};
// CNF (undo false) or NCN (undo true) of an answer through DirTef's manager.
Settlement Settle(const platform::TStringList& answer, bool undo);

}  // namespace Qdm00500::detail
