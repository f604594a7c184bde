// A front end's sale through the sale module (QdmVenda) on the emulated
// Bematech printer: the register's configuration file, the till's start-up
// and recovery, one coupon sold, closed and paid in one call, and the
// result it answers.
//   till_sale HOME     HOME: the register's directory (created when missing)
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "package/Pkg_Qdm.h"

// The library's texts are Windows-1252; a terminal reads UTF-8 (their
// accents are all in Latin-1).
std::string Utf8(const std::string& cp1252) {
  std::string text;
  for (unsigned char c : cp1252) {
    if (c < 0x80) {
      text += static_cast<char>(c);
    } else {
      text += static_cast<char>(0xC0 | (c >> 6));
      text += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return text;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: till_sale HOME\n");
    return 2;
  }
  const std::string home = argv[1];
  platform::ForceDirectories(home);
#ifdef QDM_DEVICE_DIR
  setenv("PKG_QDM_LIBRARY_PATH", QDM_DEVICE_DIR, 0);
#endif
  platform::SetHostExecutable(home + "/pdv");
  setenv("MP20FI_STATE", (home + "/mp20fi.state").c_str(), 1);
  setenv("MP20FI_TAPE", (home + "/tape.txt").c_str(), 1);
  setenv("PKG_QDM_EMU_LOCK_DIR", (home + "/locks").c_str(), 1);
  // The TEF manager's directories ("c:\tef_dial\") live in HOME too.
  platform::MapDrive('c', home + "/drive_c");
  platform::SetDialogPresenter(std::make_shared<platform::UnattendedPresenter>());

  // The configuration file "ecf001.cds": register 001, printer 001, type 1.
  platform::TClientDataSet ecf;
  ecf.AddFieldDef("CDCAIXA", platform::TFieldType::ftString, 10);
  ecf.AddFieldDef("CHECKSUM", platform::TFieldType::ftInteger);
  ecf.AddFieldDef("NRSERIEECF", platform::TFieldType::ftString, 20);
  ecf.AddFieldDef("NRECFCAIXA", platform::TFieldType::ftString, 10);
  ecf.AddFieldDef("IDTIPOIMPFIS", platform::TFieldType::ftInteger);
  ecf.CreateDataSet();
  ecf.Append();
  ecf.FieldByName("CDCAIXA").SetAsString("001");
  ecf.FieldByName("NRSERIEECF").SetAsString("BE0503756100");
  ecf.FieldByName("NRECFCAIXA").SetAsString("001");
  ecf.FieldByName("CHECKSUM").SetAsInteger(Qdm00000::ChecksumECF("001", "BE0503756100"));
  ecf.FieldByName("IDTIPOIMPFIS").SetAsInteger(1);
  ecf.Post();
  ecf.SaveToFile(home + "/ecf001.cds");

  // The till: the register's code, the printer's port, the shop's payment
  // types (each step is also reported as it is done).
  QdmVenda::Setup setup;
  setup.caixa = "001";
  setup.porta = "COM1";
  setup.offer_x_reading = false;
  setup.payment_types = {{"001", "Dinheiro", "1"}, {"002", "Cart\xE3o D\351bito", "D"}};
  setup.on_step = [](const QdmVenda::Step& step) {
    std::printf("  %s %s\n", step.ok ? "ok   " : "FALHA", Utf8(step.what).c_str());
  };
  QdmVenda::Till till(setup);
  const QdmVenda::StartResult start = till.Start();
  if (!start.ok) {
    std::printf("the register may not operate: %s\n", Utf8(start.failure).c_str());
    return 1;
  }
  // What an earlier run left (card answers) is settled before any sale.
  if (!till.Recover().ok) return 1;

  // The sale as data: items, the payments in the order taken (a payment
  // with `card` set goes through the TEF manager first), the discount and
  // the buyer's CPF. Nothing reaches the printer when it does not hold
  // together.
  QdmVenda::Sale sale;
  sale.items = {{"7891000100103", "CAF\xC9 TORRADO 500G", "T", 18, "", 2, 8.99, 0},
                {"7891910000197", "A\xC7\332CAR REFINADO 1KG", "F", 0, "", 3, 4.29, 0}};
  sale.payments = {{"001", 40.00, false}};
  sale.discount = 0.85;
  sale.buyer_id = "123.456.789-09";
  const QdmVenda::SaleResult result = till.Sell(sale);

  std::printf("coupon %s %s: total %.2f, paid %.2f, change %.2f\n", result.coupon_number.c_str(),
              QdmVenda::CouponStateName(result.coupon), result.total, result.paid, result.change);
  for (const QdmVenda::CardResult& card : result.cards)
    std::printf("card %s %s: %s\n", card.network.c_str(), card.document.c_str(), QdmVenda::CardStateName(card.state));
  if (!result.completed) std::printf("not completed: %s\n", Utf8(result.failure).c_str());
  till.Stop();
  return result.completed ? 0 : 1;
}
