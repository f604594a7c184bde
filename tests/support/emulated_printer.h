// Test support: the emulated Bematech printer ("Mp20fi32.dll") as the
// bench sees it: the neutral controls of every emulator, the printer's own
// extras (mp20fi_control.h) and its six maker entry points, so a test can
// drive it as the driver does.
#pragma once
#include <string>
#include <vector>

#include "support/emulator_library.h"

namespace testsupport {

class EmulatedPrinter : public EmulatorLibrary {
 public:
  EmulatedPrinter() : EmulatorLibrary("Mp20fi32.dll") {
    Bind("IniPortaStr", IniPortaStr);
    Bind("FechaPorta", FechaPorta);
    Bind("FormataTX", FormataTX);
    Bind("Status_Mp20FI", Status_Mp20FI);
    Bind("Le_Variaveis", Le_Variaveis);
    Bind("Retorna_ASCII", Retorna_ASCII);
    Bind("Mp20Emu_SetIdentity", SetIdentity);
    Bind("Mp20Emu_SetRates", SetRates);
    Bind("Mp20Emu_SetTotalizers", SetTotalizers);
    Bind("Mp20Emu_SetPaymentMethods", SetPaymentMethods);
    Bind("Mp20Emu_ForceStatus", ForceStatus);
    Bind("Mp20Emu_InjectNak", InjectNak);
    Bind("Mp20Emu_InjectReturnCode1", InjectReturnCode1);
    Bind("Mp20Emu_FailCommand", FailCommand);
    Bind("Mp20Emu_CutAnswer", CutAnswer);
    Bind("Mp20Emu_StatusPolls", StatusPolls);
    Bind("Mp20Emu_CouponNumber", CouponNumber);
    Bind("Mp20Emu_ReductionCount", ReductionCount);
    Bind("Mp20Emu_CouponOpen", CouponOpen);
    Bind("Mp20Emu_GrandTotal", GrandTotal);
    Bind("Mp20Emu_SetDrawerOpen", SetDrawerOpen);
    Bind("Mp20Emu_DrawerOpen", DrawerOpen);
    Bind("Mp20Emu_SetReportFile", SetReportFile);
    Bind("Mp20Emu_SetReportText", SetReportText);
    Bind("Mp20Emu_SetRestaurantModel", SetRestaurantModel);
  }

  // The frames whose command code is `code` ("09", "35", ...).
  std::vector<std::string> FramesOf(const std::string& code) const {
    std::vector<std::string> found;
    const std::string head = std::string("\x1B|") + code + "|";
    for (const auto& f : Frames())
      if (f.rfind(head, 0) == 0) found.push_back(f);
    return found;
  }

  // The frame the driver builds: ESC "|" code ("|" arg)* "|" ESC.
  static std::string FrameFor(const std::string& code, const std::vector<std::string>& args = {}) {
    std::string f = "\x1B|" + code;
    for (const auto& a : args) f += "|" + a;
    return f + "|\x1B";
  }

  // The maker's entry points.
  int (*IniPortaStr)(const char*) = nullptr;
  int (*FechaPorta)(void) = nullptr;
  int (*FormataTX)(const char*) = nullptr;
  int (*Status_Mp20FI)(int*, int*, int*, int*) = nullptr;
  int (*Le_Variaveis)(char*) = nullptr;
  int (*Retorna_ASCII)(void) = nullptr;

  // The printer's extras (mp20fi_control.h).
  void (*SetIdentity)(const char*, const char*) = nullptr;
  void (*SetRates)(const char*) = nullptr;
  void (*SetTotalizers)(const char*) = nullptr;
  void (*SetPaymentMethods)(const char*) = nullptr;
  void (*ForceStatus)(int, int, int) = nullptr;
  void (*InjectNak)(int) = nullptr;
  void (*InjectReturnCode1)(int) = nullptr;
  void (*FailCommand)(const char*, int, int, int, int) = nullptr;
  void (*CutAnswer)(const char*, int, int) = nullptr;
  int (*StatusPolls)(void) = nullptr;
  int (*CouponNumber)(void) = nullptr;
  int (*ReductionCount)(void) = nullptr;
  int (*CouponOpen)(void) = nullptr;
  double (*GrandTotal)(void) = nullptr;
  void (*SetDrawerOpen)(int) = nullptr;
  int (*DrawerOpen)(void) = nullptr;
  void (*SetReportFile)(const char*) = nullptr;
  void (*SetReportText)(const char*) = nullptr;
  void (*SetRestaurantModel)(int) = nullptr;
};

}  // namespace testsupport
