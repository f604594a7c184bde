// A check printer behind the Perto library's four calls.
#include "emulators/check_printer/perto_chek.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <optional>
#include <string>

#include "emulators/common/device.h"

#include "emulators/common/export.h"

namespace {

class PertoPrinter : public emu::Device {
 public:
  static PertoPrinter& Instance() {
    static PertoPrinter printer;
    return printer;
  }

  int Open(const char* porta) {
    RecordFrame(std::string("IniComm ") + (porta ? porta : ""));
    return OpenPort(porta) ? 1 : 0;
  }
  int Close() {
    RecordFrame("EndComm");
    ClosePort();
    return 1;
  }
  int Send(const char* comando) {
    if (!port_open() || !comando) return 0;
    RecordFrame(comando);
    if (faults().refuse.Take()) return 0;
    answers_.push_back(Execute(comando));
    return 1;
  }
  // The oldest answer, zero-terminated, within `size` bytes; its length.
  int Receive(int size, char* buffer) {
    if (!buffer || size <= 0) return 0;
    if (raw_) {
      const auto [bytes, terminated] = *raw_;
      raw_.reset();
      const std::size_t n = std::min(bytes.size(), static_cast<std::size_t>(size) - (terminated ? 1 : 0));
      std::memcpy(buffer, bytes.data(), n);
      if (terminated) buffer[n] = 0;
      return static_cast<int>(std::max<std::size_t>(n, 1));
    }
    if (answers_.empty()) return 0;
    const std::string answer = answers_.front().substr(0, static_cast<std::size_t>(size) - 1);
    answers_.pop_front();
    std::memcpy(buffer, answer.c_str(), answer.size() + 1);
    return static_cast<int>(answer.size());
  }

  void InsertCheck() { check_in_ = true; }
  bool check_in() const { return check_in_; }
  void NextRawAnswer(std::string bytes, bool terminated) { raw_ = std::make_pair(std::move(bytes), terminated); }

  // No memory survives a power cut: the printer keeps no state file.
  void SetStateFile(const std::string&) override {}
  void SetFiscalDay(std::optional<int>) override {}

 protected:
  void FactoryReset() override {
    PowerOn();
    check_in_ = false;
  }
  void PowerOn() override {
    fields_ = Fields{};
    answers_.clear();
    raw_.reset();
  }

 private:
  PertoPrinter() : Device("PertoChekSer.dll", "PERTO", "perto_tape.txt") { emu::Serve(*this); }

  struct Fields {
    std::string bank, amount, payee, city, date;
  };

  static bool Digits(const std::string& text, std::size_t min, std::size_t max) {
    return text.size() >= min && text.size() <= max && text.find_first_not_of("0123456789") == std::string::npos;
  }

  // "12345" centavos -> "123,45"
  static std::string Amount(std::string digits) {
    while (digits.size() < 3) digits.insert(0, "0");
    std::string whole = digits.substr(0, digits.size() - 2);
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size() - 1));
    return whole + "," + digits.substr(digits.size() - 2);
  }

  void Print() {
    const Fields& f = fields_;
    tape().Print("BANCO " + f.bank + "   R$ " + Amount(f.amount) + "\n" + "PAGUE-SE A " +
                 (f.payee.empty() ? "(PORTADOR)" : f.payee) + "\n" + f.city + (f.city.empty() ? "" : ", ") +
                 f.date.substr(0, 2) + "/" + f.date.substr(2, 2) + "/" + f.date.substr(4) + "\n" +
                 std::string(40, '-') + "\n");
  }

  std::string Execute(const std::string& command) {
    if (command.empty()) return "002";
    const std::string field = command.substr(1);
    Fields& f = fields_;
    switch (command[0]) {
      case 'S':
        return check_in_ ? "000 CHEQUE" : "001";
      case 'B':
        if (!Digits(field, 3, 3)) return "003";
        f.bank = field;
        return "000";
      case 'V':
        if (!Digits(field, 1, 12) || field.find_first_not_of('0') == std::string::npos) return "003";
        f.amount = field;
        return "000";
      case 'F':
        f.payee = field;
        return "000";
      case 'C':
        f.city = field;
        return "000";
      case 'D':
        if (!Digits(field, 8, 8)) return "003";
        f.date = field;
        return "000";
      case 'I':
        if (!check_in_) return "001";
        if (f.bank.empty() || f.amount.empty() || f.date.empty()) return "003";
        if (paper() == emu::Paper::Out) return "005";
        Print();
        check_in_ = false;
        f = Fields{};
        return "000";
      case 'E':
        if (!check_in_) return "001";
        check_in_ = false;
        return "000";
    }
    return "002";
  }

  bool check_in_ = false;
  Fields fields_;
  std::deque<std::string> answers_;
  std::optional<std::pair<std::string, bool>> raw_;  // bytes, terminated
};

}  // namespace

EMU_EXPORT int IniComm(const char* porta) {
  return emu::WithDevice<PertoPrinter>([&](PertoPrinter& p) { return p.Open(porta); });
}

EMU_EXPORT int EndComm(void) {
  return emu::WithDevice<PertoPrinter>([](PertoPrinter& p) { return p.Close(); });
}

EMU_EXPORT int EnvComm(const char* comando) {
  return emu::WithDevice<PertoPrinter>([&](PertoPrinter& p) { return p.Send(comando); });
}

#ifndef PERTO_WITHOUT_RECCOMM
EMU_EXPORT
#endif
int RecComm(int tamanho, char* resposta) {
  return emu::WithDevice<PertoPrinter>([&](PertoPrinter& p) { return p.Receive(tamanho, resposta); });
}

EMU_EXPORT void PertoEmu_InsertCheck(void) {
  emu::WithDevice<PertoPrinter>([](PertoPrinter& p) { p.InsertCheck(); });
}

EMU_EXPORT int PertoEmu_CheckInside(void) {
  return emu::WithDevice<PertoPrinter>([](PertoPrinter& p) { return p.check_in() ? 1 : 0; });
}

EMU_EXPORT void PertoEmu_NextRawAnswer(const char* bytes, int length, int terminated) {
  std::string raw = bytes && length > 0 ? std::string(bytes, static_cast<std::size_t>(length)) : std::string();
  emu::WithDevice<PertoPrinter>([&](PertoPrinter& p) { p.NextRawAnswer(std::move(raw), terminated != 0); });
}

// Makes the printer (reading the environment) as the library loads.
__attribute__((constructor)) static void LoadPrinter() { PertoPrinter::Instance(); }
