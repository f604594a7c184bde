#include "drivers/sweda/protocol.h"

namespace Qdm00200::detail {

std::string BuildFrame(const std::string& comando, const std::vector<std::string>& parametros) {
  std::size_t size = comando.size() + 3;
  for (const auto& p : parametros) size += p.size();
  std::string frame;
  frame.reserve(size);
  frame += '\x1B';
  frame += '.';
  frame += comando;
  for (const auto& p : parametros) frame += p;
  frame += '}';
  return frame;
}

std::string AnswerText(const char* buffer) {
  const auto length = static_cast<unsigned char>(buffer[0]);
  std::string text(buffer + 1, length);
  // A library that ends the text early with a zero byte ends it there.
  const std::size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

std::string Slice(const std::string& answer, int from, int to) {
  if (from < 1 || to < from || static_cast<std::size_t>(from) > answer.size()) return {};
  return answer.substr(static_cast<std::size_t>(from) - 1, static_cast<std::size_t>(to - from + 1));
}

bool Refused(const std::string& answer) { return At(answer, 2) == '-'; }
bool Busy(const std::string& answer) { return Slice(answer, 2, 6) == kBusyCode; }
bool CouponData(const std::string& answer) { return Slice(answer, 2, 3) == "+C"; }
bool LittlePaper(const std::string& answer) { return Slice(answer, 1, 3) == ".+P" && At(answer, 6) == '5'; }

PollVerdict JudgePoll(const std::string& answer, int poll) {
  const std::string head = Slice(answer, 1, 2);
  if (head == ".+") {
    const char state = At(answer, 10);
    return state == 'C' || state == 'P' || state == 'E' ? PollVerdict::Done : PollVerdict::KeepPolling;
  }
  if (head == ".-") {
    const std::string code = Slice(answer, 2, 6);
    if (code == kBusyCode || (code == "-P002" && poll == 1)) return PollVerdict::KeepPolling;
    return PollVerdict::Done;
  }
  return PollVerdict::KeepPolling;
}

bool CouponLeftOpen(const std::string& answer) {
  const std::string state = Slice(answer, 10, 17);
  return state == "P VENDAS" || state == "E VENDAS";
}

}  // namespace Qdm00200::detail
