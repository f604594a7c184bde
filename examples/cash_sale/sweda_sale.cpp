// A front end's cash sale on the emulated Sweda printer (type code 3): the
// register's configuration file, the shop's payment types in
// "tiporece.cds", the printer's start-up, one coupon with one item, each
// payment totalled under the printer's method and the closing sent as the
// Sweda command itself, then the paper tape.
//   sweda_sale HOME     HOME: the register's directory (created when missing)
// The library looks for the printer's library "SERSWEDA.dll" beside the
// program, then in the directories of PKG_QDM_LIBRARY_PATH.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "package/Pkg_Qdm.h"

using platform::TClientDataSet;
using platform::TFieldType;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: sweda_sale HOME\n");
    return 2;
  }
  const std::string home = argv[1];
  platform::ForceDirectories(home);
#ifdef QDM_DEVICE_DIR
  setenv("PKG_QDM_LIBRARY_PATH", QDM_DEVICE_DIR, 0);
#endif
  platform::SetHostExecutable(home + "/pdv");
  // The emulated Sweda printer keeps its memory and tape in HOME; a new
  // memory is of the model SERSWEDA_MODEL names (3 to 6).
  setenv("SERSWEDA_STATE", (home + "/sersweda.state").c_str(), 1);
  setenv("SERSWEDA_TAPE", (home + "/tape.txt").c_str(), 1);
  setenv("SERSWEDA_MODEL", "3", 1);
  setenv("PKG_QDM_EMU_LOCK_DIR", (home + "/locks").c_str(), 1);
  platform::SetDialogPresenter(std::make_shared<platform::UnattendedPresenter>());

  // 1. The configuration file "ecf001.cds": register 001, printer 001,
  //    type code 3 (Sweda).
  TClientDataSet ecf;
  ecf.AddFieldDef("CDCAIXA", TFieldType::ftString, 10);
  ecf.AddFieldDef("CHECKSUM", TFieldType::ftInteger);
  ecf.AddFieldDef("NRSERIEECF", TFieldType::ftString, 20);
  ecf.AddFieldDef("NRECFCAIXA", TFieldType::ftString, 10);
  ecf.AddFieldDef("IDTIPOIMPFIS", TFieldType::ftInteger);
  ecf.CreateDataSet();
  ecf.Append();
  ecf.FieldByName("CDCAIXA").SetAsString("001");
  ecf.FieldByName("NRSERIEECF").SetAsString("SW0012345");
  ecf.FieldByName("NRECFCAIXA").SetAsString("001");
  ecf.FieldByName("CHECKSUM").SetAsInteger(Qdm00000::ChecksumECF("001", "SW0012345"));
  ecf.FieldByName("IDTIPOIMPFIS").SetAsInteger(3);
  ecf.Post();
  ecf.SaveToFile(home + "/ecf001.cds");

  using namespace Qdm00000;
  if (!CarregaECF("001")) return 1;
  // 2. The shop's payment types go in "tiporece.cds" beside the host
  //    program (DsDirCad) before the start-up: the Sweda driver reads them
  //    from there, numbers them with the printer's methods and writes the
  //    numbers back. Without the file the start-up fails.
  TClientDataSet recebimentos("recebimentos"), aliquotas("aliquotas");
  DefinePaymentTypeFields(recebimentos);
  recebimentos.CreateDataSet();
  recebimentos.Append();
  recebimentos.FieldByName("CDTIPORECE").SetAsString("001");
  recebimentos.FieldByName("NMTIPORECE").SetAsString("Dinheiro");
  recebimentos.FieldByName("IDTIPORECE").SetAsString("1");
  recebimentos.FieldByName("IDTPBUTTON").SetAsString("5");
  recebimentos.Post();
  recebimentos.SaveToFile(DsDirCad + "tiporece.cds");

  // 3. Start-up. The Sweda driver sets the ready flag itself once the port
  //    is open and the printer answers: no SetImpFiscalOK here.
  if (!StartImpFiscal(std::to_string(IdTipoImpFis), "COM1") || !ImpFiscalOK()) return 1;
  if (!IniciaImpressora("PDV", "N", recebimentos, aliquotas)) return 1;
  // The dataset comes back closed on the file: open it to read the numbers.
  recebimentos.Open();
  recebimentos.First();
  const std::string dinheiro = recebimentos.FieldByName("CDFPIMPFIS").AsString();
  recebimentos.Close();
  std::printf("Dinheiro is payment method %s\n", dinheiro.c_str());

  // 4. The coupon: the tax-rate code ("T01" for 18 % on this printer)
  //    comes from cdsProduto as on every printer.
  TClientDataSet& produto = DataModule().cdsProduto;
  produto.AddFieldDef("IDTPIMPOSFIS", TFieldType::ftString, 1);
  produto.AddFieldDef("VRPEALIMPFIS", TFieldType::ftFloat);
  produto.CreateDataSet();
  produto.Append();
  produto.FieldByName("IDTPIMPOSFIS").SetAsString("T");
  produto.FieldByName("VRPEALIMPFIS").SetAsFloat(18);
  produto.Post();
  if (!AbreCupom("")) return 1;
  const std::string aliquota = Verifica_Aliquota("");
  if (!VendaItem("", "", "7891000100103", "CAF\xC9 TORRADO 500G", aliquota, 2, 8.99, 0)) return 1;

  // 5. The closing. FechaCupom does not serve a Sweda printer: the front
  //    end totals each payment under its method (amount in cents, 12
  //    digits), R$ 20,00 in cash here, then closes the coupon with the
  //    Sweda command "12SN" (the driver sends it as the model names it).
  //    The closing takes no coupon discount and no buyer's CPF.
  char centavos[16];
  std::snprintf(centavos, sizeof centavos, "%012d", 2000);
  bool closed = Totaliza_NFiscal(dinheiro, centavos);
  closed = closed && Qdm00200::EnviaComando_Sweda("12SN", {}, true, false);
  const std::string numero = NrCupom;  // read when the coupon was opened
  StopImpFiscal();
  std::printf("coupon %s %s\n", numero.c_str(), closed ? "closed" : "NOT closed");

  // 6. The paper tape, Windows-1252 bytes shown on a UTF-8 terminal.
  std::string tape;
  for (unsigned char c : platform::ReadFileBytes(home + "/tape.txt")) {
    if (c < 0x80) {
      tape += static_cast<char>(c);
    } else {
      tape += static_cast<char>(0xC0 | (c >> 6));
      tape += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  std::fputs(tape.c_str(), stdout);
  return closed ? 0 : 1;
}
