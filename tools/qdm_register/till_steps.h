// The steps a register's runs share: the printer's start-up on the
// register's configuration, the recovery of what an earlier run left, a
// sale run through the library's sale module (QdmVenda), restaurant table
// items, the notices an operator must see, and the log and tape shown at
// the end. Every step prints one line, "ok" or "FALHA", as the register's
// output.
#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "sale/QdmVenda.h"
#include "tools/qdm_register/card_payment.h"
#include "tools/qdm_register/demo_sale.h"
#include "tools/qdm_register/register_session.h"

namespace qdm_register {

// A product of the shop, as a line of the coupon.
using Product = QdmVenda::Item;

// The shop's payment types.
inline constexpr const char* kCashType = "001";
inline constexpr const char* kDebitType = "002";
inline constexpr const char* kDebitName = "Cart\xE3o D\351bito";
std::vector<QdmVenda::PaymentType> ShopPaymentTypes();
// The sale module's setup of the register `caixa` in the home `session`:
// the shop's payment types (those of `setup` when it names some) and the
// emulated printer's files set up before the printer's library starts.
// The register program and the device service both start their till on it.
QdmVenda::Setup ShopSetup(QdmVenda::Setup setup, const RegisterSession& session, const std::string& caixa);

// Exit status of a run whose card confirmation the manager never
// acknowledged: the coupon is printed and the card pending with the
// manager until the next start settles it.
inline constexpr int kExitCardUnsettled = 3;
// The exit status of a run that ends on this sale: 0 completed without a
// warning, kExitCardUnsettled when a card is left unsettled, else 1.
int SaleExit(const QdmVenda::SaleResult& result);

// Prints Windows-1252 text for the terminal (UTF-8).
void Say(const std::string& text);
// One line of the run: "ok" or "FALHA" and what; answers `ok`.
bool Step(const std::string& what, bool ok);
// The payments of a sale: `card` by debit card (none when 0), the rest of
// `cash` in cash.
std::vector<QdmVenda::Payment> Payments(double card, double cash);

// What a register holds for the length of a run.
struct Register {
  RegisterSession& session;
  const SaleOptions& options;
  std::unique_ptr<TefManager> manager;
  QdmVenda::Till till;
  std::size_t notices_shown = 0;
  bool manager_ran = false;  // its journal is shown at the end

  Register(RegisterSession& s, const SaleOptions& o, QdmVenda::Setup setup = {});
  ~Register();
  Register(const Register&) = delete;
  Register& operator=(const Register&) = delete;

  std::string ManagerRoot() const;
  std::string ManagerJournal() const;
  std::string ManagerProgram() const;
  // Starts the TEF manager, which the till watches: a manager that dies
  // during a card payment is noticed at once.
  void StartManager();
  void StopManager();

  // Configuration (written the first time; an existing one kept, and said
  // so when it overrides --tipo), printer start-up and the tables the front
  // end needs. `printer` is added to the run's title.
  bool Start(const std::string& printer = "");
  // Settles what an earlier run left (card answers), starting the manager
  // for it when the run has none and something was left.
  bool Recover();
  // The sale, all or nothing; a sale not completed says why and what became
  // of its card.
  QdmVenda::SaleResult Sell(const QdmVenda::Sale& sale);
  // Sells each product on the restaurant model against the table `mesa`,
  // served by `garcom`, with the printer's tax-rate code found by
  // Verifica_Aliquota.
  bool SellToTable(const std::vector<Product>& products, const std::string& mesa, const std::string& garcom);
  // Errors and cancellations the library logged since the last look.
  void ShowNotices(bool at_start);
  void Finish();
  // The debug log first and the printed tape last (the TEF manager's
  // journal between them when a manager ran).
  void ShowOutputs();
};

}  // namespace qdm_register
