#include "sale/families.h"

#include <array>
#include <filesystem>
#include <system_error>

#include "drivers/daruma/driver.h"
#include "drivers/sweda/Qdm00200.h"
#include "facade/Qdm00000.h"
#include "data_module/dtmCupomFiscal.h"
#include "platform/base/clock.h"
#include "platform/base/sysutils.h"
#include "platform/os/files.h"
#include "platform/text/format.h"
#include "utility/utility.h"

namespace QdmVenda::detail {

namespace {

using platform::TClientDataSet;

long long Cents(double amount) { return platform::Trunc(platform::RoundTo(amount * 100, 0)); }

// Amounts as the printers take them: digits with two implied decimals.
std::string AmountField(double amount, int width) { return util::AjustaZero(platform::IntToStr(Cents(amount)), width); }

std::string DiscountAndBuyer(const Sale& sale) {
  return "desconto " + platform::CurrToStr(sale.discount) + (sale.buyer_id.empty() ? "" : ", CPF " + sale.buyer_id);
}

void AddMovement(TClientDataSet& movs, const Payment& payment, int order) {
  movs.Append();
  movs.FieldByName("CDFILIAL").SetAsString("0001");
  movs.FieldByName("NRSEQUMOVI").SetAsString(platform::IntToStr(order));
  movs.FieldByName("IDTIPOMOVIVE").SetAsString("E");
  movs.FieldByName("CDTIPORECE").SetAsString(payment.type);
  movs.FieldByName("VRMOVIVEND").SetAsFloat(payment.amount);
  movs.FieldByName("NRORDTROCO").SetAsString("001");
  // The printer takes the payments in the order they were taken.
  movs.FieldByName("DTHRINCMOV").SetAsDateTime(platform::clock::Now() + order / 86400.0);
  movs.Post();
}

std::uintmax_t LogSize() {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(platform::HostPath(Qdm00000::DebugLogPath()), error);
  return error ? 0 : size;
}

// The printer's own word on the closing: FechaCupom answers true even when
// the operator chose not to repeat a refused command, and the printer's
// status then shows a coupon still open (the driver logs "Cupom aberto").
// Only the lines the status query wrote are read: the log grows all day.
bool CouponClosed() {
  const std::uintmax_t before = LogSize();
  Qdm00000::Estado_Impressora(false, false);
  const std::uintmax_t after = LogSize();
  if (after <= before) return true;
  std::size_t size = 0;
  const std::string written =
      platform::ReadFileTail(Qdm00000::DebugLogPath(), static_cast<std::size_t>(after - before), size);
  return written.find("ERRO!!! Cupom aberto") == std::string::npos;
}

// Bematech and Daruma: the facade closes with each payment movement under
// its method.
bool CloseWithMovements(Closing& c, std::string& numero) {
  TClientDataSet movimentos("movimentos");
  movimentos.FieldDefs = Qdm00000::DataModule().cdsMovCaixa.FieldDefs;
  movimentos.IndexDefs = Qdm00000::DataModule().cdsMovCaixa.IndexDefs;
  movimentos.CreateDataSet();
  int order = 0;
  for (const Payment& payment : c.sale.payments) AddMovement(movimentos, payment, ++order);
  const bool closed = Qdm00000::FechaCupom(false, true, c.sale.discount, 0, 0, "S", true, "", movimentos,
                                           c.recebimentos, numero, "", "", "", c.sale.buyer_id, c.sale.buyer_name) &&
                      CouponClosed();
  return c.step("FechaCupom (" + DiscountAndBuyer(c.sale) + ")", closed);
}

std::string NameOf(const std::vector<PaymentType>& types, const std::string& code) {
  for (const PaymentType& t : types)
    if (t.code == code) return t.name;
  return code;
}

// The front end totals each payment under its method, then closes.
bool CloseSweda(Closing& c, std::string& numero) {
  for (const Payment& payment : c.sale.payments) {
    const auto method = c.methods.find(payment.type);
    const bool taken =
        method != c.methods.end() && Qdm00000::Totaliza_NFiscal(method->second, AmountField(payment.amount, 12));
    if (!c.step("pagamento " + NameOf(c.types, payment.type) + " " + platform::CurrToStr(payment.amount), taken))
      return false;
  }
  const bool closed = Qdm00200::EnviaComando_Sweda("12SN", {}, true, false);
  if (closed) numero = Qdm00000::NrCupom;
  return c.step("fechamento do cupom", closed);
}

// The card voucher goes into a voucher linked to the coupon just closed.
bool LinkedVoucher(const StepFn& step, const std::string& numero, const std::string& type_name, double amount) {
  return step("Abre_Comp_NFiscalVinc (cupom " + numero + ")",
              Qdm00000::Abre_Comp_NFiscalVinc(platform::Copy(type_name, 1, 16), AmountField(amount, 14), numero));
}

bool ManagementReport(const StepFn& step, const std::string&, const std::string&, double) {
  return step("Relatorio_Gerencial (comprovante TEF)", Qdm00000::Relatorio_Gerencial());
}

// Type 7 takes an item's discount as a percentage of its unit price, cut
// to two decimals, and takes that percentage of the item's value, cut to
// the cent: 1,00 off 7,49 is 13,35 %, which gives 0,99.
double DarumaItemDiscount(int tipo, const Item& item) {
  if (tipo != 7 || !(item.discount > 0) || !(item.unit_price > 0)) return item.discount;
  const long long percent = Cents(util::Trunc2(item.discount * 100 / item.unit_price));
  const long long value = Cents(util::Trunc2(item.quantity * item.unit_price));
  return static_cast<double>(value * percent / 10000) / 100;
}

// The management report of the voucher, when the printer still holds it
// (its closing refused, the voucher cut short), is closed here rather than
// left to refuse the next coupon. The printer is asked; a printer that
// does not say is taken to hold nothing.
bool CloseReportLeftOpen(const StepFn& step) {
  using Qdm00300::detail::Document;
  if (Qdm00300::detail::AskOpenDocument() != Document::Report) return true;
  const bool closed =
      Qdm00000::FechRelatGerenc(false, false) && Qdm00300::detail::AskOpenDocument() != Document::Report;
  return step("FechRelatGerenc (relat\xF3rio do comprovante deixado aberto)", closed);
}

constexpr std::array kFamilies{
    PrinterFamily{.codes = Qdm00000::kBematechRetail,
                  .types = TypesKept::InDataset,
                  .sets_ready_flag = false,
                  .takes_discount_and_buyer = true,
                  .close = CloseWithMovements,
                  .open_sale_voucher = LinkedVoucher},
    // The restaurant model prints no card voucher.
    PrinterFamily{.codes = Qdm00000::kBematechRestaurant,
                  .types = TypesKept::InDataset,
                  .sets_ready_flag = false,
                  .takes_discount_and_buyer = true,
                  .close = CloseWithMovements},
    PrinterFamily{.codes = Qdm00000::kSweda,
                  .types = TypesKept::FileBeforeStart,
                  .sets_ready_flag = true,
                  .takes_discount_and_buyer = false,
                  .close = CloseSweda},
    PrinterFamily{.codes = Qdm00000::kDaruma,
                  .types = TypesKept::FileAndDataset,
                  .sets_ready_flag = false,
                  .takes_discount_and_buyer = true,
                  .close = CloseWithMovements,
                  .open_sale_voucher = ManagementReport,
                  .close_sale_voucher = CloseReportLeftOpen,
                  .item_discount = DarumaItemDiscount},
};

}  // namespace

const PrinterFamily* FamilyOf(int tipo) {
  for (const PrinterFamily& family : kFamilies)
    if (family.codes.Has(tipo)) return &family;
  return nullptr;
}

double ItemAmount(const PrinterFamily* family, int tipo, const Item& item) {
  const double discount = family && family->item_discount ? family->item_discount(tipo, item) : item.discount;
  return util::Trunc2(item.quantity * item.unit_price) - discount;
}

}  // namespace QdmVenda::detail
