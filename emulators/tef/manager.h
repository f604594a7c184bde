// The manager's service loop over one root ("c:\tef_dial\" or
// "c:\tef_disc\" on the register): polls "req/intpos.001", takes it,
// acknowledges with "resp/intpos.sts" and, when the command has one,
// answers with "resp/intpos.001" - always in that order.
#pragma once
#include <filesystem>
#include <string>

#include "emulators/common/locks.h"
#include "emulators/tef/commands.h"
#include "emulators/tef/journal.h"
#include "emulators/tef/record.h"
#include "emulators/tef/settings.h"

namespace tef_emu {

struct Options {
  std::filesystem::path root;
  std::filesystem::path journal;  // empty: "journal.txt" in the root
  std::string network;            // empty: from the root's name
  Settings settings;
  int exit_after = 0;  // 0: serve until stopped
};

// TECBAN for a root named "tef_disc" (any letter case), REDECARD otherwise.
std::string default_network(const std::filesystem::path& root);

std::filesystem::path journal_path(const Options& options);

class Manager {
 public:
  explicit Manager(Options options);

  // Creates "req" and "resp", claims the root against a second manager and
  // checks the journal. False, with the reason on stderr, when it cannot.
  bool open();
  // Serves until stopped or until `exit_after` requests; returns how many.
  int run();

 private:
  bool serve_next();
  bool take_request(const std::filesystem::path& found, Record& request);
  void respond(const Record& request, const Settings& settings);
  // Takes back the answer of `transaction` still waiting in
  // "resp/intpos.001"; true when the client had not taken it.
  bool withdraw_answer(const Transaction& transaction);
  void journal_answered(const std::string& command, const std::string& id, const Answer& answer);

  Options options_;
  Journal journal_;
  std::filesystem::path requests_;
  std::filesystem::path answers_;
  std::filesystem::path taken_;
  emu::FileLock root_lock_;
};

}  // namespace tef_emu
