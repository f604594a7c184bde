// The emulated TEF manager (tef_manager) run as separate processes on the
// sandbox's roots, and the front end's side of a card sale.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "emulator_tef/manager_process.h"
#include "platform/dataset/stringlist.h"

namespace tef_test {

class ManagerRunner {
 public:
  void Start(const std::string& root, const std::vector<std::string>& args = {});
  // SIGTERM to every manager; true when each ended with status 0.
  bool StopAll();

 private:
  std::vector<std::unique_ptr<ManagerProcess>> processes_;
};

// A card sale as the front end makes it: a CRT request, the manager's
// acknowledgement and answer, the answer archived under the next number.
// Fails the test (empty record) when the manager does not answer.
platform::TStringList CardSale(const std::string& root, long long cents, const std::string& network = "");

// State of a transaction in the manager's journal ("CONFIRMADA", ...).
std::string StateOf(const std::string& root, const std::string& document);
std::string JournalOf(const std::string& root);

// Polls every 10 ms for up to 5 s of real time.
bool Eventually(const std::function<bool()>& condition);

}  // namespace tef_test
