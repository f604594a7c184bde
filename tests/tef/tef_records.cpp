#include "tef_records.h"

#include <cstdio>

namespace tef_test {

std::vector<std::string> Answer::Lines() const {
  std::vector<std::string> lines{"000-000 = " + command, "001-000 = " + id};
  if (!amount.empty()) lines.push_back("003-000 = " + amount);
  lines.push_back("009-000 = 0");
  lines.push_back("010-000 = " + network);
  lines.push_back("012-000 = " + document);
  lines.push_back("027-000 = " + finalisation);
  if (!voucher.empty()) {
    lines.push_back("028-000 = " + std::to_string(voucher.size()));
    for (std::size_t i = 0; i < voucher.size(); ++i) {
      char code[32];
      std::snprintf(code, sizeof code, "029-%03zu", i + 1);
      lines.push_back(std::string(code) + " = \"" + voucher[i] + "\"");
    }
  }
  if (!message.empty()) lines.push_back("030-000 = " + message);
  lines.push_back("999-999 = 0");
  return lines;
}

platform::TStringList Answer::Record() const {
  platform::TStringList record;
  record.SetText(RecordText(Lines()));
  return record;
}

std::string RecordText(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace tef_test
