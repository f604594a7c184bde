#include "tools/qdm_register/sweda_sale.h"

#include <cstdlib>

#include "drivers/common/type_codes.h"
#include "platform/base/sysutils.h"
#include "platform/text/format.h"
#include "tools/qdm_register/config_writer.h"
#include "tools/qdm_register/till_steps.h"
#include "utility/utility.h"

namespace qdm_register {

namespace {

// The printer's own tax codes; 1.15 x 3 is 3.45 on the coupon, never 3.44.
const std::vector<Product> kItems = {
    {"7891000100103", "CAF\xC9 TORRADO 500G", "T", 18, "T01", 1, 8.99, 0},
    {"7894900011517", "\xC1GUA MINERAL 500ML", "T", 18, "T01", 3, 1.15, 0},
    {"2000000000015", "QUEIJO MUSSARELA KG", "T", 12, "T02", 0.750, 39.90, 0},
};
const double kCard = 10.00;
const double kCashOver = 5.00;  // the customer's note goes beyond the total

}  // namespace

int SwedaTypeCode(const std::string& name_or_code) {
  if (platform::UpperCase(name_or_code) == "SWEDA") return 3;
  const int tipo = platform::StrToIntDef(name_or_code, 0);
  return Qdm00000::IsSweda(tipo) ? tipo : 0;
}

int RunSwedaSale(RegisterSession& session, const SaleOptions& options, int tipo) {
  // The emulated printer keeps its memory and tape in the register's home
  // and answers as the model asked for (read when the library loads).
  setenv("SERSWEDA_STATE", session.file("sersweda" + platform::IntToStr(tipo) + ".state").c_str(), 1);
  setenv("SERSWEDA_TAPE", session.file("tape.txt").c_str(), 1);
  setenv("SERSWEDA_MODEL", platform::IntToStr(tipo).c_str(), 1);
  // A register of its own ("10" and the type code), so the configuration
  // of the Bematech register in the same home stays as it was.
  SaleOptions sweda = options;
  sweda.caixa = "10" + platform::IntToStr(tipo);
  sweda.tipo = tipo;
  EcfConfig config;
  config.caixa = sweda.caixa;
  config.serie = "SW0012345";
  config.tipo = tipo;
  WriteEcfConfig(EcfConfigPath(session.directory(), sweda.caixa), config);

  QdmVenda::Setup setup;
  setup.offer_x_reading = false;
  // The shop's cash and debit, reconciled with the printer's methods.
  setup.payment_types = {ShopPaymentTypes()[0], ShopPaymentTypes()[1]};
  Register reg(session, sweda, setup);
  if (options.card) reg.StartManager();
  bool ok = reg.Start(" (impressora Sweda tipo " + platform::IntToStr(tipo) + ")") && reg.Recover();

  double total = 0;
  for (const Product& item : kItems) total += item.Amount();
  QdmVenda::Sale sale;
  sale.items = kItems;
  sale.payments = options.card ? Payments(kCard, platform::RoundTo(total - kCard + kCashOver, 2))
                               : Payments(0, platform::RoundTo(total + kCashOver, 2));
  if (ok) ok = reg.Sell(sale).completed;
  reg.Finish();
  reg.StopManager();
  reg.ShowOutputs();
  return ok ? 0 : 1;
}

}  // namespace qdm_register
