// The TEF ledger file: any bytes load (damaged lines are dropped), and
// what loaded saves and loads again to the same entries.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/os/files.h"
#include "tef/ledger.h"

using namespace Qdm00500::detail;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string root = fuzzsupport::ScratchDir() + "/";
  platform::WriteFileAtomic(LedgerFile(root), std::string(reinterpret_cast<const char*>(data), size));
  Ledger first = Ledger::Load(root);
  for (const LedgerEntry& entry : first.Entries()) (void)first.Find(entry.key);
  first.Save();
  const Ledger second = Ledger::Load(root);
  if (second.Entries().size() != first.Entries().size()) {
    fuzzsupport::Broken("a saved ledger keeps its entries");
  }
  for (std::size_t i = 0; i < first.Entries().size(); ++i) {
    const LedgerEntry& a = first.Entries()[i];
    const LedgerEntry& b = second.Entries()[i];
    if (!(a.key == b.key) || a.decision != b.decision || a.acknowledged != b.acknowledged) {
      fuzzsupport::Broken("a saved ledger keeps each entry");
    }
  }
  return 0;
}
