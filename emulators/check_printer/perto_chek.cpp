// A check printer behind the Perto library's four calls.
#include "emulators/check_printer/perto_chek.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

#define PERTO_API extern "C" __attribute__((visibility("default")))

namespace {

struct Printer {
  bool port_available = true;
  bool open = false;
  bool check_in = false;
  std::string bank, amount, payee, city, date;
  std::deque<std::string> answers;
  std::optional<std::pair<std::string, bool>> raw;  // bytes, terminated
  std::string commands, tape, tape_file;
};

std::mutex mutex;
Printer& P() {
  // Destroyed when the library is unloaded, as the device goes away.
  static Printer printer;
  return printer;
}

bool Digits(const std::string& text, std::size_t min, std::size_t max) {
  return text.size() >= min && text.size() <= max && text.find_first_not_of("0123456789") == std::string::npos;
}

// "12345" centavos -> "123,45"
std::string Amount(const std::string& centavos) {
  std::string digits = centavos;
  while (digits.size() < 3) digits.insert(0, "0");
  std::string whole = digits.substr(0, digits.size() - 2);
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size() - 1));
  return whole + "," + digits.substr(digits.size() - 2);
}

void Print(Printer& p) {
  const std::string check = "BANCO " + p.bank + "   R$ " + Amount(p.amount) + "\n" + "PAGUE-SE A " +
                            (p.payee.empty() ? "(PORTADOR)" : p.payee) + "\n" + p.city + (p.city.empty() ? "" : ", ") +
                            p.date.substr(0, 2) + "/" + p.date.substr(2, 2) + "/" + p.date.substr(4) + "\n" +
                            std::string(40, '-') + "\n";
  p.tape += check;
  if (!p.tape_file.empty())
    if (FILE* f = std::fopen(p.tape_file.c_str(), "ab")) {
      std::fwrite(check.data(), 1, check.size(), f);
      std::fclose(f);
    }
}

std::string Execute(Printer& p, const std::string& command) {
  if (command.empty()) return "002";
  const std::string field = command.substr(1);
  switch (command[0]) {
    case 'S':
      return p.check_in ? "000 CHEQUE" : "001";
    case 'B':
      if (!Digits(field, 3, 3)) return "003";
      p.bank = field;
      return "000";
    case 'V':
      if (!Digits(field, 1, 12) || field.find_first_not_of('0') == std::string::npos) return "003";
      p.amount = field;
      return "000";
    case 'F':
      p.payee = field;
      return "000";
    case 'C':
      p.city = field;
      return "000";
    case 'D':
      if (!Digits(field, 8, 8)) return "003";
      p.date = field;
      return "000";
    case 'I':
      if (!p.check_in) return "001";
      if (p.bank.empty() || p.amount.empty() || p.date.empty()) return "003";
      Print(p);
      p.check_in = false;
      p.bank = p.amount = p.payee = p.city = p.date = "";
      return "000";
    case 'E':
      if (!p.check_in) return "001";
      p.check_in = false;
      return "000";
  }
  return "002";
}

int CopyOut(const std::string& text, char* buf, int size) {
  if (buf && size > 0) {
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buf, text.data(), n);
    buf[n] = 0;
  }
  return static_cast<int>(text.size());
}

}  // namespace

PERTO_API int IniComm(const char* porta) {
  std::lock_guard lock(mutex);
  Printer& p = P();
  p.commands += std::string("IniComm ") + (porta ? porta : "") + "\n";
  p.open = p.port_available;
  return p.open ? 1 : 0;
}

PERTO_API int EndComm(void) {
  std::lock_guard lock(mutex);
  P().commands += "EndComm\n";
  P().open = false;
  return 1;
}

PERTO_API int EnvComm(const char* comando) {
  std::lock_guard lock(mutex);
  Printer& p = P();
  if (!p.open || !comando) return 0;
  p.commands += std::string(comando) + "\n";
  p.answers.push_back(Execute(p, comando));
  return 1;
}

#ifndef PERTO_WITHOUT_RECCOMM
PERTO_API
#endif
int RecComm(int tamanho, char* resposta) {
  std::lock_guard lock(mutex);
  Printer& p = P();
  if (!resposta || tamanho <= 0) return 0;
  if (p.raw) {
    const auto [bytes, terminated] = *p.raw;
    p.raw.reset();
    const std::size_t room = static_cast<std::size_t>(tamanho) - (terminated ? 1 : 0);
    const std::size_t n = std::min(bytes.size(), room);
    std::memcpy(resposta, bytes.data(), n);
    if (terminated) resposta[n] = 0;
    return static_cast<int>(std::max<std::size_t>(n, 1));
  }
  if (p.answers.empty()) return 0;
  const int length = CopyOut(p.answers.front(), resposta, tamanho);
  p.answers.pop_front();
  return length;
}

PERTO_API void PertoEmu_Reset(void) {
  std::lock_guard lock(mutex);
  const std::string tape_file = P().tape_file;
  P() = Printer{};
  P().tape_file = tape_file;
}

PERTO_API void PertoEmu_InsertCheck(void) {
  std::lock_guard lock(mutex);
  P().check_in = true;
}

PERTO_API void PertoEmu_SetPortAvailable(int available) {
  std::lock_guard lock(mutex);
  P().port_available = available != 0;
}

PERTO_API void PertoEmu_SetTapeFile(const char* path) {
  std::lock_guard lock(mutex);
  P().tape_file = path ? path : "";
}

PERTO_API int PertoEmu_Tape(char* buf, int size) {
  std::lock_guard lock(mutex);
  return CopyOut(P().tape, buf, size);
}

PERTO_API int PertoEmu_Commands(char* buf, int size) {
  std::lock_guard lock(mutex);
  return CopyOut(P().commands, buf, size);
}

PERTO_API void PertoEmu_NextRawAnswer(const char* bytes, int length, int terminated) {
  std::lock_guard lock(mutex);
  P().raw = std::make_pair(std::string(bytes ? bytes : "", bytes ? static_cast<std::size_t>(std::max(length, 0)) : 0),
                           terminated != 0);
}
