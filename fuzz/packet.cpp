// The XML data packet as other programs write it, through LoadFromFile:
// any bytes load or raise EDatabaseError, and a packet that loads saves and
// loads again to the same layout and rows.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/base/errors.h"
#include "platform/dataset/dataset.h"
#include "platform/os/files.h"

namespace {

bool SameLayout(const std::vector<platform::TFieldDef>& a, const std::vector<platform::TFieldDef>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].Name != b[i].Name || a[i].DataType != b[i].DataType || a[i].Size != b[i].Size ||
        a[i].SubType != b[i].SubType || a[i].Attributes != b[i].Attributes ||
        !SameLayout(a[i].Children, b[i].Children)) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = fuzzsupport::ScratchDir() + "/packet.cds";
  platform::WriteFileAtomic(path, std::string(reinterpret_cast<const char*>(data), size));
  platform::TClientDataSet ds;
  try {
    ds.LoadFromFile(path);
  } catch (const platform::EDatabaseError&) {
    return 0;
  }
  const platform::TDataPacket first = ds.GetData();
  platform::TClientDataSet again;
  again.LoadFromString(ds.SaveToString());  // raises (and stops the run) when it cannot
  const platform::TDataPacket second = again.GetData();
  if (!SameLayout(first.fields, second.fields)) fuzzsupport::Broken("a saved packet keeps its layout");
  if (first.rows != second.rows) fuzzsupport::Broken("a saved packet keeps its rows");
  // Walk it as the library does.
  for (again.First(); !again.Eof(); again.Next()) {
    for (int i = 0; i < again.FieldCount(); ++i) (void)again.Fields(i).AsString();
  }
  return 0;
}
