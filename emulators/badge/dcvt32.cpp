// The badge check digit, modulo 11.
#include "emulators/badge/dcvt32.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

#define DCVT_API extern "C" __attribute__((visibility("default")))

namespace {

constexpr std::size_t kLongestBadge = 20;
constexpr std::size_t kAnswerBytes = 256;

std::mutex mutex;
int fault = DCVT_OK;
int calls = 0;
std::string last_directory;
char answer[kAnswerBytes + 1];  // one spare byte: a zero the faults keep out of reach

char CheckDigit(const std::string& digits) {
  int sum = 0, weight = 2;
  for (auto d = digits.rbegin(); d != digits.rend(); ++d) {
    sum += (*d - '0') * weight;
    weight = weight == 9 ? 2 : weight + 1;
  }
  const int digit = 11 - sum % 11;
  return static_cast<char>('0' + (digit >= 10 ? 0 : digit));
}

void Answer(const std::string& text) {
  const std::size_t n = std::min(text.size(), kAnswerBytes);
  std::memcpy(answer, text.data(), n);
  answer[n] = 0;
}

}  // namespace

DCVT_API const char* DescriptografaMatricula(const char* diretorio, const char* matricula) {
  std::lock_guard lock(mutex);
  ++calls;
  last_directory = diretorio ? diretorio : "";
  switch (fault) {
    case DCVT_NULL:
      return nullptr;
    case DCVT_OVERLONG:
      Answer(std::string(200, '7'));
      return answer;
    case DCVT_UNTERMINATED:
      std::memset(answer, '9', kAnswerBytes);
      return answer;
  }
  const std::string badge = matricula ? matricula : "";
  const bool digits = !badge.empty() && badge.size() <= kLongestBadge &&
                      badge.find_first_not_of("0123456789") == std::string::npos;
  Answer(digits ? badge + CheckDigit(badge) : "");
  return answer;
}

DCVT_API void DcvtEmu_SetFault(int new_fault) {
  std::lock_guard lock(mutex);
  fault = new_fault;
}

DCVT_API int DcvtEmu_LastDirectory(char* buf, int size) {
  std::lock_guard lock(mutex);
  if (buf && size > 0) {
    const std::size_t n = std::min(last_directory.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buf, last_directory.data(), n);
    buf[n] = 0;
  }
  return static_cast<int>(last_directory.size());
}

DCVT_API int DcvtEmu_CallCount(void) {
  std::lock_guard lock(mutex);
  return calls;
}
