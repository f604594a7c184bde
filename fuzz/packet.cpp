// The XML data packet as other programs write it, through LoadFromFile:
// any bytes load or raise EDatabaseError, and a packet that loads saves and
// loads again to the same layout, indexes, settings and rows; saved once
// more, it gives the same text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/base/errors.h"
#include "platform/dataset/dataset.h"
#include "platform/dataset/xml.h"

namespace {

bool SameLayout(const std::vector<platform::TFieldDef>& a, const std::vector<platform::TFieldDef>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].Name != b[i].Name || a[i].DataType != b[i].DataType || a[i].Size != b[i].Size ||
        a[i].Precision != b[i].Precision || a[i].SubType != b[i].SubType || a[i].Attributes != b[i].Attributes ||
        a[i].Params != b[i].Params || !SameLayout(a[i].Children, b[i].Children)) {
      return false;
    }
  }
  return true;
}

bool SameIndexes(const std::vector<platform::TIndexDef>& a, const std::vector<platform::TIndexDef>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].Name != b[i].Name || a[i].Fields != b[i].Fields || a[i].DescFields != b[i].DescFields) {
      return false;
    }
  }
  return true;
}

// The packet's other settings, as the reader keeps them.
platform::dataset::xml::PacketParams Settings(const std::string& bytes) {
  platform::dataset::xml::PacketParams params;
  (void)platform::dataset::xml::ReadPacket(bytes, "", &params);
  return params;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = fuzzsupport::ScratchDir() + "/packet.cds";
  const std::string input(reinterpret_cast<const char*>(data), size);
  fuzzsupport::WriteScratchFile(path, input);
  platform::TClientDataSet ds;
  try {
    ds.LoadFromFile(path);
  } catch (const platform::EDatabaseError&) {
    return 0;
  }
  const platform::TDataPacket first = ds.GetData();
  const std::string saved = ds.SaveToString();  // raises (and stops the run) when it cannot
  platform::TClientDataSet again;
  again.LoadFromString(saved);
  const platform::TDataPacket second = again.GetData();
  if (!SameLayout(first.fields, second.fields)) fuzzsupport::Broken("a saved packet keeps its layout");
  if (!SameIndexes(first.indexes, second.indexes)) fuzzsupport::Broken("a saved packet keeps its indexes");
  if (first.rows != second.rows) fuzzsupport::Broken("a saved packet keeps its rows");
  if (Settings(input) != Settings(saved)) fuzzsupport::Broken("a saved packet keeps its settings");
  if (again.SaveToString() != saved) fuzzsupport::Broken("a packet saved twice says the same");
  // Walk it as the library does.
  for (again.First(); !again.Eof(); again.Next()) {
    for (int i = 0; i < again.FieldCount(); ++i) (void)again.Fields(i).AsString();
  }
  return 0;
}
