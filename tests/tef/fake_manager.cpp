#include "fake_manager.h"

#include "platform/os/application.h"
#include "platform/os/files.h"
#include "platform/base/sysutils.h"
#include "tef_records.h"

namespace tef_test {

std::string FakeManager::Request::Field(const std::string& code) const {
  const int index = record.IndexOfName(code + " ");
  return index < 0 ? "" : platform::Trim(record[index].substr(record[index].find('=') + 1));
}

FakeManager::FakeManager() {
  platform::Application().SetProcessMessagesHook([this] { Poll(); });
}

FakeManager::~FakeManager() { platform::Application().SetProcessMessagesHook(nullptr); }

void FakeManager::Serve(const std::string& root) { roots_.push_back(root); }

std::vector<std::string> FakeManager::Commands() const {
  std::vector<std::string> commands;
  for (const auto& r : requests_) commands.push_back(r.command);
  return commands;
}

std::vector<std::string> FakeManager::Exchanges() const {
  std::vector<std::string> commands;
  for (const auto& r : requests_)
    if (r.command != "ATV") commands.push_back(r.command);
  return commands;
}

void FakeManager::Poll() {
  for (const std::string& root : roots_) {
    const std::string request_file = root + "/req/intpos.001";
    if (!platform::FileExists(request_file)) continue;
    Request request{root, "", {}};
    request.record.LoadFromFile(request_file);
    platform::DeleteFile(request_file);
    request.command = request.Field("000-000");
    requests_.push_back(request);
    if (!acknowledge) continue;
    const std::string id = request.Field("001-000");
    platform::WriteFileAtomic(root + "/resp/intpos.sts",
                              RecordText({"000-000 = " + request.command, "001-000 = " + id, "999-999 = 0"}));
    if (request.command != "CNC" || !answer_cancellations) continue;
    Answer answer;
    answer.command = "CNC";
    answer.id = id;
    answer.network = request.Field("010-000");
    answer.document = platform::IntToStr(++next_document_);
    answer.finalisation = "FIN" + answer.document;
    answer.amount = request.Field("003-000");
    answer.voucher = cancellation_voucher;
    answer.message = cancellation_message;
    platform::WriteFileAtomic(root + "/resp/intpos.001", RecordText(answer.Lines()));
  }
}

}  // namespace tef_test
