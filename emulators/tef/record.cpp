#include "emulators/tef/record.h"

#include "emulators/common/fields.h"

namespace tef_emu {

using emu::Trim;

std::string Record::field(std::string_view code) const {
  for (const auto& line : lines) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    if (Trim(std::string_view(line).substr(0, eq)) == code) return Trim(std::string_view(line).substr(eq + 1));
  }
  return {};
}

bool Record::complete() const { return field("999-999") == "0"; }

Record parse_record(const std::string& bytes) {
  Record record;
  std::size_t start = 0;
  while (start < bytes.size()) {
    auto end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    record.lines.push_back(std::move(line));
    start = end + 1;
  }
  return record;
}

std::string render_record(const std::vector<Field>& fields) {
  std::string bytes;
  for (const auto& f : fields) bytes += f.code + " = " + f.value + "\r\n";
  bytes += "999-999 = 0\r\n";
  return bytes;
}

std::string render_record(const std::map<std::string, std::string>& fields) {
  std::vector<Field> ordered;
  for (const auto& [code, value] : fields) ordered.push_back({code, value});
  return render_record(ordered);
}

}  // namespace tef_emu
