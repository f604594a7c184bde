// A temporary TEF root ("c:\tef_dial\" on a register) and the file moves
// of a front end talking to the manager through it.
#pragma once
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace tef_test {

namespace fs = std::filesystem;

using Fields = std::map<std::string, std::string>;  // code -> trimmed value

// Each line "code = value" of an IntPos record.
Fields parse_fields(const std::string& bytes);
// Voucher lines 029-001 .. 029-NNN as written, quotes included.
std::vector<std::string> voucher_lines(const Fields& answer);

class TefRoot {
 public:
  // <temporary directory>/<name>, with "req" and "resp" unless told not to.
  explicit TefRoot(const std::string& name = "tef_dial", bool with_subdirectories = true);
  ~TefRoot();
  TefRoot(const TefRoot&) = delete;
  TefRoot& operator=(const TefRoot&) = delete;

  const fs::path& path() const { return root_; }

  // Writes the record (lines + "999-999 = 0", CR LF) whole to req/<name>.
  void write_request(const std::vector<std::string>& lines, const std::string& name = "intpos.001") const;
  // Waits (polling, bounded) for resp/<name>, reads it and deletes it, as
  // the library does with the status file; nullopt when it never comes.
  std::optional<std::string> take(const std::string& name) const;
  // Sends a request and takes its acknowledgement.
  std::optional<std::string> exchange(const std::vector<std::string>& lines) const;
  // Sends a request, takes acknowledgement and answer; the answer's fields.
  Fields transaction(const std::vector<std::string>& lines) const;

  void write_control(const std::string& text) const;
  std::string journal() const;
  // State of a transaction by document number, from --print-journal.
  std::string state_of(const std::string& nsu) const;

 private:
  testsupport::TempDir base_{"emutef"};
  fs::path root_;
};

// Polls every 10 ms for up to 3 s.
bool eventually(const std::function<bool()>& condition);

}  // namespace tef_test
