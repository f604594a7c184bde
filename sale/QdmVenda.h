// Module QdmVenda: a whole sale at the register, described as data and run
// as one call over the fiscal printer (Qdm00000 and its drivers) and card
// payments through the TEF manager (Qdm00500). A front end, a device
// service or the register program use the same sequence:
//
//   QdmVenda::Till till(setup);      // the register's code, port, payment types
//   till.Start();                    // configuration, printer start-up, tables
//   till.Recover();                  // what an earlier run left: card answers
//   QdmVenda::SaleResult r = till.Sell(sale);   // all or nothing
//   till.Stop();
//
// A sale either ends with its coupon closed and every card confirmed, or
// it is abandoned: the coupon is cancelled and every approved card, never
// confirmed, undone with the manager (NCN, the operator told), so no card
// stays pending behind a coupon that does not stand. A card whose
// settlement the manager did not acknowledge is reported "unsettled": the
// next Recover settles it.
//
// Texts are Windows-1252. Nothing here raises: every failure is in the
// result. The calls run on the library's main thread and show the
// operator's dialogs through the installed presenter; the texts shown
// are also returned with the result.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/export.h"
#include "platform/dataset/dataset.h"

PKG_QDM_PUBLIC_BEGIN

namespace QdmVenda {

// One step of a call, as the register shows it: what was done (the
// library call and its figures, Windows-1252) and whether it went through.
struct Step {
  std::string what;
  bool ok = false;
};

// A payment type of the shop (a record of the payment-type dataset).
struct PaymentType {
  std::string code;  // CDTIPORECE, "001"
  std::string name;  // NMTIPORECE; its first 16 characters name the printer's method
  std::string kind;  // IDTIPORECE: "1" cash, "D" debit card, "C" credit card, "4" exchange voucher
};

struct SaleResult;

struct Setup {
  std::string caixa = "001";    // register code: configuration file "ecf" + caixa + ".cds"
  std::string porta = "COM1";   // the fiscal printer's port
  std::string sistema = "PDV";  // the calling system's code
  bool offer_x_reading = true;  // the start-up offers the X reading
  std::vector<PaymentType> payment_types;
  // Runs after the configuration is read and before the printer's library
  // is started, with the printer type code (a host sets up the device
  // there: the emulated printers read their settings when they load).
  std::function<void(int tipo)> before_printer_start;
  // For a host that started the TEF manager itself: answers false once it
  // has ended. Waits on the manager then end at once, the operator is told,
  // and the sale is settled as far as it can be.
  std::function<bool()> manager_alive;
  // Each step as it is done (the results gather them too).
  std::function<void(const Step&)> on_step;
  // The sale's turning points as they happen, with the result so far: the
  // coupon opened (coupon_number set), a card approved (in cards), the
  // coupon closed (coupon Closed). A host that journals them durably knows
  // after a power failure how far the sale went.
  std::function<void(const SaleResult&)> on_progress;
};

struct StartResult {
  bool ok = false;  // the register may operate
  int tipo = 0;     // the printer type code of the configuration
  std::string ecf;  // the printer's number and serial, as it reports them
  std::string serie;
  std::string failure;                // why not (the configuration file and its fault, ...)
  std::vector<std::string> messages;  // the operator's dialogs shown
  std::vector<Step> steps;
};

struct RecoveryResult {
  bool ok = false;  // everything an earlier run left was settled
  int left = 0;     // card answers found left by an earlier run
  std::vector<std::string> messages;
  std::vector<Step> steps;
};

// A line of the coupon.
struct Item {
  std::string code;         // product code
  std::string description;  // cut to the printer's width
  std::string tax_kind;     // IDTPIMPOSFIS: "T" ICMS, "S" ISS, "F", "I", "N"
  double tax_rate = 0;      // VRPEALIMPFIS, percent
  std::string aliquota;     // the printer's tax code; "" finds it from kind and rate
  double quantity = 1;      // up to three decimals
  double unit_price = 0;
  double discount = 0;  // reais off this item
  // What the item comes to: quantity times price cut to the cent, less
  // its discount.
  double Amount() const;
};

// A payment of the sale, in the order taken.
struct Payment {
  std::string type;   // the payment type's code (PaymentType::code)
  double amount = 0;  // reais; cash may exceed what is due (the change)
  // Taken by card through the TEF manager before the coupon is closed
  // (debit, or credit for a type of kind "C"). One card per sale: the
  // manager undoes a pending card when the next one is asked for.
  bool card = false;
};

struct Sale {
  std::vector<Item> items;
  std::vector<Payment> payments;
  double discount = 0;   // reais off the subtotal at the closing
  std::string buyer_id;  // CPF or CNPJ printed on the coupon, "" none
  std::string buyer_name;
  // The restaurant model: the coupon of a table whose items the printer
  // holds (registered with VendaItem on the table); `items` then only
  // describe them for the totals.
  std::string table;
  std::string waiter;
};

enum class CardState {
  NotApproved,  // declined, or no answer: nothing to settle
  Confirmed,    // the coupon stands and the manager took the confirmation
  Undone,       // undone with the manager: the customer pays nothing
  Unsettled,    // the manager did not acknowledge the decision: the next Recover settles it
};
// A card the manager refused to undo (it already stood confirmed) is
// Confirmed: the customer pays, and the operator was told so.
// "not_approved", "confirmed", "undone", "unsettled".
const char* CardStateName(CardState state);

struct CardResult {
  std::string type;  // the payment type's code
  double amount = 0;
  bool approved = false;
  std::string identifier;     // the request's identifier (001-000)
  std::string network;        // 010-000
  std::string document;       // 012-000
  std::string authorisation;  // 013-000
  std::string message;        // the manager's message (030-000), or why no answer came
  CardState state = CardState::NotApproved;
};

enum class CouponState {
  NotOpened,  // the sale was refused before the printer
  Closed,
  Cancelled,  // abandoned: the coupon was cancelled
  LeftOpen,   // abandoned, and the printer refused the cancellation too
};
// "not_opened", "closed", "cancelled", "left_open".
const char* CouponStateName(CouponState state);

struct SaleResult {
  // The coupon closed, every card confirmed.
  bool completed = false;
  CouponState coupon = CouponState::NotOpened;
  std::string coupon_number;  // the coupon opened, as the printer numbered it
  double subtotal = 0;        // the items
  double discount = 0;
  double total = 0;   // subtotal less discount
  double paid = 0;    // every payment
  double change = 0;  // paid less total
  std::vector<CardResult> cards;
  std::string failure;  // the step that failed, or why the sale was refused
  // What went wrong without changing the sale (a completed sale may carry
  // one): the TEF ledger that could not be written (a full disk) while the
  // card's decision went to the manager all the same, the voucher's report
  // the printer would not close. "" when nothing.
  std::string warning;
  std::vector<std::string> messages;
  std::vector<Step> steps;
};

// The register's session with its printer and the TEF manager. One at a
// time per process: the library's state is the process's.
class Till {
 public:
  explicit Till(Setup setup);
  ~Till();  // stops the printer when it was started
  Till(const Till&) = delete;
  Till& operator=(const Till&) = delete;

  // Reads the configuration file, starts the printer's library on its port,
  // loads the printer's tables and numbers the payment types. A coupon an
  // earlier run left open is cancelled there.
  StartResult Start();
  // Settles the card answers an earlier run left in the managers'
  // directories: undone, or their confirmation finished. Needs the manager
  // only when something was left (PendingCardAnswers).
  RecoveryResult Recover();
  // Checks the sale (nothing reaches the printer when it does not hold
  // together), opens the coupon, sells the items, takes the card, closes
  // the coupon and prints the card voucher, then confirms the card; or
  // abandons the sale at the first failure.
  SaleResult Sell(const Sale& sale);
  // Closes the printer's port. Start may follow again.
  void Stop();

  Setup& setup();
  bool started() const;
  // The payment types as IniciaImpressora numbered them (CDFPIMPFIS), for
  // the till closing and the Z-reduction export.
  platform::TClientDataSet& payment_types();

 private:
  struct PKG_QDM_HIDDEN State;
  std::unique_ptr<State> state_;
};

// Card answers an earlier run left in the managers' directories (both
// roots), which Recover settles.
int PendingCardAnswers();

}  // namespace QdmVenda

PKG_QDM_PUBLIC_END
