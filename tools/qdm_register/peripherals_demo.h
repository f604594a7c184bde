// The devices at the till beside the fiscal printer, in the demo register:
// the customer display and the bar-code reader played on pseudo-terminals,
// the reader thread typing codes into the register's own window, and the
// operator's badge number given its check digit by "DCVT32.dll".
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qdm_register {

// Prints one step of the run ("  ok   ..." / "  FALHA ...") and answers ok.
using StepReport = std::function<bool(const std::string& what, bool ok)>;

class TillDevices {
 public:
  explicit TillDevices(StepReport step);
  ~TillDevices();
  TillDevices(const TillDevices&) = delete;
  TillDevices& operator=(const TillDevices&) = delete;

  // The operator signs in with a badge: the number gets its check digit.
  bool SignIn(const std::string& badge);
  // A product passes under the bar-code reader; its code arrives as
  // keystrokes in the register's window through the reader thread.
  bool Scan(const std::string& code);
  // Two lines on the customer display; the step shows what it received.
  bool Show(const std::string& line1, const std::string& line2);

 private:
  struct Devices;
  StepReport step_;
  std::unique_ptr<Devices> devices_;
};

}  // namespace qdm_register
