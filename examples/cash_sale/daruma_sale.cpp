// A front end's cash sale on the emulated Daruma printer (type code 7): the
// register's configuration file, the shop's payment types (also kept in
// "tiporece.cds"), the printer's start-up, one coupon with one item, the
// closing with a discount, cash and the buyer's CPF, then the paper tape.
//   daruma_sale HOME     HOME: the register's directory (created when missing)
// The library looks for the printer's library "fs345_32.dll" beside the
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
    std::fprintf(stderr, "usage: daruma_sale HOME\n");
    return 2;
  }
  const std::string home = argv[1];
  platform::ForceDirectories(home);
#ifdef QDM_DEVICE_DIR
  setenv("PKG_QDM_LIBRARY_PATH", QDM_DEVICE_DIR, 0);
#endif
  platform::SetHostExecutable(home + "/pdv");
  // The emulated Daruma printer keeps its memory and tape in HOME; a new
  // memory is of the model FS345_MODEL names (7 or 8).
  setenv("FS345_STATE", (home + "/fs345.state").c_str(), 1);
  setenv("FS345_TAPE", (home + "/tape.txt").c_str(), 1);
  setenv("FS345_MODEL", "7", 1);
  setenv("PKG_QDM_EMU_LOCK_DIR", (home + "/locks").c_str(), 1);
  platform::SetDialogPresenter(std::make_shared<platform::UnattendedPresenter>());

  // 1. The configuration file "ecf001.cds": register 001, printer 001,
  //    type code 7 (Daruma).
  TClientDataSet ecf;
  ecf.AddFieldDef("CDCAIXA", TFieldType::ftString, 10);
  ecf.AddFieldDef("CHECKSUM", TFieldType::ftInteger);
  ecf.AddFieldDef("NRSERIEECF", TFieldType::ftString, 20);
  ecf.AddFieldDef("NRECFCAIXA", TFieldType::ftString, 10);
  ecf.AddFieldDef("IDTIPOIMPFIS", TFieldType::ftInteger);
  ecf.CreateDataSet();
  ecf.Append();
  ecf.FieldByName("CDCAIXA").SetAsString("001");
  ecf.FieldByName("NRSERIEECF").SetAsString("DR0508000123");
  ecf.FieldByName("NRECFCAIXA").SetAsString("001");
  ecf.FieldByName("CHECKSUM").SetAsInteger(Qdm00000::ChecksumECF("001", "DR0508000123"));
  ecf.FieldByName("IDTIPOIMPFIS").SetAsInteger(7);
  ecf.Post();
  ecf.SaveToFile(home + "/ecf001.cds");

  using namespace Qdm00000;
  if (!CarregaECF("001")) return 1;
  if (!StartImpFiscal(std::to_string(IdTipoImpFis), "COM1")) return 1;
  SetImpFiscalOK(true);
  // 2. The payment types: handed in as on a Bematech printer, and kept in
  //    "tiporece.cds" beside the host program (DsDirCad) too, where the
  //    Daruma driver looks up the letters already in use. IniciaImpressora
  //    gives each type the letter of its method on the printer.
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
  if (!IniciaImpressora("PDV", "N", recebimentos, aliquotas)) return 1;
  recebimentos.First();
  std::printf("Dinheiro is payment method %s\n", recebimentos.FieldByName("CDFPIMPFIS").AsString().c_str());

  // 3. The coupon: the tax-rate code ("A" for 18 % on this printer) comes
  //    from cdsProduto as on every printer. A type-7 printer takes an
  //    item's discount as a percentage of its unit price.
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

  // 4. The closing, as on a Bematech printer: FechaCupom takes the payment
  //    movements, each sent under its type's letter, R$ 0,50 off, R$ 20,00
  //    in cash and the buyer's CPF. A Daruma printer takes no surcharge and
  //    no change voucher: FechaCupom refuses them before anything is sent.
  TClientDataSet movimentos("movimentos");
  movimentos.FieldDefs = DataModule().cdsMovCaixa.FieldDefs;
  movimentos.IndexDefs = DataModule().cdsMovCaixa.IndexDefs;
  movimentos.CreateDataSet();
  movimentos.Append();
  movimentos.FieldByName("NRSEQUMOVI").SetAsString("1");
  movimentos.FieldByName("IDTIPOMOVIVE").SetAsString("E");
  movimentos.FieldByName("CDTIPORECE").SetAsString("001");
  movimentos.FieldByName("VRMOVIVEND").SetAsFloat(20.00);
  movimentos.FieldByName("NRORDTROCO").SetAsString("001");
  movimentos.FieldByName("DTHRINCMOV").SetAsDateTime(platform::Now());
  movimentos.Post();
  std::string numero;
  const bool closed = FechaCupom(false, true, 0.50, 0, 0, "S", true, "", movimentos, recebimentos, numero, "", "", "",
                                 "123.456.789-09", "");
  StopImpFiscal();
  std::printf("coupon %s %s\n", numero.c_str(), closed ? "closed" : "NOT closed");

  // 5. The paper tape, Windows-1252 bytes shown on a UTF-8 terminal.
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
