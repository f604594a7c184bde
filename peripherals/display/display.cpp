#include "peripherals/display/Qdm00600.h"
#include "peripherals/display/display.h"

#include "facade/Qdm00000.h"
#include "peripherals/common/device_port.h"

namespace Qdm00600 {

int IdTipoDisp = 0;
int TAM_DISPLAY = 0;

namespace {

constexpr platform::DWORD kDisplaySpeed = 9600;

struct Width {
  int tipo;
  int columns;
};
constexpr Width kWidths[] = {{1, 16}, {2, 20}};

// The display's character set has no accents. Letters the table leaves out
// (0xC5, 0xD1, 0xDD, 0xE5, 0xF1, 0xFD among them) go as they are.
struct Fold {
  unsigned char first, last;
  char plain;
};
constexpr Fold kFolds[] = {
    {0xC0, 0xC4, 'A'}, {0xC7, 0xC7, 'C'}, {0xC8, 0xCB, 'E'}, {0xCC, 0xCF, 'I'}, {0xD2, 0xD6, 'O'}, {0xD9, 0xDC, 'U'},
    {0xE0, 0xE4, 'a'}, {0xE7, 0xE7, 'c'}, {0xE8, 0xEB, 'e'}, {0xEC, 0xEF, 'i'}, {0xF2, 0xF6, 'o'}, {0xF9, 0xFC, 'u'},
};

}  // namespace

unsigned char FoldForDisplay(unsigned char byte) {
  for (const Fold& fold : kFolds)
    if (byte >= fold.first && byte <= fold.last) return static_cast<unsigned char>(fold.plain);
  return byte;
}

bool DisplayOK() {
  for (const Width& width : kWidths)
    if (width.tipo == IdTipoDisp) TAM_DISPLAY = width.columns;
  return IdTipoDisp != 0;
}

bool DisplayChar(const std::string& texto) {
  peripherals::DevicePort port(peripherals::PortName(Qdm00000::DataModule().IdPortaDisp), kDisplaySpeed);
  return port.Ready() && port.WriteBytes(texto, FoldForDisplay);
}

}  // namespace Qdm00600
