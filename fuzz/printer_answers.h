// What the Sweda and Daruma answer targets share: the shop's payment types
// in "tiporece.cds" (the drivers number them against the printer's table
// and write the file back, so it is laid down afresh for every input), and
// a library clock that a busy printer's waits move without sleeping.
#pragma once
#include <string>

#include "facade/Qdm00000.h"
#include "fuzz/fuzz_support.h"
#include "package/Pkg_Qdm_testing.h"
#include "platform/dataset/dataset.h"
#include "tests/support/payment_types.h"

namespace fuzzsupport {

// The payment-type file's bytes, made once.
inline const std::string& PaymentTypesPacket() {
  static const std::string packet = [] {
    platform::TClientDataSet types("tiporece");
    testsupport::FillPaymentTypes(
        types, {{"001", "Dinheiro", "1"}, {"002", "Cart\xE3o D\351bito", "D"}, {"003", "Vale", "4"}});
    return types.SaveToString();
  }();
  return packet;
}

// Start-up shared by the printer-answer targets: no dialogs, the data
// directory in the scratch directory, a frozen clock.
inline void StartPrinterTarget() {
  Unattended();
  std::filesystem::current_path(ScratchDir());  // the drivers' log lands here
  Qdm00000::DsDirCad = ScratchDir() + "/";
  FrozenClock();
}

// Before each input: the payment types as the shop keeps them.
inline void FreshPaymentTypes() { WriteScratchFile(Qdm00000::DsDirCad + "tiporece.cds", PaymentTypesPacket()); }

}  // namespace fuzzsupport
