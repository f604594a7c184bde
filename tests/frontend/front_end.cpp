// A small front end built the way a point of sale builds against the
// library: this one header, the package's public include directory and
// libPkg_Qdm.so, nothing from the tests. It starts the emulated Bematech
// printer (type code 1), sells an item, closes the coupon paid in cash and
// checks what the library answered. Exits non-zero at the first failure.
#include "package/Pkg_Qdm.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

int failures = 0;

void Check(bool ok, const std::string& what) {
  std::printf("%s %s\n", ok ? "ok   " : "FALHA", what.c_str());
  if (!ok) ++failures;
}

void AddCashPayment(platform::TClientDataSet& movimentos, double valor) {
  movimentos.AddFieldDef("IDTIPOMOVIVE", platform::TFieldType::ftString, 1);
  movimentos.AddFieldDef("CDTIPORECE", platform::TFieldType::ftString, 3);
  movimentos.AddFieldDef("DTHRINCMOV", platform::TFieldType::ftDateTime);
  movimentos.AddFieldDef("VRMOVIVEND", platform::TFieldType::ftFloat);
  movimentos.AddFieldDef("NRORDTROCO", platform::TFieldType::ftString, 3);
  movimentos.CreateDataSet();
  movimentos.Append();
  movimentos.FieldByName("IDTIPOMOVIVE").SetAsString("E");
  movimentos.FieldByName("CDTIPORECE").SetAsString("001");
  movimentos.FieldByName("DTHRINCMOV").SetAsDateTime(platform::clock::Now());
  movimentos.FieldByName("VRMOVIVEND").SetAsFloat(valor);
  movimentos.FieldByName("NRORDTROCO").SetAsString("001");
  movimentos.Post();
}

void AddCashType(platform::TClientDataSet& recebimentos) {
  DefinePaymentTypeFields(recebimentos);
  recebimentos.CreateDataSet();
  recebimentos.Append();
  recebimentos.FieldByName("CDTIPORECE").SetAsString("001");
  recebimentos.FieldByName("NMTIPORECE").SetAsString("Dinheiro");
  recebimentos.FieldByName("IDTIPORECE").SetAsString("1");
  recebimentos.FieldByName("IDTPBUTTON").SetAsString("5");
  recebimentos.FieldByName("CDFPIMPFIS").SetAsString("01");
  recebimentos.Post();
}

}  // namespace

int main() {
  // Start-up, on the main thread: the message loop's thread, the dialogs
  // (unattended: nobody answers here), failures of queued calls.
  platform::Application().SetMainThread();
  platform::SetDialogPresenter(std::make_shared<platform::UnattendedPresenter>());
  platform::Application().OnException = [](std::exception_ptr) { ++failures; };
  std::printf("Pkg_Qdm %s\n", Pkg_Qdm_Version());
  Check(std::string(Pkg_Qdm_Version()) == PKG_QDM_VERSION, "version function and macro agree");

  // The debug log goes beside the host executable: keep it out of the
  // build directory. The printer library is then found through
  // PKG_QDM_LIBRARY_PATH (set by the test).
  const auto home = std::filesystem::temp_directory_path() / ("qdm-front-end-" + std::to_string(::getpid()));
  std::filesystem::create_directories(home);
  platform::SetHostExecutable((home / "pdv").string());

  Qdm00000::IdTipoImpFis = 1;
  Check(Qdm00000::StartImpFiscal("1", "COM1"), "StartImpFiscal (Bematech, COM1)");
  Qdm00000::SetImpFiscalOK(true);

  Check(Qdm00000::AbreCupom(""), "AbreCupom");
  Check(Qdm00000::VendaItem("", "", "789100010010", "CAFE TORRADO 500G", "01", 2, 8.99, 0), "VendaItem (2 x 8,99)");

  platform::TClientDataSet movimentos("movimentos");
  platform::TClientDataSet recebimentos("recebimentos");
  AddCashPayment(movimentos, 20.00);
  AddCashType(recebimentos);
  std::string numero;
  Check(
      Qdm00000::FechaCupom(false, true, 0, 0, 0, "N", false, "", movimentos, recebimentos, numero, "", "", "", "", ""),
      "FechaCupom (R$ 20,00 em dinheiro)");
  Check(!numero.empty() && numero.find_first_not_of("0123456789") == std::string::npos,
        "coupon number \"" + numero + "\"");
  const std::string log = platform::ReadFileBytes((home / "impdebug.txt").string());
  Check(log.find("|09|0789100010010|CAFE TORRADO 500G|01|0002|00000899|0000|") != std::string::npos,
        "debug log holds the item sale");
  Check(log.find("|72|01|00000000002000|") != std::string::npos, "debug log holds the cash payment");

  Qdm00000::StopImpFiscal();
  platform::SetHostExecutable("");
  std::filesystem::remove_all(home);
  return failures == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
