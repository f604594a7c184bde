// What a sale does differently on each printer family: where the payment
// types are kept for the driver, how the coupon is closed, and where the
// card vouchers are printed. The rest of the sale is the same everywhere.
#pragma once
#include <functional>
#include <map>
#include <string>

#include "drivers/common/type_codes.h"
#include "platform/dataset/dataset.h"
#include "sale/QdmVenda.h"

namespace QdmVenda::detail {

// Reports one step ("ok"/"FALHA" and what) and answers whether it went.
using StepFn = std::function<bool(const std::string& what, bool ok)>;

// What the closing needs to know.
struct Closing {
  const Sale& sale;
  const std::vector<PaymentType>& types;
  platform::TClientDataSet& recebimentos;             // as IniciaImpressora numbered them
  const std::map<std::string, std::string>& methods;  // type code -> the printer's method
  double total = 0;
  double paid = 0;
  StepFn step;
};

// Where the driver takes the shop's payment types from.
enum class TypesKept {
  InDataset,        // the dataset handed to IniciaImpressora
  FileBeforeStart,  // "tiporece.cds", reconciled and written back by the driver
  FileAndDataset,   // the dataset, also kept in "tiporece.cds" for the driver
};

struct PrinterFamily {
  Qdm00000::CodeSet codes;
  TypesKept types;
  bool sets_ready_flag;           // the driver's start-up sets the ready flag itself
  bool takes_discount_and_buyer;  // the closing prints a coupon discount and the buyer's id
  bool (*close)(Closing& closing, std::string& numero);
  // Opens the document the card's sale voucher is printed in (nullptr:
  // the voucher goes out as it is).
  bool (*open_sale_voucher)(const StepFn& step, const std::string& numero, const std::string& type_name,
                            double amount) = nullptr;
  // After the voucher, however it ended: closes the document it went into
  // when the printer still holds it open (a refused closing, a voucher
  // interrupted), so the next coupon can open. False when it stays open.
  // nullptr: nothing to look at.
  bool (*close_sale_voucher)(const StepFn& step) = nullptr;
  // The discount the printer of type `tipo` gives an item asked for
  // `item.discount` off (nullptr: the amount asked).
  double (*item_discount)(int tipo, const Item& item) = nullptr;
};

// What the item comes to on the printer: its value cut to the cent less
// the discount the printer gives it.
double ItemAmount(const PrinterFamily* family, int tipo, const Item& item);

// The family of a printer type code; nullptr when no driver serves it.
const PrinterFamily* FamilyOf(int tipo);

}  // namespace QdmVenda::detail
