#include "manager_runner.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "platform/os/files.h"
#include "platform/base/sysutils.h"
#include "tef/Qdm00500.h"
#include "tef_fixture.h"

namespace tef_test {

void ManagerRunner::Start(const std::string& root, const std::vector<std::string>& args) {
  processes_.push_back(std::make_unique<ManagerProcess>(root, args));
}

bool ManagerRunner::StopAll() {
  bool clean = true;
  for (auto& process : processes_) clean = process->stop(SIGTERM) == 0 && clean;
  processes_.clear();
  return clean;
}

bool Eventually(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

platform::TStringList CardSale(const std::string& root, long long cents, const std::string& network) {
  // Identifiers of their own, never equal to the library's.
  static int sequence = 0;
  const std::string id = "9" + platform::IntToStr(100000000 + ++sequence);
  std::vector<std::string> lines{"000-000 = CRT", "001-000 = " + id, "003-000 = " + platform::IntToStr(cents)};
  if (!network.empty()) lines.push_back("010-000 = " + network);
  lines.push_back("999-999 = 0");
  platform::WriteFileAtomic(root + "/req/intpos.001", RecordText(lines));

  const std::string status = root + "/resp/intpos.sts";
  const std::string answer_file = root + "/resp/intpos.001";
  platform::TStringList answer;
  EXPECT_TRUE(Eventually([&] { return platform::FileExists(status); })) << "no status";
  platform::DeleteFile(status);
  if (!Eventually([&] { return platform::FileExists(answer_file); })) {
    ADD_FAILURE() << "no answer to the sale";
    return answer;
  }
  answer.LoadFromFile(answer_file);
  platform::RenameFile(answer_file, Qdm00500::NewIntPosFileName(root + "/resp/"));
  return answer;
}

std::string JournalOf(const std::string& root) {
  const std::string file = root + "/journal.txt";
  return platform::FileExists(file) ? platform::ReadFileBytes(file) : "";
}

std::string StateOf(const std::string& root, const std::string& document) {
  std::istringstream summary(run_manager({"--root", root, "--print-journal"}));
  for (std::string line; std::getline(summary, line);) {
    if (line.rfind("nsu=" + document + " ", 0) != 0) continue;
    const auto at = line.find("estado=");
    if (at == std::string::npos) return "";
    const auto end = line.find(' ', at);
    return line.substr(at + 7, end == std::string::npos ? std::string::npos : end - at - 7);
  }
  return "";
}

}  // namespace tef_test
