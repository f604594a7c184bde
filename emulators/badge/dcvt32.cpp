// The badge check digit, modulo 11.
#include "emulators/badge/dcvt32.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "emulators/common/device.h"

#include "emulators/common/export.h"

namespace {

constexpr std::size_t kLongestBadge = 20;
constexpr std::size_t kAnswerBytes = 256;

char CheckDigit(const std::string& digits) {
  int sum = 0, weight = 2;
  for (auto d = digits.rbegin(); d != digits.rend(); ++d) {
    sum += (*d - '0') * weight;
    weight = weight == 9 ? 2 : weight + 1;
  }
  const int digit = 11 - sum % 11;
  return static_cast<char>('0' + (digit >= 10 ? 0 : digit));
}

// A library with no port and no paper: only its calls and its faults.
class CheckDigitLibrary : public emu::Device {
 public:
  static CheckDigitLibrary& Instance() {
    static CheckDigitLibrary library;
    return library;
  }

  const char* Answer(const char* diretorio, const char* matricula) {
    const std::string badge = matricula ? matricula : "";
    RecordFrame(std::string(diretorio ? diretorio : "") + "|" + badge);
    switch (fault_) {
      case DCVT_NULL:
        return nullptr;
      case DCVT_OVERLONG:
        return Keep(std::string(200, '7'));
      case DCVT_UNTERMINATED:
        std::memset(answer_, '9', kAnswerBytes);
        return answer_;
    }
    const bool digits =
        !badge.empty() && badge.size() <= kLongestBadge && badge.find_first_not_of("0123456789") == std::string::npos;
    return Keep(digits ? badge + CheckDigit(badge) : "");
  }
  void SetFault(int fault) { fault_ = fault; }

  void SetStateFile(const std::string&) override {}
  void SetFiscalDay(std::optional<int>) override {}

 protected:
  void FactoryReset() override { fault_ = DCVT_OK; }
  void PowerOn() override {}

 private:
  CheckDigitLibrary() : Device("DCVT32.dll", "DCVT32", "") { emu::Serve(*this); }

  const char* Keep(const std::string& text) {
    const std::size_t n = std::min(text.size(), kAnswerBytes);
    std::memcpy(answer_, text.data(), n);
    answer_[n] = 0;
    return answer_;
  }

  int fault_ = DCVT_OK;
  // One spare byte past the answer: the unterminated fault never reaches it,
  // so a caller that reads on finds a zero before leaving the buffer.
  char answer_[kAnswerBytes + 1] = {};
};

}  // namespace

EMU_EXPORT const char* DescriptografaMatricula(const char* diretorio, const char* matricula) {
  return emu::Locked([&] { return CheckDigitLibrary::Instance().Answer(diretorio, matricula); });
}

EMU_EXPORT void DcvtEmu_SetFault(int fault) {
  emu::Locked([&] { CheckDigitLibrary::Instance().SetFault(fault); });
}

__attribute__((constructor)) static void LoadLibrary() { CheckDigitLibrary::Instance(); }
