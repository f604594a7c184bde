// A stand-in for the TEF manager inside the test process, for tests on the
// frozen clock: run from the message hook, it takes "req/intpos.001" of the
// roots it serves, acknowledges it with "resp/intpos.sts" and answers a
// cancellation with "resp/intpos.001".
#pragma once
#include <string>
#include <vector>

#include "platform/dataset/stringlist.h"

namespace tef_test {

class FakeManager {
 public:
  FakeManager();  // becomes the message hook
  ~FakeManager();
  FakeManager(const FakeManager&) = delete;
  FakeManager& operator=(const FakeManager&) = delete;

  void Serve(const std::string& root);

  struct Request {
    std::string root;
    std::string command;
    platform::TStringList record;
    std::string Field(const std::string& code) const;
  };
  const std::vector<Request>& Requests() const { return requests_; }
  // Commands taken, in order ("ATV", "CNF", ...).
  std::vector<std::string> Commands() const;
  // Commands other than the "ATV" probes.
  std::vector<std::string> Exchanges() const;

  bool acknowledge = true;
  bool answer_cancellations = true;
  std::vector<std::string> cancellation_voucher{"COMPROVANTE DE CANCELAMENTO", "VALOR CANCELADO: R$ 12,34"};
  std::string cancellation_message = "Cancelamento aprovado";

 private:
  void Poll();

  std::vector<std::string> roots_;
  std::vector<Request> requests_;
  int next_document_ = 900;
};

}  // namespace tef_test
