// The TEF ledger file: any bytes load (damaged lines are dropped), and a
// save keeps every entry loaded, in the ledger or, for the settled history
// it moves, in the month's archive; what it kept loads again the same.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/dataset/stringlist.h"
#include "platform/os/files.h"
#include "tef/ledger.h"

using namespace Qdm00500::detail;

namespace {

int ArchivedLines(const std::string& root) {
  int lines = 0;
  for (const std::string& name : LedgerArchives(root)) {
    platform::TStringList archive;
    archive.SetText(platform::ReadFileBytes(root + name));
    lines += archive.Count();
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string root = fuzzsupport::ScratchDir() + "/";
  for (const std::string& name : LedgerArchives(root)) std::filesystem::remove(root + name);
  fuzzsupport::WriteScratchFile(LedgerFile(root), std::string(reinterpret_cast<const char*>(data), size));
  Ledger first = Ledger::Load(root);
  for (const LedgerEntry& entry : first.Entries()) (void)first.Find(entry.key);
  const std::size_t loaded = first.Entries().size();
  first.Save();
  if (first.Entries().size() + static_cast<std::size_t>(ArchivedLines(root)) != loaded) {
    fuzzsupport::Broken("a save keeps every entry, in the ledger or the archive");
  }
  const Ledger second = Ledger::Load(root);
  if (second.Entries().size() != first.Entries().size()) {
    fuzzsupport::Broken("a saved ledger keeps its entries");
  }
  for (std::size_t i = 0; i < first.Entries().size(); ++i) {
    const LedgerEntry& a = first.Entries()[i];
    const LedgerEntry& b = second.Entries()[i];
    if (!(a.key == b.key) || a.decision != b.decision || a.acknowledged != b.acknowledged ||
        a.settled_at != b.settled_at) {
      fuzzsupport::Broken("a saved ledger keeps each entry");
    }
  }
  return 0;
}
