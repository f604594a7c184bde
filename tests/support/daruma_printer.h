// Test support: the emulated Daruma printer ("fs345_32.dll") with the
// neutral controls of every emulator and its own (fs345_control.h).
#pragma once
#include <string>

#include "support/emulator_library.h"

namespace testsupport {

class DarumaPrinter : public EmulatorLibrary {
 public:
  DarumaPrinter() : EmulatorLibrary("fs345_32.dll") {
#define DAR_BIND(name) Bind("DarEmu_" #name, name)
    DAR_BIND(SetModel);
    DAR_BIND(Model);
    DAR_BIND(SetIdentity);
    DAR_BIND(SetRates);
    DAR_BIND(SetSignedTotalizers);
    DAR_BIND(SetNamedTotalizers);
    DAR_BIND(SetPaymentMethods);
    DAR_BIND(LeaveOpen);
    DAR_BIND(AnswerError);
    DAR_BIND(AnswerErrorAfter);
    DAR_BIND(AnswerNothing);
    DAR_BIND(SetDrawerOpen);
    DAR_BIND(AnswerReads);
    DAR_BIND(PortString);
    DAR_BIND(CouponNumber);
    DAR_BIND(OpenDocument);
    DAR_BIND(ReductionCount);
    DAR_BIND(GrandTotalCents);
    DAR_BIND(DayCents);
    DAR_BIND(Tables);
#undef DAR_BIND
  }

  std::string Port() const { return ReadOut(PortString); }
  std::string Table(int which) const {
    return ReadOut([this, which](char* buf, int size) { return Tables(which, buf, size); });
  }

  // A fresh printer of the model, its memory and tape in the sandbox, its
  // clock at the library clock's moment and its fiscal day open today.
  template <typename Sandbox>
  void ResetInto(const Sandbox& sandbox, int model) {
    SetModel(model);
    sandbox.ResetPrinter(*this, "fs345.state");
  }

  void (*SetModel)(int) = nullptr;
  int (*Model)(void) = nullptr;
  void (*SetIdentity)(const char*, const char*) = nullptr;
  void (*SetRates)(const char*) = nullptr;
  void (*SetSignedTotalizers)(const char*) = nullptr;
  void (*SetNamedTotalizers)(const char*) = nullptr;
  void (*SetPaymentMethods)(const char*) = nullptr;
  void (*LeaveOpen)(int) = nullptr;
  void (*AnswerError)(int, int) = nullptr;
  void (*AnswerErrorAfter)(int, int, int) = nullptr;
  void (*AnswerNothing)(int, int) = nullptr;
  void (*SetDrawerOpen)(int) = nullptr;
  int (*AnswerReads)(void) = nullptr;
  int (*PortString)(char*, int) = nullptr;
  int (*CouponNumber)(void) = nullptr;
  int (*OpenDocument)(void) = nullptr;
  int (*ReductionCount)(void) = nullptr;
  long long (*GrandTotalCents)(void) = nullptr;
  long long (*DayCents)(int) = nullptr;
  int (*Tables)(int, char*, int) = nullptr;
};

// One byte of a Daruma frame (the commands are ESC and a command byte).
inline std::string Byte(unsigned char byte) { return std::string(1, static_cast<char>(byte)); }

}  // namespace testsupport
