#include "platform/os/error.h"

#include <cstring>

#include "platform/base/errors.h"

namespace platform::os {

std::string ErrnoText(int error) {
  char buffer[256];
  // The GNU strerror_r answers a pointer that may or may not be `buffer`.
  return strerror_r(error, buffer, sizeof buffer);
}

void RaiseInOut(const std::string& what, const std::string& path, int error) {
  throw EInOutError(what + " " + path + ": " + ErrnoText(error));
}

}  // namespace platform::os
