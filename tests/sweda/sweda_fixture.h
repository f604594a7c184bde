// A Sweda test: the emulated "SERSWEDA.dll" loaded at run time (the control
// interface bound from the same file the driver loads), reset into a
// sandbox with its clock on the library clock, the facade started on a
// Sweda type code, and helpers to read the wire, the log and the screen.
#pragma once
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "drivers/sweda/Qdm00200.h"
#include "facade/Qdm00000.h"
#include "platform/text/datetime.h"
#include "support/emulator_library.h"
#include "support/sandbox.h"
#include "tests/facade/facade_fixture.h"

namespace sweda_test {

// The bench side of the emulated Sweda printer: the neutral controls of
// every emulator and the Sweda's own (sersweda_control.h).
class SwedaPrinter : public testsupport::EmulatorLibrary {
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

  std::string MethodTable() const { return Read(PaymentMethods); }
  std::string TotalizerTable() const { return Read(Totalizers); }
  // A printer that does not answer at all.
  void SetSilent(int silent) { RefuseTransmission(silent ? -1 : 0); }

  // Moves the printer into the sandbox, factory-fresh, as model `tipo`,
  // its clock at the library clock's moment and its fiscal day today,
  // without movement.
  void ResetInto(const testsupport::Sandbox& sandbox, int tipo) {
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

 private:
  template <typename Reader>
  static std::string Read(Reader reader) {
    const int size = reader(nullptr, 0);
    if (size <= 0) return {};
    std::string buffer(static_cast<std::size_t>(size) + 1, '\0');
    reader(buffer.data(), size + 1);
    buffer.resize(static_cast<std::size_t>(size));
    return buffer;
  }
};

// ESC "." code arguments "}".
inline std::string Frame(const std::string& code, const std::string& args = "") {
  return "\x1B." + code + args + "}";
}

using facade_test::Text;

// A test on one Sweda type code (the parameter), the driver started
// through the facade on the emulated printer of that model.
class SwedaTest : public facade_test::FacadeTest, public ::testing::WithParamInterface<int> {
 protected:
  explicit SwedaTest(int tipo = 3) : tipo_(tipo) { ResetDriver(); }
  ~SwedaTest() override {
    if (Qdm00000::ImpFiscalOK()) Qdm00000::StopImpFiscal();
    Qdm00200::StopImpFis_Sweda();
    ResetDriver();
    sandbox.dialogs->on_show = nullptr;
  }

  static void ResetDriver() {
    Qdm00200::ClearGlobals();
    Qdm00200::SwedaBusyTimeoutMs = 30000;
    Qdm00200::SwedaPollTimeoutMs = 30000;
  }

  int Tipo() const { return tipo_ != 0 ? tipo_ : GetParam(); }

  void SetUp() override {
    printer.ResetInto(sandbox, Tipo());
    Qdm00000::DsDirCad = sandbox.dir.path() + "/";
    Qdm00000::stPorta = "COM1";
    ASSERT_TRUE(Qdm00000::StartImpFiscal(std::to_string(Tipo()), "COM1"));
    ASSERT_TRUE(Qdm00000::ImpFiscalOK());
    Mark();
  }

  // Forget the traffic, dialogs and log lines so far.
  void Mark() {
    printer.ClearFrames();
    printer.ClearTape();
    sandbox.dialogs->Clear();
    log_mark_ = sandbox.DebugLog().size();
  }

  // Debug log messages since the mark, without their date and time.
  std::vector<std::string> LogLines() const {
    return testsupport::LogMessages(sandbox.DebugLog().substr(log_mark_));
  }

  std::vector<std::string> Frames() const { return printer.Frames(); }
  std::vector<std::string> Dialogs() const { return sandbox.dialogs->Texts(); }

  SwedaPrinter printer;

 private:
  int tipo_;
  std::size_t log_mark_ = 0;
};

// Fixtures on one model, and on all four.
class Type3Test : public SwedaTest {
 protected:
  Type3Test() : SwedaTest(3) {}
};
class EveryModelTest : public SwedaTest {
 protected:
  EveryModelTest() : SwedaTest(0) {}
};

}  // namespace sweda_test
