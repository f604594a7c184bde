// Test support: the emulated Sweda printer ("SERSWEDA.dll") with the
// neutral controls of every emulator and its own (sersweda_control.h).
#pragma once
#include <string>

#include "platform/base/clock.h"
#include "platform/text/datetime.h"
#include "support/emulator_library.h"
#include "support/sandbox.h"

namespace testsupport {

// The bench side of the emulated Sweda printer: the neutral controls of
// every emulator and the Sweda's own (sersweda_control.h).
class SwedaPrinter : public EmulatorLibrary {
 public:
  SwedaPrinter() : EmulatorLibrary("SERSWEDA.dll") {
    Bind("SwdEmu_SetModel", SetModel);
    Bind("SwdEmu_SetFiscalDay", SetDay);
    Bind("SwdEmu_SetIdentity", SetIdentity);
    Bind("SwdEmu_SetRates", SetRates);
    Bind("SwdEmu_SetPaymentMethods", SetPaymentMethods);
    Bind("SwdEmu_SetTotalizers", SetTotalizers);
    Bind("SwdEmu_PaymentMethods", PaymentMethods);
    Bind("SwdEmu_Totalizers", Totalizers);
    Bind("SwdEmu_Refuse", Refuse);
    Bind("SwdEmu_QueueState", QueueState);
    Bind("SwdEmu_RefuseAt", RefuseAt);
    Bind("SwdEmu_HoldBusyAt", HoldBusyAt);
    Bind("SwdEmu_OpenedPort", OpenedPort);
    Bind("SwdEmu_ClosedPort", ClosedPort);
    Bind("SwdEmu_CouponNumber", CouponNumber);
    Bind("SwdEmu_ReductionCount", ReductionCount);
    Bind("SwdEmu_CouponOpen", CouponOpen);
    Bind("SwdEmu_ReportOpen", ReportOpen);
    Bind("SwdEmu_CheckInProgress", CheckInProgress);
    Bind("SwdEmu_GrandTotal", GrandTotal);
    Bind("SwdEmu_SetDrawerOpen", SetDrawerOpen);
  }

  std::string MethodTable() const { return ReadOut(PaymentMethods); }
  std::string TotalizerTable() const { return ReadOut(Totalizers); }
  // A printer that does not answer at all.
  void SetSilent(int silent) { RefuseTransmission(silent ? -1 : 0); }

  // Moves the printer into the sandbox, factory-fresh, as model `tipo`,
  // its clock at the library clock's moment and its fiscal day today,
  // without movement.
  void ResetInto(const Sandbox& sandbox, int tipo) {
    sandbox.ResetPrinter(*this, "sersweda.state");
    SetModel(tipo);
    int y, m, d;
    platform::DecodeDate(platform::clock::Now(), y, m, d);
    SetDay(y, m, d, 0);
  }

  void (*SetModel)(int) = nullptr;
  void (*SetDay)(int, int, int, int) = nullptr;
  void (*SetIdentity)(const char*, const char*) = nullptr;
  void (*SetRates)(const char*) = nullptr;
  void (*SetPaymentMethods)(const char*) = nullptr;
  void (*SetTotalizers)(const char*) = nullptr;
  int (*PaymentMethods)(char*, int) = nullptr;
  int (*Totalizers)(char*, int) = nullptr;
  void (*Refuse)(const char*, const char*, int) = nullptr;
  void (*QueueState)(const char*) = nullptr;
  void (*RefuseAt)(const char*, const char*, const char*, int) = nullptr;
  void (*HoldBusyAt)(const char*, int) = nullptr;
  int (*OpenedPort)(void) = nullptr;
  int (*ClosedPort)(void) = nullptr;
  int (*CouponNumber)(void) = nullptr;
  int (*ReductionCount)(void) = nullptr;
  int (*CouponOpen)(void) = nullptr;
  int (*ReportOpen)(void) = nullptr;
  int (*CheckInProgress)(void) = nullptr;
  double (*GrandTotal)(void) = nullptr;
  void (*SetDrawerOpen)(int) = nullptr;

  // The frame the driver builds: ESC "." code arguments "}".
  static std::string FrameFor(const std::string& code, const std::string& args = "") {
    return "\x1B." + code + args + "}";
  }
};

}  // namespace testsupport
