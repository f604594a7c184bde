#include "tools/qdm_register/restaurant_run.h"

#include <dlfcn.h>

#include <cstdlib>
#include <vector>

#include "facade/Qdm00000.h"
#include "platform/base/sysutils.h"
#include "platform/text/format.h"
#include "tools/qdm_register/day_closing.h"
#include "tools/qdm_register/till_steps.h"

namespace qdm_register {

using platform::TClientDataSet;

namespace {

// The restaurant's register and printer live beside the shop's in the same
// home, each with its own configuration and memory.
const char* const kRestaurantTill = "109";
constexpr int kRestaurantModel = 9;
const char* const kWaiter = "01";
const char* const kTableA = "10";
const char* const kTableB = "20";

// Descriptions fit the table item's 17 characters.
const std::vector<Product> kTableAOrder = {
    {"7896000000011", "CERVEJA 600ML", "T", 18, 2, 12.90, 0},
    {"0000000000028", "PICANHA GRELHADA", "T", 12, 1, 89.90, 0},
};
const std::vector<Product> kTableBOrder = {
    {"7896000000035", "REFRIGERANTE LATA", "T", 18, 1, 6.50, 0},
    {"0000000000042", "POR\xC7\xC3O DE FRITAS", "T", 12, 1, 32.00, 0},
};
const double kFloat = 50.00;
const double kServicePercent = 10;

// The printer's reduction report is laid out as the restaurant model's
// (one more line among the fiscal totalizers): the emulated printer is
// told so through its own controls, in the library the driver loaded.
bool MakeRestaurantPrinter(const RegisterSession& session) {
  void* library = dlopen((session.program_directory() + "Mp20fi32.dll").c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (!library) return false;
  auto set_model = reinterpret_cast<void (*)(int)>(dlsym(library, "Mp20Emu_SetRestaurantModel"));
  if (set_model) set_model(1);
  dlclose(library);
  return set_model != nullptr;
}

}  // namespace

int RunRestaurantDay(RegisterSession& session, const SaleOptions& options) {
  using namespace Qdm00000;
  SaleOptions restaurant = options;
  restaurant.caixa = kRestaurantTill;
  restaurant.tipo = kRestaurantModel;
  restaurant.card = false;
  // The restaurant's printer keeps its own memory (read when the library
  // loads); it prints on the same tape file as the shop's.
  setenv("MP20FI_STATE", session.file("mp20fi_restaurante.state").c_str(), 1);
  Register reg(session, restaurant);
  bool ok = reg.Start();
  if (ok && IdTipoImpFis != kRestaurantModel)
    ok = Step("o caixa " + restaurant.caixa + " n\xE3o \xE9 de restaurante: tipo " + platform::IntToStr(IdTipoImpFis),
              false);
  ok = ok && Step("impressora no modelo de restaurante", MakeRestaurantPrinter(session));

  DayClosing closing;
  Say("\n== Abertura do dia\n");
  ok = ok && Step("Suprimento " + platform::FormatFloat("0.00", kFloat), Suprimento(kFloat));
  if (ok) closing.Supply(kFloat);

  Say("\n== Mesas " + std::string(kTableA) + " e " + kTableB + "\n");
  ok = ok && reg.SellItems(kTableAOrder, kTableA, kWaiter) && reg.SellItems(kTableBOrder, kTableB, kWaiter);
  // The soda goes to the other table, whole.
  const Product& soda = kTableBOrder.front();
  ok = ok && Step("Transfere_Item " + soda.name + " da mesa " + kTableB + " para a mesa " + kTableA,
                  Transfere_Item(kTableB, kTableA, soda.code, soda.name, "", "", 0, soda.price, soda.quantity));
  ok = ok && Step("Estorno na mesa " + std::string(kTableA) + " (gar\xE7om " + kWaiter + ")",
                  Estorno(kTableA, kWaiter, 0));
  ok = ok && Step("Rel_MesaAber (relat\xF3rio de mesas abertas)", Rel_MesaAber(""));
  ok = ok && Step("Juncao_Mesa (a mesa " + std::string(kTableB) + " junta-se \xE0 mesa " + kTableA + ")",
                  Juncao_Mesa(kTableA, kTableB));
  ok = ok && Step("ImprimeCardapio", ImprimeCardapio());

  double total = 0;
  for (const auto* order : {&kTableAOrder, &kTableBOrder})
    for (const Product& p : *order) total += p.Amount();
  total = platform::RoundTo(total, 2);
  Say("\n== Conta da mesa " + std::string(kTableA) + ": " + platform::FormatFloat("0.00", total) + "\n");
  ok = ok && Step("Cupom_Conferencia (servi\xE7o " + platform::FormatFloat("0", kServicePercent) + "%)",
                  Cupom_Conferencia(kTableA, kWaiter, kServicePercent, 0));
  ok = ok && Step("Fecha_Conferencia", Fecha_Conferencia(kTableA, total));
  ok = ok && Step("AbreCupomRes (cupom fiscal da mesa " + std::string(kTableA) + ")", AbreCupomRes(kTableA, kWaiter));
  if (ok) reg.coupon_opened = true;
  TClientDataSet movimentos("movimentos");
  PrepareMovements(movimentos);
  const double paid = 200.00;
  AddMovement(movimentos, kCashType, paid, 1);
  std::string numero;
  ok = ok && reg.CloseCoupon(movimentos, 0, "", numero);
  if (reg.coupon_opened) reg.CancelOpenCoupon();
  if (ok) {
    for (const auto* order : {&kTableAOrder, &kTableBOrder})
      for (const Product& p : *order) closing.Sold(p);
    closing.Took(kCashType, "Dinheiro", total);
  }

  DayExport exported;
  ok = ok && CloseTheDay(session, closing, reg.recebimentos, exported);
  reg.ShowNotices(false);
  reg.Finish();
  reg.ShowOutputs(false);
  if (ok) ShowExport(exported);
  if (!ok) Say("== Dia n\xE3o conclu\xED" "do\n");
  return ok ? 0 : 1;
}

}  // namespace qdm_register
