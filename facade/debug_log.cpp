// The debug log: every printer command and answer, one line per call,
// beside the host executable. Always on; opened and closed per line.
#include "facade/Qdm00000.h"
#include "platform/text/datetime.h"
#include "platform/os/files.h"

namespace Qdm00000 {

std::string DebugLogPath() { return platform::ExtractFilePath(platform::GetModuleFileNameA()) + "impdebug.txt"; }

void ImpFisDebug(const std::string& mensagem) {
  platform::AppendLine(DebugLogPath(), platform::DateTimeToStr(platform::Now()) + " - " + mensagem);
}

}  // namespace Qdm00000
