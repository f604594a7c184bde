#include "tools/qdm_register/shop_clock.h"

#include <cmath>
#include <cstdlib>

#include "platform/base/clock_testing.h"
#include "platform/base/sysutils.h"
#include "platform/os/files.h"
#include "platform/text/datetime.h"

namespace qdm_register {

namespace {

constexpr double kOpeningHour = 8.0 / 24;
constexpr long long kSecondsPerDay = 86400;

// The emulated printers take their clock offset when their library loads,
// the TEF manager when it starts: its vouchers are dated as the coupons.
const char* const kPrinterClockSettings[] = {"MP20FI_CLOCK_OFFSET", "SERSWEDA_CLOCK_OFFSET", "FS345_CLOCK_OFFSET",
                                             "TEF_MANAGER_CLOCK_OFFSET"};

std::string ClockFile(const std::string& home) { return platform::IncludeTrailingPathDelimiter(home) + kShopClockName; }

long long ReadOffset(const std::string& home) {
  const std::string path = ClockFile(home);
  if (!platform::FileExists(path)) return 0;
  // A number of seconds: anything longer is not a clock file.
  const std::string text = platform::Trim(platform::ReadFileBounded(path, 64));
  char* end = nullptr;
  const long long seconds = std::strtoll(text.c_str(), &end, 10);
  // A clock only runs ahead: anything else is no offset.
  return !text.empty() && end && *end == '\0' && seconds > 0 ? seconds : 0;
}

void Apply(long long seconds) {
  platform::clock::SetAhead(seconds * 1000);
  const std::string text = std::to_string(seconds);
  for (const char* setting : kPrinterClockSettings) setenv(setting, text.c_str(), 1);
}

}  // namespace

long long ApplyShopClock(const std::string& home) {
  const long long seconds = ReadOffset(home);
  Apply(seconds);
  return seconds;
}

namespace {

// Writes the offset that makes the register's present moment the next
// morning at 08:00; answers it.
long long WriteNextMorning(const std::string& home, long long before, platform::TDateTime& morning) {
  const platform::TDateTime now = platform::clock::Now();
  morning = std::floor(now) + 1 + kOpeningHour;
  const long long ahead = before + std::llround((morning - now) * kSecondsPerDay);
  platform::WriteFileAtomic(ClockFile(home), std::to_string(ahead) + "\n");
  return ahead;
}

}  // namespace

std::string RecordNextMorning(const std::string& home, long long& kept) {
  kept = ReadOffset(home);
  platform::TDateTime morning = 0;
  WriteNextMorning(home, kept, morning);
  return platform::FormatDateTime("dd/mm/yyyy", morning);
}

void KeepToday(const std::string& home, long long kept) {
  platform::WriteFileAtomic(ClockFile(home), std::to_string(kept) + "\n");
}

}  // namespace qdm_register
