// The Sweda wire: the command frame and what the answers carry where.
// Positions are 1-based, as the printer's manual counts them.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace Qdm00200::detail {

inline constexpr std::size_t kAnswerBufferSize = 256;
inline const char* const kBusyCode = "-P006";
inline const char* const kStatePoll = "\x1B.28}";
inline const char* const kCancelFrame = "\x1B.05}";
inline const char* const kUnfinished = "ERRO-OPERACAO NAO ENCERRADA}";
// A line of free text, printed in the non-fiscal report it opens.
inline const char* const kTextLine = "08";

// ESC "." code arguments "}", the arguments joined with nothing between them.
std::string BuildFrame(const std::string& comando, const std::vector<std::string>& parametros);

// The answer text of a length-prefixed answer buffer (length byte, then
// up to 255 characters).
std::string AnswerText(const char* buffer);

// Characters `from` to `to` of an answer (empty where the answer is shorter).
std::string Slice(const std::string& answer, int from, int to);
inline char At(const std::string& answer, int position) {
  return position >= 1 && static_cast<std::size_t>(position) <= answer.size()
             ? answer[static_cast<std::size_t>(position) - 1]
             : '\0';
}

bool Refused(const std::string& answer);      // position 2 is "-"
bool Busy(const std::string& answer);         // positions 2 to 6 are "-P006"
bool CouponData(const std::string& answer);   // positions 2 to 3 are "+C"
bool LittlePaper(const std::string& answer);  // ".+P" and "5" at position 6

// The state poll's verdict on one answer to "28".
enum class PollVerdict { Done, KeepPolling };
PollVerdict JudgePoll(const std::string& answer, int poll);

// State word of a "28" answer: a coupon open for sale or payment.
bool CouponLeftOpen(const std::string& answer);

}  // namespace Qdm00200::detail
