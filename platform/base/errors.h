// Exceptions in the spirit of the component library: every error the
// library raises derives from Exception, itself a std::exception.
#pragma once
#include <stdexcept>
#include <string>
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace platform {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// Text that is not a number or a date where one is expected.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// Client dataset misuse: missing field, wrong state, malformed data packet.
class EDatabaseError : public Exception {
 public:
  using Exception::Exception;
};

// A file that cannot be opened, read, written or renamed.
class EInOutError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace platform

PKG_QDM_PUBLIC_END
