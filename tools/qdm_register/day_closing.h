// The evening of a register's day: the till closing with the operator's
// questions (the withdrawal receipt, the products and closing reports),
// the Z reduction that closes the fiscal day, the export of its figures
// into the back office's four datasets, and the register's clock moved to
// the next morning.
#pragma once
#include <string>
#include <vector>

#include "platform/dataset/dataset.h"
#include "tools/qdm_register/register_session.h"
#include "tools/qdm_register/till_steps.h"

namespace qdm_register {

// What the till took during the day, and the datasets the front end
// hands to the till closing.
struct DayClosing {
  // The till closing's datasets, as the front end fills them.
  platform::TClientDataSet fechamento{"fechamento"};
  platform::TClientDataSet sangrias{"sangrias"};
  platform::TClientDataSet produtos{"produtos"};
  platform::TClientDataSet pessoas{"pessoas"};
  platform::TClientDataSet saidas{"saidas"};
  platform::TClientDataSet caixa{"caixa"};

  DayClosing();
  // A product sold: added to the products report (by code).
  void Sold(const Product& product);
  // The till's movements: the opening float, a withdrawal during the day,
  // what each payment type took.
  void Supply(double amount);
  void Withdrawal(double amount);
  void Took(const std::string& tipo_rece, const std::string& name, double amount);
  // Fills the closing datasets: the cash is taken out except the float,
  // the card slips go with it, so the closing report balances (SOBRA 0).
  void Prepare();
  // The products' total, as the products report adds it.
  double Sales() const;

 private:
  struct Taken {
    std::string tipo_rece, name;
    long long cents;
  };
  struct Sale {
    std::string code, name;
    double quantity;
    long long cents;
  };
  long long supply_ = 0;  // cents
  long long withdrawn_ = 0;
  std::vector<Taken> taken_;
  std::vector<Sale> sold_;
};

// The evening of a day: the till closing (GeraReciboSangria), the Z
// reduction checked on the printer's counter, the register's clock moved to
// the next morning as soon as the printer may have reduced the day (before
// anything can fail or be cut), and the export into the four datasets
// (ExportRedZ, in the register's home where the printer writes its report).
// Answers whether every step went through; the datasets are shown with
// ShowExport.
struct DayExport {
  platform::TClientDataSet reducao{"reducaoz"};
  platform::TClientDataSet formas{"formaspagamento"};
  platform::TClientDataSet impostos{"impostos"};
  platform::TClientDataSet nao_fiscais{"totalizadoresnaofiscais"};
};
bool CloseTheDay(RegisterSession& session, DayClosing& closing, platform::TClientDataSet& recebimentos,
                 DayExport& exported);
void ShowExport(DayExport& exported);

}  // namespace qdm_register
