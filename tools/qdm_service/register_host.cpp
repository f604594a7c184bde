#include "tools/qdm_service/register_host.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <cstdlib>

#include "drivers/bematech/Qdm00100.h"
#include "drivers/daruma/driver.h"
#include "drivers/sweda/Qdm00200.h"
#include "drivers/sweda/protocol.h"
#include "emulators/readers/pty_device.h"
#include "facade/Qdm00000.h"
#include "package/Pkg_Qdm_version.h"
#include "peripherals/display/Qdm00600.h"
#include "peripherals/readers/Qdm00800.h"
#include "platform/base/encoding.h"
#include "platform/base/sysutils.h"
#include "platform/os/application.h"
#include "platform/os/files.h"
#include "platform/os/serial.h"
#include "platform/text/datetime.h"
#include "tef/Qdm00500.h"
#include "tools/qdm_register/card_payment.h"
#include "tools/qdm_register/config_writer.h"
#include "tools/qdm_register/daruma_steps.h"
#include "tools/qdm_register/register_session.h"
#include "tools/qdm_register/till_steps.h"
#include "utility/utility.h"

namespace qdm_service {

namespace {

using Qdm00000::IsBematech;
using Qdm00000::IsDaruma;
using Qdm00000::IsSweda;

// The ports of the facade's table the service's devices stand on when they
// are given by a device path (or emulated): the path is mapped to the name.
constexpr int kDisplayPort = 5;  // "COM5"
constexpr int kReaderPort = 6;   // "COM6"
constexpr int kSpeed9600 = 5;
constexpr int kDisplay20Columns = 2;
constexpr int kReaderWithCarriageReturn = 2;
constexpr int kDisplayEchoMs = 1000;
constexpr auto kTefProbeKept = std::chrono::seconds(30);

// Bematech status byte ST1, as the driver judges it.
constexpr int kPaperOut = 128;
constexpr int kLittlePaper = 64;
constexpr int kCouponOpen = 2;

// The printer each type code names, for the status.
struct PrinterModel {
  int tipo;
  const char* fabricante;
  const char* modelo;
};
constexpr PrinterModel kModels[] = {
    {1, "Bematech", "MP-20 FI II"}, {2, "Bematech", "MP-20 FI II"},        {9, "Bematech", "MP-20 FI II restaurante"},
    {3, "Sweda", "Sweda tipo 3"},   {4, "Sweda", "Sweda tipo 4 (cheque)"}, {5, "Sweda", "Sweda tipo 5"},
    {6, "Sweda", "Sweda tipo 6"},   {7, "Daruma", "FS345 tipo 7"},         {8, "Daruma", "FS345 tipo 8"},
};

// "COM1".."COM12" is that port of the facade's table; anything else is a
// device path, mapped to `fallback`.
int PortIndex(const std::string& given, int fallback) {
  for (int i = 1; i <= 12; ++i)
    if (given == Qdm00000::Portas[static_cast<std::size_t>(i)]) return i;
  platform::MapPort(Qdm00000::Portas[static_cast<std::size_t>(fallback)], given);
  return fallback;
}

std::string Iso(platform::TDateTime day) { return platform::FormatDateTime("yyyy-mm-dd", day); }

// The start-up's rule: a fiscal day before today is past at 02:00; one
// before yesterday always.
bool ZDue(platform::TDateTime movement) {
  const platform::TDateTime now = platform::clock::Now();
  const double today = std::floor(now);
  int hour = 0, minute = 0, second = 0, ms = 0;
  platform::DecodeTime(now, hour, minute, second, ms);
  return (today > std::floor(movement) && hour >= 2) || today - 1 > std::floor(movement);
}

// The Bematech printer's fiscal day (variable 27, DDMMYY): empty while no
// day is open, after a Z reduction and before the next document.
std::optional<platform::TDateTime> BematechOpenDay(bool& answered) {
  answered = false;
  if (!Qdm00100::EnviaComando_Bematech("35", {"27"}, false, false)) return std::nullopt;
  answered = true;
  const std::string text = Qdm00000::RetornoImpFiscal("35", true);
  if (text.size() < 6 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  int year = 0, month = 0, day = 0;
  platform::DecodeDate(platform::Date(), year, month, day);
  platform::TDateTime date = 0;
  if (!platform::TryEncodeDate(year / 100 * 100 + std::stoi(text.substr(4, 2)), std::stoi(text.substr(2, 2)),
                               std::stoi(text.substr(0, 2)), date))
    return std::nullopt;
  return date;
}

// The Sweda printer's state ("28"); empty when it did not answer.
std::string SwedaState() {
  Qdm00200::EnviaComando_Sweda("28", {}, false, true);
  std::string answer = Qdm00200::RetornoImpFiscal_Sweda("", true);
  return answer.rfind(".+", 0) == 0 ? answer : std::string();
}

// In the state, the character at 21 is "F" while a fiscal day is open (a Z
// reduction is then possible), "A" once the Z reduction closed it.
std::string SwedaDayFlag(const std::string& state) { return state.size() < 21 ? std::string() : state.substr(20, 1); }

// Whether the printer holds a fiscal coupon open, from the Sweda state;
// nothing when the printer gave none.
std::optional<bool> SwedaCouponOpen(const std::string& state) {
  if (state.empty()) return std::nullopt;
  return Qdm00200::detail::CouponLeftOpen(state);
}

// The same asked of the Daruma printer (its open-document query).
std::optional<bool> DarumaCouponOpen() {
  const std::optional<Qdm00300::detail::Document> open = Qdm00300::detail::AskOpenDocument();
  if (!open) return std::nullopt;
  return *open == Qdm00300::detail::Document::Coupon;
}

// The amount in `width` digits at `at` (0-based) of a printer's answer;
// empty when the answer is short or the field holds anything else.
std::optional<long long> DigitsAt(const std::string& answer, std::size_t at, std::size_t width) {
  if (answer.size() < at + width) return std::nullopt;
  const std::string digits = answer.substr(at, width);
  if (digits.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  return std::stoll(digits);
}

// The day figure of the totals reading (`Leitura_Totais`) of the makers
// that answer it in fixed fields: amounts in cents at 1-based positions,
// added or taken, that a closed coupon raises and a cancelled one leaves
// where it was.
struct DayField {
  std::size_t at = 0, width = 0;
  int sign = 1;
};
struct DayReading {
  bool (*maker)(int);
  const char* begins;  // what an answer carrying the totals begins with
  std::array<DayField, 3> fields;
};
constexpr DayReading kDayReadings[] = {
    // Sweda "27": the day's gross (36-49) grows with each item sold, the
    // day's cancellations (50-63) and discounts (64-77) take back what a
    // cancelled coupon or item and a discount did not sell.
    {IsSweda, ".+C", {{{36, 14, 1}, {50, 14, -1}, {64, 14, -1}}}},
    // Daruma 0xF0: after the grand total (3-20), the day's sales (21-34),
    // raised at a coupon's closing, lowered by its cancellation.
    {IsDaruma, ":0", {{{21, 14, 1}}}},
};

// The emulated Sweda printers keep their memory and tape in the home, as
// the register program's do (the Bematech printer's are set by the
// session, the Daruma printer's by the shop's till setup).
void PointEmulatedSweda(const qdm_register::RegisterSession& session, int tipo) {
  if (!IsSweda(tipo)) return;
  setenv("SERSWEDA_STATE", session.file("sersweda" + std::to_string(tipo) + ".state").c_str(), 1);
  setenv("SERSWEDA_TAPE", session.file("tape.txt").c_str(), 1);
  setenv("SERSWEDA_MODEL", std::to_string(tipo).c_str(), 1);
}

}  // namespace

struct RegisterHost::Reader {
  platform::HWND window = 0;
  std::string typing;
  std::unique_ptr<Qdm00800::TScannerThread> scanner;
};

RegisterHost::RegisterHost(DeviceOptions options, EventHub& events)
    : options_(std::move(options)), events_(events), observer_(operator_, [] { return Qdm00000::DebugLogPath(); }) {
  session_ = std::make_unique<qdm_register::RegisterSession>(options_.home);
  options_.home = session_->directory();
  // The printer writes its reports (the Z reduction's "mp20fi.ret") where
  // the register runs.
  if (::chdir(options_.home.c_str()) != 0)
    throw std::runtime_error("N\xE3o foi poss\xEDvel entrar na pasta do caixa: " + options_.home);
}

RegisterHost::~RegisterHost() { Stop(); }

int RegisterHost::tipo() const { return Qdm00000::IdTipoImpFis; }

void RegisterHost::Start() {
  // A card request the manager never took, left by a power failure: its
  // sale is over (the sale desk reconciles it), and a manager that served
  // it now would leave an approval nobody settles.
  const std::string left_request = platform::HostPath("c:\\tef_dial\\req\\intpos.001");
  if (platform::FileExists(left_request)) platform::DeleteFile(left_request);
  if (options_.tef) {
    const std::string program = session_->program_directory() + "tef_manager";
    if (platform::FileExists(program))
      tef_ = std::make_unique<qdm_register::TefManager>(program, platform::HostPath("c:\\tef_dial"));
  }
  // The till's start cancels a coupon left open; the card answers left
  // and the sales a power failure cut are settled by the sale desk.
  StartPrinter();
  StartDisplay();
  StartReader();
  if (options_.digito) {
    Qdm00800::IdCriptoCons = "1";
    Qdm00800::StartDigVerif();
  }
  last_state_ = ReadPrinterState(printer_started_);
}

void RegisterHost::StartPrinter() {
  const std::string config = qdm_register::EcfConfigPath(options_.home, options_.caixa);
  if (!platform::FileExists(config)) {
    qdm_register::EcfConfig c;
    c.caixa = options_.caixa;
    c.tipo = options_.tipo;
    qdm_register::WriteEcfConfig(config, c);
  }
  // The register program's till: the same payment types, the same
  // emulated devices; no X reading offered (nobody answers at the
  // service), and a manager that ended is noticed at once.
  QdmVenda::Setup setup = qdm_register::ShopSetup({}, *session_, options_.caixa);
  setup.offer_x_reading = false;
  const auto prepare = setup.before_printer_start;
  setup.before_printer_start = [this, prepare](int tipo) {
    if (prepare) prepare(tipo);
    PointEmulatedSweda(*session_, tipo);
  };
  setup.manager_alive = [this] { return !tef_ || tef_->Alive(); };
  till_ = std::make_unique<QdmVenda::Till>(std::move(setup));
  Initialise();
}

bool RegisterHost::Initialise() {
  Observation seen;
  observer_.Run(
      [this] {
        Restart();
        return printer_ready_;
      },
      seen);
  return printer_ready_;
}

QdmVenda::StartResult RegisterHost::Restart() {
  QdmVenda::StartResult started = till_->Start();
  printer_started_ = till_->started();
  printer_ready_ = started.ok;
  // The operator's last words say why (a past fiscal day's Z reduction)
  // better than the step that failed.
  printer_fault_ = started.ok ? std::string()
                              : "Impressora n\xE3o iniciada: " +
                                    (started.messages.empty() ? started.failure : started.messages.back());
  return started;
}

std::optional<long long> RegisterHost::DayFigure() {
  if (!printer_started_) return std::nullopt;
  if (!IsBematech(tipo())) return TotalsFigure();
  // Variable 32: a slot of 56 bytes per method, its name (16), the day's
  // amount (20 digits) and the coupon's (20).
  constexpr std::size_t kSlot = 56, kName = 16, kDigits = 20;
  Observation seen;
  std::string slots;
  const bool read = observer_.Run(
      [&] {
        if (!Qdm00100::EnviaComando_Bematech("35", {"32"}, false, false)) return false;
        slots = Qdm00000::RetornoImpFiscal("35", true);
        return true;
      },
      seen);
  if (!read || slots.size() < kName + kDigits) return std::nullopt;
  long long sum = 0;
  for (std::size_t at = 0; at + kName + kDigits <= slots.size(); at += kSlot) {
    const std::optional<long long> amount = DigitsAt(slots, at + kName, kDigits);
    if (!amount) return std::nullopt;
    sum += *amount;
  }
  return sum;
}

std::optional<long long> RegisterHost::TotalsFigure() {
  const DayReading* reading = nullptr;
  for (const DayReading& r : kDayReadings)
    if (r.maker(tipo())) reading = &r;
  if (!reading) return std::nullopt;
  Observation seen;
  std::string answer;
  const bool read = observer_.Run(
      [&] {
        if (!Qdm00000::Leitura_Totais(false, true)) return false;
        answer = Qdm00000::RetornoImpFiscal("", true);
        return true;
      },
      seen);
  if (!read || answer.rfind(reading->begins, 0) != 0) return std::nullopt;
  long long figure = 0;
  for (const DayField& field : reading->fields) {
    if (field.width == 0) continue;
    const std::optional<long long> amount = DigitsAt(answer, field.at - 1, field.width);
    if (!amount) return std::nullopt;
    figure += field.sign * *amount;
  }
  return figure;
}

std::optional<bool> RegisterHost::AskCouponOpen() {
  if (!printer_started_) return std::nullopt;
  const int tipo = Qdm00000::IdTipoImpFis;
  if (IsSweda(tipo)) return SwedaCouponOpen(SwedaState());
  if (IsDaruma(tipo)) return DarumaCouponOpen();
  return ReadPrinterState(true).coupon_open;
}

void RegisterHost::RequirePrinterForSale() {
  if (printer_ready_) return;
  if (printer_started_ && ReadPrinterState(true).z_due)
    Fail("reducao_z_pendente", "O dia fiscal anterior n\xE3o foi encerrado: fa\347a a redu\xE7\xE3o Z");
  Fail("dispositivo_ausente", printer_fault_.empty() ? std::string("Impressora n\xE3o iniciada") : printer_fault_);
}

void RegisterHost::StartDisplay() {
  if (options_.visor == "nenhum") return;
  int port = kDisplayPort;
  if (options_.visor == "emulado") {
    display_device_ = std::make_unique<emu::PtyDevice>();
    platform::MapPort(Qdm00000::Portas[kDisplayPort], display_device_->slave_path());
  } else {
    port = PortIndex(options_.visor, kDisplayPort);
  }
  Qdm00000::DataModule().IdPortaDisp = port;
  Qdm00600::IdTipoDisp = kDisplay20Columns;
  display_configured_ = Qdm00600::DisplayOK();
}

void RegisterHost::StartReader() {
  if (options_.leitor == "nenhum") return;
  Qdm00800::IdPortaOpt = PortIndex(options_.leitor, kReaderPort);
  Qdm00800::IdVelocOpt = kSpeed9600;
  Qdm00800::IdTipoOpt = kReaderWithCarriageReturn;
  reader_ = std::make_unique<Reader>();
  Reader& r = *reader_;
  // The register's window, where the reader thread types each reading as
  // keystrokes and an Enter: each reading becomes an event.
  r.window = platform::RegisterWindow(
      [this, &r](platform::HWND, platform::UINT message, platform::WPARAM key, platform::LPARAM) -> platform::LRESULT {
        if (message == platform::WM_CHAR) r.typing += static_cast<char>(key);
        if (message == platform::WM_KEYDOWN && key == platform::VK_RETURN) {
          events_.Publish("leitura", {{"leitor", "codigo_barras"}, {"valor", platform::Cp1252ToUtf8(r.typing)}});
          r.typing.clear();
        }
        return 0;
      });
  r.scanner =
      std::make_unique<Qdm00800::TScannerThread>(platform::TThreadPriority::tpNormal, static_cast<uintptr_t>(r.window));
  r.scanner->Resume();
  reader_configured_ = true;
}

void RegisterHost::Stop() {
  if (stopped_) return;
  stopped_ = true;
  if (reader_) {
    reader_->scanner.reset();  // ends within one read time-out
    platform::UnregisterWindow(reader_->window);
    reader_.reset();
  }
  if (options_.digito) Qdm00800::StopDigVerif();
  if (till_) till_->Stop();
  printer_started_ = printer_ready_ = false;
  if (tef_) tef_->Stop();
  tef_.reset();
  for (int port : {kDisplayPort, kReaderPort}) platform::UnmapPort(Qdm00000::Portas[static_cast<std::size_t>(port)]);
  display_device_.reset();
}

PrinterState RegisterHost::ReadPrinterState(bool ask) {
  PrinterState state;
  state.ready = printer_ready_;
  if (!printer_started_) return state;
  const int tipo = Qdm00000::IdTipoImpFis;
  if (ask) {
    Qdm00000::Estado_Impressora(false, false);
    // A day closed keeps the date the service saw open, if it saw it.
    const std::string seen_open = last_state_ ? last_state_->movement_date : std::string();
    bool closed = false;
    platform::TDateTime movement = Qdm00000::dtDate;
    if (IsBematech(tipo)) {
      bool answered = false;
      const std::optional<platform::TDateTime> open = BematechOpenDay(answered);
      closed = answered && !open;
      movement = open ? *open : answered ? 0 : Qdm00000::DataMoviFiscal();
    } else if (IsSweda(tipo)) {
      const std::string sweda_state = SwedaState();
      closed = SwedaDayFlag(sweda_state) == "A";
      state.coupon_open = SwedaCouponOpen(sweda_state);
    } else if (IsDaruma(tipo)) {
      state.coupon_open = DarumaCouponOpen();
    }
    if (closed) {
      state.movement_date = seen_open;
      state.day = "fechado";
    } else if (movement > 0) {
      state.movement_date = Iso(movement);
      state.z_due = ZDue(movement);
      // The FS345 answers a date whether or not its day is open.
      if (state.z_due)
        state.day = "reducao_z_pendente";
      else if (!IsDaruma(tipo))
        state.day = "aberto";
    }
  } else if (last_state_) {
    state.movement_date = last_state_->movement_date;
    state.z_due = last_state_->z_due;
    state.day = last_state_->day;
    state.coupon_open = last_state_->coupon_open;  // Bematech's is read below
  }
  if (IsBematech(tipo) && Qdm00100::BemaStatus_Mp20FI) {
    int retorno = 0, ack = 0, st1 = 0, st2 = 0;
    Qdm00100::BemaStatus_Mp20FI(&retorno, &ack, &st1, &st2);
    state.coupon_open = (st1 & kCouponOpen) != 0;
    state.paper = (st1 & kPaperOut) ? "fim" : (st1 & kLittlePaper) ? "pouco" : "ok";
  }
  return state;
}

void RegisterHost::NotePrinterState() {
  PrinterState state = ReadPrinterState(false);
  if (last_state_ && *last_state_ == state) return;
  last_state_ = state;
  events_.Publish("impressora", PrinterStatus(state));
}

Json RegisterHost::PrinterStatus(const PrinterState& state) {
  const int tipo = Qdm00000::IdTipoImpFis;
  Json printer = {{"pronta", state.ready}, {"tipo", tipo}};
  for (const PrinterModel& model : kModels) {
    if (model.tipo != tipo) continue;
    printer["fabricante"] = model.fabricante;
    printer["modelo"] = model.modelo;
  }
  if (!printer_fault_.empty()) printer["motivo"] = platform::Cp1252ToUtf8(printer_fault_);
  printer["numero"] = platform::Cp1252ToUtf8(Qdm00000::ECF);
  printer["serie"] = platform::Cp1252ToUtf8(Qdm00000::SerieECF);
  printer["diaFiscal"] = {
      {"data", state.movement_date.empty() ? Json(nullptr) : Json(state.movement_date)},
      {"reducaoZPendente", state.z_due},
      {"estado", state.day.empty() ? Json(nullptr) : Json(state.day)},
  };
  printer["cupomAberto"] = state.coupon_open ? Json(*state.coupon_open) : Json(nullptr);
  printer["papel"] = state.paper ? Json(*state.paper) : Json(nullptr);
  return printer;
}

std::optional<bool> RegisterHost::TefActive() {
  if (!options_.tef) return std::nullopt;
  const auto now = std::chrono::steady_clock::now();
  if (tef_active_ && now - tef_probed_ < kTefProbeKept) return tef_active_;
  Observation seen;
  tef_active_ = observer_.Run(
      [] {
        Qdm00500::DirTefPorRede("");
        return Qdm00500::CheckGPAtivo();
      },
      seen);
  tef_probed_ = now;
  return tef_active_;
}

int RegisterHost::display_columns() const { return Qdm00600::TAM_DISPLAY; }

bool RegisterHost::ShowOnDisplay(const std::string& line1, const std::string& line2) {
  const int width = Qdm00600::TAM_DISPLAY;
  const bool sent = Qdm00600::DisplayChar(util::TamFixo(line1, width) + util::TamFixo(line2, width));
  if (display_device_)
    display_received_ = display_device_->Receive(static_cast<std::size_t>(2 * width), kDisplayEchoMs);
  return sent;
}

Json RegisterHost::DisplayLines() const {
  Json lines = Json::array();
  const std::size_t width = static_cast<std::size_t>(std::max(1, Qdm00600::TAM_DISPLAY));
  for (std::size_t at = 0; at < display_received_.size(); at += width)
    lines.push_back(platform::Cp1252ToUtf8(display_received_.substr(at, width)));
  return lines;
}

bool RegisterHost::check_digit_ready() const { return options_.digito && Qdm00800::DigVerifOK; }

Json RegisterHost::Status() {
  const PrinterState state = ReadPrinterState(printer_started_);
  if (!last_state_ || !(*last_state_ == state)) {
    last_state_ = state;
    events_.Publish("impressora", PrinterStatus(state));
  }
  Json status = {
      {"caixa", platform::Cp1252ToUtf8(options_.caixa)},
      {"versao", Pkg_Qdm_Version()},
      {"impressora", PrinterStatus(state)},
  };
  const std::optional<bool> tef = TefActive();
  status["tef"] = {{"configurado", options_.tef}, {"ativo", tef ? Json(*tef) : Json(nullptr)}};
  status["visor"] = {{"configurado", display_configured_},
                     {"porta", options_.visor},
                     {"colunas", display_configured_ ? Json(display_columns()) : Json(nullptr)},
                     {"texto", DisplayLines()}};
  status["leitor"] = {{"configurado", reader_configured_}, {"porta", options_.leitor}};
  status["digitoVerificador"] = {{"configurado", options_.digito}, {"pronto", check_digit_ready()}};
  return status;
}

}  // namespace qdm_service
