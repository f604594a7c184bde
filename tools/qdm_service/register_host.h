// The register the service drives: its home (held locked for the
// service's life, as the register program holds it), the fiscal printer
// its configuration file names, the TEF manager, the customer display, the
// bar-code reader and the badge check-digit library. Everything here runs
// on the library's main thread.
#pragma once
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/dataset/dataset.h"
#include "sale/QdmVenda.h"
#include "tools/qdm_service/events.h"
#include "tools/qdm_service/outcome.h"

namespace emu {
class PtyDevice;
}
namespace qdm_register {
class RegisterSession;
class TefManager;
}  // namespace qdm_register

namespace qdm_service {

// Which devices the service starts, from its command line.
struct DeviceOptions {
  std::string home;
  std::string caixa = "001";
  int tipo = 1;                   // printer type code of a new configuration
  bool tef = true;                // start the emulated TEF manager
  std::string visor = "emulado";  // "emulado", "nenhum", "COM1".."COM12" or a device path
  std::string leitor = "nenhum";  // the bar-code reader: "nenhum", "COMn" or a device path
  bool digito = true;             // the badge check-digit library "DCVT32.dll"
};

// The printer's state as the service last saw it.
struct PrinterState {
  bool ready = false;
  std::optional<bool> coupon_open;   // asked of every maker; none when unanswered
  std::optional<std::string> paper;  // "ok", "pouco", "fim"
  std::string movement_date;         // "yyyy-mm-dd", or "" when unknown
  bool z_due = false;
  // The fiscal day as the printer's own flags tell it: "aberto" (a day
  // open, movement_date), "fechado" (closed by a Z reduction: the next
  // document opens a new day; movement_date is the day closed, when the
  // service saw it open), "reducao_z_pendente" (a past day still open);
  // "" when the printer does not tell an open day from a closed one.
  std::string day;
  bool operator==(const PrinterState&) const = default;
};

class RegisterHost {
 public:
  // Takes the home (raises qdm_register::HomeBusy when another register or
  // service holds it). Devices start with Start.
  RegisterHost(DeviceOptions options, EventHub& events);
  ~RegisterHost();
  RegisterHost(const RegisterHost&) = delete;
  RegisterHost& operator=(const RegisterHost&) = delete;

  // Starts every device the options name. A device that does not start
  // leaves its reason in the status; the service runs on.
  void Start();
  void Stop();

  const DeviceOptions& options() const { return options_; }
  ServiceOperator& op() { return operator_; }
  Observer& observer() { return observer_; }
  EventHub& events() { return events_; }

  // ---- The fiscal printer ----
  // The driver is loaded and its port open (a Z reduction can be asked).
  bool printer_started() const { return printer_started_; }
  // Started and through its start-up: ready for every operation.
  bool printer_ready() const { return printer_ready_; }
  // Why it is not ready (Windows-1252); "" when it is.
  const std::string& printer_fault() const { return printer_fault_; }
  int tipo() const;
  // Asks the printer for its state (one status command) when `ask`; else
  // reads what the last command left.
  PrinterState ReadPrinterState(bool ask);
  // After a printer call: the state the call left, published when it
  // changed.
  void NotePrinterState();
  // Runs the printer's start-up again (after a Z reduction that a past
  // fiscal day held back).
  bool Initialise();
  // The till's start again (the recovery's reset); answers what it did.
  QdmVenda::StartResult Restart();
  // The sale module's till, on the register's configuration.
  QdmVenda::Till& till() { return *till_; }
  // The printer's figure of the day (cents) that a sale's coupon closed
  // raises and a coupon cancelled leaves where it was: on the Bematech
  // printers the day's amounts of every payment method, summed; on the
  // Sweda printers the day's gross less its cancellations and discounts;
  // on the Daruma printers the day's sales. Empty when not read.
  std::optional<long long> DayFigure();
  // Whether the printer holds a coupon open now, asked of it; empty when
  // it does not say.
  std::optional<bool> AskCouponOpen();
  // Raises the problem that keeps a sale from the printer: not started,
  // a past fiscal day's Z reduction due.
  void RequirePrinterForSale();
  platform::TClientDataSet& payment_types() { return till_->payment_types(); }
  Json PrinterStatus(const PrinterState& state);

  // ---- The other devices ----
  bool tef_configured() const { return options_.tef; }
  // Whether the manager answers its probe (asked at most every half
  // minute: each probe is a request in the manager's journal).
  std::optional<bool> TefActive();
  bool display_configured() const { return display_configured_; }
  // What the emulated display received last, as lines (UTF-8); empty for a
  // real one.
  Json DisplayLines() const;
  // Sends the two lines; answers whether the port took them; `shown`
  // receives what the emulated display received.
  bool ShowOnDisplay(const std::string& line1, const std::string& line2);
  int display_columns() const;
  bool reader_configured() const { return reader_configured_; }
  bool check_digit_ready() const;

  Json Status();

 private:
  struct Reader;
  void StartPrinter();
  void StartDisplay();
  void StartReader();
  // DayFigure from the totals reading, on the makers that answer it in
  // fixed fields.
  std::optional<long long> TotalsFigure();

  DeviceOptions options_;
  EventHub& events_;
  ServiceOperator operator_;
  Observer observer_;
  std::unique_ptr<qdm_register::RegisterSession> session_;
  std::unique_ptr<qdm_register::TefManager> tef_;
  std::optional<bool> tef_active_;
  std::chrono::steady_clock::time_point tef_probed_;
  std::unique_ptr<QdmVenda::Till> till_;
  bool printer_started_ = false;
  bool printer_ready_ = false;
  std::string printer_fault_;
  std::optional<PrinterState> last_state_;
  std::unique_ptr<emu::PtyDevice> display_device_;
  bool display_configured_ = false;
  std::string display_received_;
  std::unique_ptr<Reader> reader_;
  bool reader_configured_ = false;
  bool stopped_ = false;
};

}  // namespace qdm_service
