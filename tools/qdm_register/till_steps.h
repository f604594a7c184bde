// The steps a register's runs share: the printer's start-up on the
// register's configuration, a basket sold item by item, a card payment,
// the closing of the coupon and the card voucher, the notices an operator
// must see, and the log and tape shown at the end. Every step prints one
// line, "ok" or "FALHA", as the register's output.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "platform/dataset/dataset.h"
#include "platform/dataset/stringlist.h"
#include "tools/qdm_register/demo_sale.h"
#include "tools/qdm_register/register_session.h"

namespace qdm_register {

struct Product {
  std::string code;
  std::string name;      // Windows-1252
  std::string tax_kind;  // IDTPIMPOSFIS
  double tax_rate;       // VRPEALIMPFIS
  double quantity;
  double price;
  double discount;

  // What the item costs on the coupon: quantity times price cut to the
  // cent, less its discount.
  double Amount() const;
};

// The shop's payment types.
inline constexpr const char* kCashType = "001";
inline constexpr const char* kDebitType = "002";
inline constexpr const char* kDebitName = "Cart\xE3o D\xE9" "bito";

// Prints Windows-1252 text for the terminal (UTF-8).
void Say(const std::string& text);
// One line of the run: "ok" or "FALHA" and what; answers `ok`.
bool Step(const std::string& what, bool ok);
// 14 digits with two implied decimals, as the printer takes amounts.
std::string AmountField(double amount);
// A movement of the coupon: a payment of `amount` in the payment type.
void AddMovement(platform::TClientDataSet& movs, const std::string& tipo_rece, double amount, int order);
// An empty movements dataset laid out as the data module's.
void PrepareMovements(platform::TClientDataSet& movs);

// What a register holds for the length of a run.
struct Register {
  RegisterSession& session;
  const SaleOptions& options;
  platform::TClientDataSet recebimentos{"recebimentos"};
  platform::TClientDataSet aliquotas{"aliquotas"};
  platform::TStringList cupons_tef;
  platform::TStringList canc_cupons_tef;
  std::size_t notices_shown = 0;
  bool coupon_opened = false;

  Register(RegisterSession& s, const SaleOptions& o);
  ~Register();
  Register(const Register&) = delete;
  Register& operator=(const Register&) = delete;

  std::string ManagerRoot() const;
  std::string ManagerJournal() const;
  std::string ManagerProgram() const;

  // Configuration (written the first time), printer start-up and the
  // tables the front end needs.
  bool Start();
  // The printer's start-up, which may cancel a coupon an earlier run left open.
  bool StartPrinter();
  // Opens the coupon and sells the basket.
  bool SellBasket(const std::vector<Product>& basket);
  // Sells each product with the printer's tax-rate code found by
  // Verifica_Aliquota; on the restaurant model against the table `mesa`,
  // served by `garcom`.
  bool SellItems(const std::vector<Product>& basket, const std::string& mesa = "",
                 const std::string& garcom = "");
  bool PayCard(double amount);
  // Closes the coupon with the movements and checks the printer took it;
  // `numero` receives the coupon's number.
  bool CloseCoupon(platform::TClientDataSet& movimentos, double discount, const std::string& cpf,
                   std::string& numero);
  // The card voucher in a voucher linked to the coupon, two copies, then
  // the transaction confirmed.
  bool PrintCardVoucher(const std::string& numero, double amount);
  // Errors and cancellations the library logged since the last look.
  void ShowNotices(bool at_start);
  bool CouponClosed();
  void CancelOpenCoupon();
  void Finish();
  // The debug log first and the printed tape last.
  void ShowOutputs(bool journal);
};

}  // namespace qdm_register
