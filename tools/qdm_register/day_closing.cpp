#include "tools/qdm_register/day_closing.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>

#include "facade/Qdm00000.h"
#include "platform/base/encoding.h"
#include "platform/base/sysutils.h"
#include "platform/text/datetime.h"
#include "platform/text/format.h"
#include "tools/qdm_register/dataset_table.h"
#include "tools/qdm_register/shop_clock.h"

namespace qdm_register {

using platform::TClientDataSet;
using platform::TFieldType;

namespace {

constexpr const char* kRecordExit = "1";
constexpr const char* kRecordSupply = "3";

long long Cents(double amount) { return std::llround(amount * 100); }
double Reais(long long cents) { return static_cast<double>(cents) / 100; }
std::string Money(long long cents) { return platform::FormatFloat("0.00", Reais(cents)); }

void Fresh(TClientDataSet& ds, const std::vector<platform::TFieldDef>& fields) {
  ds.Close();
  ds.FieldDefs = fields;
  ds.CreateDataSet();
}

void Fresh(TClientDataSet& ds, std::initializer_list<std::pair<const char*, TFieldType>> fields) {
  ds.Close();
  ds.FieldDefs.clear();
  for (const auto& [name, type] : fields) ds.AddFieldDef(name, type, type == TFieldType::ftString ? 40 : 0);
  ds.CreateDataSet();
}

void Exit(TClientDataSet& saidas, const char* kind, const std::string& tipo_rece, const std::string& name,
          long long cents) {
  saidas.Append();
  saidas.FieldByName("IDTIPOREG").SetAsString(kind);
  saidas.FieldByName("CDTIPORECE").SetAsString(tipo_rece);
  saidas.FieldByName("NMTIPORECE").SetAsString(name);
  saidas.FieldByName("VRSAIDA").SetAsFloat(Reais(cents));
  saidas.Post();
}

// The printer's Z-reduction counter (CRZ): the last four digits of its
// totals; -1 when it cannot be read.
int ReductionCounter() {
  if (!Qdm00000::Leitura_Totais(false, false)) return -1;
  const std::string totals = Qdm00000::RetornoImpFiscal("27", true);
  if (totals.size() < 4) return -1;
  return platform::StrToIntDef(totals.substr(totals.size() - 4), -1);
}

// The printer's library writes its reduction report in the current
// directory and the driver reads it from there: the register works in its
// home meanwhile, as a front end in its own folder does.
class InDirectory {
 public:
  explicit InDirectory(const std::string& directory) {
    char here[4096];
    if (::getcwd(here, sizeof here)) previous_ = here;
    entered_ = ::chdir(directory.c_str()) == 0;
  }
  ~InDirectory() {
    if (entered_ && !previous_.empty()) (void)::chdir(previous_.c_str());
  }
  InDirectory(const InDirectory&) = delete;
  InDirectory& operator=(const InDirectory&) = delete;
  bool entered() const { return entered_; }

 private:
  std::string previous_;
  bool entered_ = false;
};

// An amount of the exported reduction, as the tape prints it; "" when the
// export brought none.
std::string Figure(TClientDataSet& ds, const char* name) {
  if (!ds.Active() || ds.IsEmpty() || ds.FieldByName(name).IsNull()) return std::string();
  return platform::FormatFloat("0.00", ds.FieldByName(name).AsFloat());
}

}  // namespace

DayClosing::DayClosing() {
  const auto& dm = Qdm00000::DataModule();
  Fresh(fechamento, dm.cdsMovFecha.FieldDefs);
  Fresh(sangrias, dm.cdsSangria.FieldDefs);
  Fresh(saidas, dm.cdsMovTot.FieldDefs);
  Fresh(produtos, {{"CDPRODUTO", TFieldType::ftString},
                   {"NMPRODUTO", TFieldType::ftString},
                   {"QTPRODVEND", TFieldType::ftString},
                   {"VRTOTAL", TFieldType::ftFloat}});
  Fresh(pessoas, {{"CDSUPERVISOR", TFieldType::ftString},
                  {"NMSUPERVISOR", TFieldType::ftString},
                  {"CDOPERADOR", TFieldType::ftString},
                  {"NMOPERADOR", TFieldType::ftString}});
  Fresh(caixa, {{"IDEMIRELPROD", TFieldType::ftString}});
  pessoas.Append();
  pessoas.FieldByName("CDSUPERVISOR").SetAsString("900");
  pessoas.FieldByName("NMSUPERVISOR").SetAsString("CONCEI\xC7\xC3O");
  pessoas.FieldByName("CDOPERADOR").SetAsString("12345");
  pessoas.FieldByName("NMOPERADOR").SetAsString("JO\xC3O");
  pessoas.Post();
  // The products report is offered to the operator ("S": ask).
  caixa.Append();
  caixa.FieldByName("IDEMIRELPROD").SetAsString("S");
  caixa.Post();
}

void DayClosing::Sold(const Product& product) {
  for (Sale& sale : sold_)
    if (sale.code == product.code) {
      sale.quantity += product.quantity;
      sale.cents += Cents(product.Amount());
      return;
    }
  sold_.push_back({product.code, product.description, product.quantity, Cents(product.Amount())});
}

void DayClosing::Supply(double amount) { supply_ += Cents(amount); }
void DayClosing::Withdrawal(double amount) { withdrawn_ += Cents(amount); }

void DayClosing::Took(const std::string& tipo_rece, const std::string& name, double amount) {
  for (Taken& t : taken_)
    if (t.tipo_rece == tipo_rece) {
      t.cents += Cents(amount);
      return;
    }
  taken_.push_back({tipo_rece, name, Cents(amount)});
}

double DayClosing::Sales() const {
  long long cents = 0;
  for (const Sale& sale : sold_) cents += sale.cents;
  return Reais(cents);
}

void DayClosing::Prepare() {
  for (TClientDataSet* ds : {&fechamento, &sangrias, &produtos, &saidas}) ds->EmptyDataSet();
  for (const Sale& sale : sold_) {
    produtos.Append();
    produtos.FieldByName("CDPRODUTO").SetAsString(sale.code);
    produtos.FieldByName("NMPRODUTO").SetAsString(sale.name);
    produtos.FieldByName("QTPRODVEND").SetAsString(platform::FloatToStr(sale.quantity));
    produtos.FieldByName("VRTOTAL").SetAsFloat(Reais(sale.cents));
    produtos.Post();
  }
  if (withdrawn_ > 0) {
    sangrias.Append();
    sangrias.FieldByName("CDTIPORECE").SetAsString(kCashType);
    sangrias.FieldByName("NMTIPORECE").SetAsString("Dinheiro");
    sangrias.FieldByName("VRSANGRIA").SetAsFloat(Reais(withdrawn_));
    sangrias.Post();
    Exit(saidas, kRecordExit, kCashType, "Sangria", withdrawn_);
  }
  for (const Taken& t : taken_) {
    // The float stays in the drawer; what the withdrawal took is gone.
    const long long out = t.tipo_rece == kCashType ? std::max(0LL, t.cents - withdrawn_) : t.cents;
    fechamento.Append();
    fechamento.FieldByName("CDTIPORECE").SetAsString(t.tipo_rece);
    fechamento.FieldByName("NMTIPORECE").SetAsString(t.name);
    fechamento.FieldByName("DTABERCAIX").SetAsDateTime(platform::Date());
    fechamento.FieldByName("VRFECHAINF").SetAsFloat(Reais(out));
    fechamento.Post();
    Exit(saidas, kRecordExit, t.tipo_rece, t.name, out);
  }
  if (supply_ > 0) Exit(saidas, kRecordSupply, kCashType, "Suprimento", supply_);
}

bool CloseTheDay(RegisterSession& session, DayClosing& closing, TClientDataSet& recebimentos, DayExport& exported) {
  using namespace Qdm00000;
  const int before = ReductionCounter();
  closing.Prepare();
  Say("\n== Fechamento do caixa (vendas " + Money(Cents(closing.Sales())) + ")\n");
  // The day's end is on disk before the Z can print, so neither a failed
  // export nor a power cut after the Z lets the next run sell a new day on
  // this date and print a second Z for it. Without a Z it is taken back (a
  // cut before that leaves a day past, whose Z the next start offers).
  long long kept = 0;
  const std::string next_day = RecordNextMorning(session.directory(), kept);
  const bool kept_open = GeraReciboSangria(closing.fechamento, closing.sangrias, closing.produtos, closing.pessoas,
                                           closing.saidas, closing.caixa, platform::Now());
  const int after = kept_open ? before : ReductionCounter();
  const bool reduced = after < 0 || before < 0 || after != before;
  if (reduced) {
    ApplyShopClock(session.directory());
    Step("rel\xF3gio do caixa na manh\xE3 seguinte: " + next_day + " 08:00", true);
  } else {
    KeepToday(session.directory(), kept);
  }
  if (!Step(std::string("GeraReciboSangria (") + (kept_open ? "caixa mantido aberto" : "caixa fechado") + ")",
            !kept_open))
    return false;
  if (!Step("Redu\xE7\xE3o Z (contador de redu\xE7\365es " + platform::IntToStr(before) + " -> " +
                platform::IntToStr(after) + ")",
            before >= 0 && after == before + 1))
    return false;

  bool exported_ok = false;
  {
    InDirectory home(session.directory());
    exported_ok = home.entered() &&
                  ExportRedZ(recebimentos, exported.reducao, exported.formas, exported.impostos, exported.nao_fiscais);
  }
  // The export answers true even without the report: the figures decide.
  exported_ok = exported_ok && exported.reducao.Active() && exported.reducao.RecordCount() == 1 &&
                !Figure(exported.reducao, "VRGTREDZ").empty();
  return Step("ExportRedZ (venda bruta " + Figure(exported.reducao, "VRVENBRUREDZ") + ", venda l\xEDquida " +
                  Figure(exported.reducao, "VRVENLIQREDZ") + ", grande total " + Figure(exported.reducao, "VRGTREDZ") +
                  ")",
              exported_ok);
}

void ShowExport(DayExport& exported) {
  Say("\n== Redu\xE7\xE3o Z exportada (ExportRedZ)\n");
  std::fputs(DatasetTable("cdsReducaoZ: contadores e totais", exported.reducao).c_str(), stdout);
  std::fputs(DatasetTable("\ncdsFormPgtoRedZ: formas de pagamento", exported.formas).c_str(), stdout);
  std::fputs(DatasetTable("\ncdsImpostoRedZ: al\xEDquotas", exported.impostos).c_str(), stdout);
  std::fputs(DatasetTable("\ncdsTotNFiscRedZ: totalizadores n\xE3o fiscais", exported.nao_fiscais).c_str(), stdout);
  std::fflush(stdout);
}

}  // namespace qdm_register
