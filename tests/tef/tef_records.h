// Answer records as the TEF manager writes them, for the TEF tests and
// benchmarks.
#pragma once
#include <string>
#include <vector>

#include "platform/dataset/stringlist.h"

namespace tef_test {

// An answer record of the manager, unquoted voucher lines.
struct Answer {
  std::string command = "CRT";
  std::string id = "0000000100";
  std::string network = "REDECARD";
  std::string document = "000100";
  std::string amount = "1234";
  std::string finalisation = "20261210140000000100";
  std::vector<std::string> voucher;
  std::string message;

  std::vector<std::string> Lines() const;
  platform::TStringList Record() const;
};

// Text of a record: each line and CR LF.
std::string RecordText(const std::vector<std::string>& lines);

}  // namespace tef_test
