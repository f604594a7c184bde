// A Sweda test: the emulated "SERSWEDA.dll" loaded at run time (the control
// interface bound from the same file the driver loads), reset into a
// sandbox with its clock on the library clock, the facade started on a
// Sweda type code, and helpers to read the wire, the log and the screen.
#pragma once
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "drivers/sweda/Qdm00200.h"
#include "facade/Qdm00000.h"
#include "support/emulated_printer.h"
#include "tests/facade/facade_fixture.h"

namespace sweda_test {

// The bench side of the emulated Sweda printer.
class SwedaPrinter {
 public:
  SwedaPrinter() {
    const std::string file = testsupport::ExecutableDirectory() + "/SERSWEDA.dll";
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) throw std::runtime_error("cannot load " + file + ": " + dlerror());
#define SWD_BIND(name) name = reinterpret_cast<decltype(name)>(Symbol("SwdEmu_" #name))
    SWD_BIND(Reset);
    SWD_BIND(PowerCycle);
    SWD_BIND(SetStateFile);
    SWD_BIND(SetTapeFile);
    SWD_BIND(SetModel);
    SWD_BIND(SetClock);
    SWD_BIND(SetFiscalDay);
    SWD_BIND(SetIdentity);
    SWD_BIND(SetRates);
    SWD_BIND(SetPaymentMethods);
    SWD_BIND(SetTotalizers);
    SWD_BIND(PaymentMethods);
    SWD_BIND(Totalizers);
    SWD_BIND(HoldBusy);
    SWD_BIND(Refuse);
    SWD_BIND(QueueState);
    SWD_BIND(SetPaper);
    SWD_BIND(SetPortAvailable);
    SWD_BIND(SetSilent);
    SWD_BIND(FrameCount);
    SWD_BIND(Frame);
    SWD_BIND(ClearFrames);
    SWD_BIND(OpenedPort);
    SWD_BIND(ClosedPort);
    SWD_BIND(Tape);
    SWD_BIND(ClearTape);
    SWD_BIND(CouponNumber);
    SWD_BIND(ReductionCount);
    SWD_BIND(CouponOpen);
    SWD_BIND(ReportOpen);
    SWD_BIND(CheckInProgress);
    SWD_BIND(GrandTotal);
    SWD_BIND(SetDrawerOpen);
#undef SWD_BIND
  }
  ~SwedaPrinter() {
    if (handle_) dlclose(handle_);
  }
  SwedaPrinter(const SwedaPrinter&) = delete;
  SwedaPrinter& operator=(const SwedaPrinter&) = delete;

  std::vector<std::string> Frames() const {
    std::vector<std::string> frames;
    for (int i = 0; i < FrameCount(); ++i) frames.push_back(Read([this, i](char* b, int n) { return Frame(i, b, n); }));
    return frames;
  }
  std::string TapeText() const { return Read(Tape); }
  std::string MethodTable() const { return Read(PaymentMethods); }
  std::string TotalizerTable() const { return Read(Totalizers); }

  // Moves the printer into the sandbox, factory-fresh, as model `tipo`,
  // its clock at the library clock's moment and its fiscal day today.
  void ResetInto(const testsupport::Sandbox& sandbox, int tipo) {
    SetStateFile(sandbox.dir.file("sersweda.state").c_str());
    SetTapeFile(sandbox.dir.file("tape.txt").c_str());
    SetModel(tipo);
    Reset();
    int y, m, d, h, n, s, ms;
    const platform::TDateTime now = platform::clock::Now();
    platform::DecodeDate(now, y, m, d);
    platform::DecodeTime(now, h, n, s, ms);
    SetClock(y, m, d, h, n, s);
    SetFiscalDay(y, m, d, 0);
  }

  void (*Reset)(void) = nullptr;
  void (*PowerCycle)(void) = nullptr;
  void (*SetStateFile)(const char*) = nullptr;
  void (*SetTapeFile)(const char*) = nullptr;
  void (*SetModel)(int) = nullptr;
  void (*SetClock)(int, int, int, int, int, int) = nullptr;
  void (*SetFiscalDay)(int, int, int, int) = nullptr;
  void (*SetIdentity)(const char*, const char*) = nullptr;
  void (*SetRates)(const char*) = nullptr;
  void (*SetPaymentMethods)(const char*) = nullptr;
  void (*SetTotalizers)(const char*) = nullptr;
  int (*PaymentMethods)(char*, int) = nullptr;
  int (*Totalizers)(char*, int) = nullptr;
  void (*HoldBusy)(int) = nullptr;
  void (*Refuse)(const char*, const char*, int) = nullptr;
  void (*QueueState)(const char*) = nullptr;
  void (*SetPaper)(int) = nullptr;
  void (*SetPortAvailable)(int) = nullptr;
  void (*SetSilent)(int) = nullptr;
  int (*FrameCount)(void) = nullptr;
  int (*Frame)(int, char*, int) = nullptr;
  void (*ClearFrames)(void) = nullptr;
  int (*OpenedPort)(void) = nullptr;
  int (*ClosedPort)(void) = nullptr;
  int (*Tape)(char*, int) = nullptr;
  void (*ClearTape)(void) = nullptr;
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
  void* Symbol(const char* name) {
    void* p = dlsym(handle_, name);
    if (!p) throw std::runtime_error(std::string("emulator lacks ") + name);
    return p;
  }
  void* handle_ = nullptr;
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
    using namespace Qdm00200;
    SwedaVerifRetorno = false;
    boComando = false;
    SwedaRet.clear();
    IdImpVendCon.clear();
    for (std::string* g : {&IdTotParcOutr, &IdTotParcVCons, &IdTotCompCred, &IdTotParcSang, &IdTotParcSup,
                           &IdTotParcES, &CdFormPagCPess, &IdFormPagCPess, &DsFormPagCPess, &CdFormPagVCons,
                           &IdFormPagVCons, &DsFormPagVCons})
      g->clear();
    SwedaBusyTimeoutMs = 30000;
    SwedaPollTimeoutMs = 30000;
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
    const std::string log = sandbox.DebugLog().substr(log_mark_);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < log.size()) {
      std::size_t end = log.find("\r\n", start);
      if (end == std::string::npos) end = log.size();
      const std::string line = log.substr(start, end - start);
      const std::size_t dash = line.find(" - ");
      lines.push_back(dash == std::string::npos ? line : line.substr(dash + 3));
      start = end + 2;
    }
    return lines;
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
