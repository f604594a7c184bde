// IntPos record: lines "000-000 = value" ended by CR LF, closed by
// "999-999 = 0".
#pragma once
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tef_emu {

struct Field {
  std::string code;  // "010-000"
  std::string value;
};

struct Record {
  std::vector<std::string> lines;  // without their CR LF

  // Value of the first line whose key is `code`, trimmed; "" when absent.
  std::string field(std::string_view code) const;
  // The closing "999-999 = 0" has arrived: the writer is done.
  bool complete() const;
};

Record parse_record(const std::string& bytes);

// Fields in order, each "code = value" + CR LF, then "999-999 = 0" + CR LF.
std::string render_record(const std::vector<Field>& fields);
// Fields in the order of their codes ("029-002" before "029-010").
std::string render_record(const std::map<std::string, std::string>& fields);

}  // namespace tef_emu
