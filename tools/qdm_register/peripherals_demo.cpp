#include "tools/qdm_register/peripherals_demo.h"

#include <chrono>

#include "emulators/readers/reader_device.h"
#include "facade/Qdm00000.h"
#include "peripherals/display/Qdm00600.h"
#include "peripherals/readers/Qdm00800.h"
#include "platform/os/application.h"
#include "platform/os/serial.h"
#include "utility/utility.h"

namespace qdm_register {
namespace {

// Ports of the facade's table the demo's devices stand on.
constexpr int kDisplayPort = 5;  // "COM5"
constexpr int kReaderPort = 6;   // "COM6"
constexpr int kSpeed9600 = 5;
constexpr int kDisplay20Columns = 2;
constexpr int kReaderWithCarriageReturn = 2;
constexpr auto kLongestScan = std::chrono::seconds(10);

}  // namespace

struct TillDevices::Devices {
  emu::PtyDevice display;
  emu::ReaderDevice reader{true};
  platform::HWND window = 0;
  std::string typing;                // keystrokes of the code being typed
  std::vector<std::string> entered;  // codes ended with Enter
  std::unique_ptr<Qdm00800::TScannerThread> scanner;
};

TillDevices::TillDevices(StepReport step) : step_(std::move(step)), devices_(std::make_unique<Devices>()) {
  Devices& d = *devices_;
  platform::MapPort(Qdm00000::Portas[kDisplayPort], d.display.slave_path());
  platform::MapPort(Qdm00000::Portas[kReaderPort], d.reader.slave_path());
  Qdm00000::DataModule().IdPortaDisp = kDisplayPort;
  Qdm00600::IdTipoDisp = kDisplay20Columns;
  Qdm00800::IdPortaOpt = kReaderPort;
  Qdm00800::IdVelocOpt = kSpeed9600;
  Qdm00800::IdTipoOpt = kReaderWithCarriageReturn;

  // The register's window: where a scanned code is typed, as at the keyboard.
  d.window = platform::RegisterWindow(
      [&d](platform::HWND, platform::UINT message, platform::WPARAM key, platform::LPARAM) -> platform::LRESULT {
        if (message == platform::WM_CHAR) d.typing += static_cast<char>(key);
        if (message == platform::WM_KEYDOWN && key == platform::VK_RETURN) {
          d.entered.push_back(d.typing);
          d.typing.clear();
        }
        return 0;
      });
  d.scanner =
      std::make_unique<Qdm00800::TScannerThread>(platform::TThreadPriority::tpNormal, static_cast<uintptr_t>(d.window));
  d.scanner->Resume();
}

TillDevices::~TillDevices() {
  Devices& d = *devices_;
  d.scanner.reset();  // terminates it and waits, within the read time-out
  platform::UnregisterWindow(d.window);
  platform::UnmapPort(Qdm00000::Portas[kDisplayPort]);
  platform::UnmapPort(Qdm00000::Portas[kReaderPort]);
  Qdm00800::StopDigVerif();
}

bool TillDevices::SignIn(const std::string& badge) {
  Qdm00800::IdCriptoCons = "1";
  Qdm00800::StartDigVerif();
  const std::string with_digit = Qdm00800::GetMatriculaDV(badge);
  Qdm00800::StopDigVerif();
  return step_("crach\xE1 do operador " + badge + " com d\xEDgito verificador: " + with_digit,
               !with_digit.empty() && with_digit.rfind(badge, 0) == 0);
}

bool TillDevices::Scan(const std::string& code) {
  Devices& d = *devices_;
  d.entered.clear();
  bool sent = d.reader.Present(code);
  const auto end = std::chrono::steady_clock::now() + kLongestScan;
  while (sent && d.entered.empty() && std::chrono::steady_clock::now() < end) platform::Application().HandleMessage(50);
  const std::string typed = d.entered.empty() ? "" : d.entered.front();
  return step_("leitor \xF3ptico: c\363digo " + typed + " digitado na janela do caixa", sent && typed == code);
}

bool TillDevices::Show(const std::string& line1, const std::string& line2) {
  if (!Qdm00600::DisplayOK()) return step_("visor do cliente n\xE3o configurado", false);
  const int width = Qdm00600::TAM_DISPLAY;
  const bool sent = Qdm00600::DisplayChar(util::TamFixo(line1, width) + util::TamFixo(line2, width));
  const std::string screen = devices_->display.Receive(static_cast<std::size_t>(2 * width), 2000);
  std::string shown;
  for (std::size_t at = 0; at < screen.size(); at += static_cast<std::size_t>(width))
    shown += "\n         |" + screen.substr(at, static_cast<std::size_t>(width)) + "|";
  return step_("visor do cliente recebeu:" + shown, sent && screen.size() == static_cast<std::size_t>(2 * width));
}

}  // namespace qdm_register
