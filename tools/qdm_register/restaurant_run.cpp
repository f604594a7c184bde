#include "tools/qdm_register/restaurant_run.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>

#include "facade/Qdm00000.h"
#include "platform/base/sysutils.h"
#include "platform/text/format.h"
#include "tools/qdm_register/day_closing.h"
#include "tools/qdm_register/till_steps.h"
#include "utility/utility.h"

namespace qdm_register {

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
    {"7896000000011", "CERVEJA 600ML", "T", 18, "", 2, 12.90, 0},
    {"0000000000028", "PICANHA GRELHADA", "T", 12, "", 1, 89.90, 0},
};
const std::vector<Product> kTableBOrder = {
    {"7896000000035", "REFRIGERANTE LATA", "T", 18, "", 1, 6.50, 0},
    {"0000000000042", "POR\xC7\xC3O DE FRITAS", "T", 12, "", 1, 32.00, 0},
};
const double kFloat = 50.00;
const double kServicePercent = 10;
const double kCashHanded = 200.00;

// The register's own account of its tables, kept as the printer keeps
// them, so every figure it shows is the printer's: items in the order
// ordered, an item moved whole, an item reversed whole, tables joined.
class Tables {
 public:
  void Order(const std::string& table, const std::vector<Product>& products) {
    for (const Product& p : products) items_[table].push_back(p);
  }
  void Move(const std::string& from, const std::string& to, const std::string& code) {
    auto& source = items_[from];
    const auto it = std::find_if(source.begin(), source.end(), [&](const Product& p) { return p.code == code; });
    if (it == source.end()) return;
    items_[to].push_back(*it);
    source.erase(it);
  }
  // Item `number` (1 is the first ordered) leaves the table.
  Product Reverse(const std::string& table, std::size_t number) {
    auto& items = items_[table];
    const Product reversed = items.at(number - 1);
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(number - 1));
    return reversed;
  }
  void Join(const std::string& to, const std::string& from) {
    Order(to, items_[from]);
    items_.erase(from);
  }
  const std::vector<Product>& Of(const std::string& table) { return items_[table]; }
  double Total(const std::string& table) {
    double total = 0;
    for (const Product& p : items_[table]) total += p.Amount();
    return platform::RoundTo(total, 2);
  }

 private:
  std::map<std::string, std::vector<Product>> items_;
};

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

std::string Money(double amount) { return platform::FormatFloat("0.00", amount); }

}  // namespace

int RunRestaurantDay(RegisterSession& session, const SaleOptions& options) {
  using namespace Qdm00000;
  SaleOptions restaurant = options;
  restaurant.caixa = kRestaurantTill;
  restaurant.tipo = kRestaurantModel;
  restaurant.tipo_given = false;
  restaurant.card = false;
  // The restaurant's printer keeps its own memory (read when the library
  // loads); it prints on the same tape file as the shop's.
  setenv("MP20FI_STATE", session.file("mp20fi_restaurante.state").c_str(), 1);
  Register reg(session, restaurant);
  bool ok = reg.Start();
  if (ok && IdTipoImpFis != kRestaurantModel)
    ok = Step("o caixa " + restaurant.caixa + " n\xE3o \xE9 de restaurante: tipo " + platform::IntToStr(IdTipoImpFis),
              false);
  ok = ok && reg.Recover();
  ok = ok && Step("impressora no modelo de restaurante", MakeRestaurantPrinter(session));

  DayClosing closing;
  Say("\n== Abertura do dia\n");
  ok = ok && Step("Suprimento " + Money(kFloat), Suprimento(kFloat));
  if (ok) closing.Supply(kFloat);

  Tables tables;
  Say("\n== Mesas " + std::string(kTableA) + " e " + kTableB + "\n");
  ok = ok && reg.SellToTable(kTableAOrder, kTableA, kWaiter) && reg.SellToTable(kTableBOrder, kTableB, kWaiter);
  if (ok) tables.Order(kTableA, kTableAOrder), tables.Order(kTableB, kTableBOrder);
  // The soda goes to the other table, whole.
  const Product& soda = kTableBOrder.front();
  ok = ok &&
       Step("Transfere_Item " + soda.description + " da mesa " + kTableB + " para a mesa " + kTableA,
            Transfere_Item(kTableB, kTableA, soda.code, soda.description, "", "", 0, soda.unit_price, soda.quantity));
  if (ok) tables.Move(kTableB, kTableA, soda.code);
  // The first item of the table is reversed whole (a share of 0).
  const std::size_t reversed_item = 1;
  if (ok) {
    const std::string description = tables.Of(kTableA).at(reversed_item - 1).description;
    ok = Step("Estorno do item " + platform::IntToStr(static_cast<long long>(reversed_item)) + " da mesa " + kTableA +
                  " (" + description + ", inteiro)",
              Estorno(kTableA, util::AjustaZero(platform::IntToStr(static_cast<long long>(reversed_item)), 3), 0));
    if (ok) tables.Reverse(kTableA, reversed_item);
  }
  ok = ok && Step("Rel_MesaAber (relat\xF3rio de mesas abertas)", Rel_MesaAber(""));
  ok = ok && Step("Juncao_Mesa (a mesa " + std::string(kTableB) + " junta-se \xE0 mesa " + kTableA + ")",
                  Juncao_Mesa(kTableA, kTableB));
  if (ok) tables.Join(kTableA, kTableB);
  ok = ok && Step("ImprimeCardapio", ImprimeCardapio());

  // The bill as the table check prints it: the items, the service charge
  // on them (cut to the cent) and the total the customer is asked for.
  const double items = tables.Total(kTableA);
  const double service = util::Trunc2(items * kServicePercent / 100);
  Say("\n== Conta da mesa " + std::string(kTableA) + ": " + Money(items) + " + servi\xE7o " +
      platform::FormatFloat("0", kServicePercent) + "% " + Money(service) + " = " + Money(items + service) + "\n");
  ok = ok && Step("Cupom_Conferencia (servi\xE7o " + platform::FormatFloat("0", kServicePercent) + "%)",
                  Cupom_Conferencia(kTableA, kWaiter, kServicePercent, 0));
  ok = ok && Step("Fecha_Conferencia", Fecha_Conferencia(kTableA, items));

  // The table's fiscal coupon: the items the printer holds for the table.
  QdmVenda::Sale sale;
  sale.table = kTableA;
  sale.waiter = kWaiter;
  sale.items = tables.Of(kTableA);
  sale.payments = Payments(0, kCashHanded);
  if (ok) {
    const QdmVenda::SaleResult result = reg.Sell(sale);
    ok = result.completed;
    if (ok) {
      for (const Product& p : sale.items) closing.Sold(p);
      closing.Took(kCashType, "Dinheiro", result.total);
    }
  }

  DayExport exported;
  ok = ok && CloseTheDay(session, closing, reg.till.payment_types(), exported);
  reg.ShowNotices(false);
  reg.Finish();
  reg.ShowOutputs();
  if (ok) ShowExport(exported);
  if (!ok) Say("== Dia n\xE3o conclu\355do\n");
  return ok ? 0 : 1;
}

}  // namespace qdm_register
