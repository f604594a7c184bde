// The Bematech wire: the frame and what the status bytes say.
#pragma once
#include <span>
#include <string>
#include <vector>

namespace Qdm00100::detail {

// The four integers of "Status_Mp20FI", read afresh (the entry point must
// be bound).
struct PrinterStatus {
  int retorno = 0;
  int ack = 0;
  int st1 = 0;
  int st2 = 0;
};
PrinterStatus ReadStatus();

inline constexpr int kReturnFailed = 1;  // "retorno": the library failed
inline constexpr int kNak = 21;          // "ack": the printer refused the frame

// The printer still works on the command (ST2 bit 6).
bool Busy(const PrinterStatus& status);

// What a raised status bit means for the command.
enum class Effect { Failure, LittlePaper, CouponOpen };

struct StatusBit {
  int byte;  // 1: ST1, 2: ST2
  int mask;
  const char* key;  // catalogue text told to the operator
  Effect effect;
};

// Every status bit, highest first, ST1 before ST2: the order of the dialogs.
std::span<const StatusBit> StatusBits();
bool Raised(const StatusBit& bit, const PrinterStatus& status);

// ESC "|" code ("|" argument)* "|" ESC, with the arguments cleaned.
std::string BuildFrame(const std::string& comando, const std::vector<std::string>& parametros);
// The bare status frame a busy printer is polled with.
inline const char* const kBusyPoll = "\x1B|19|\x1B";

}  // namespace Qdm00100::detail
