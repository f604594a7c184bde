// A TEF answer file as the library reads it: the record's fields, the
// voucher lines, the blocks of a voucher store holding it, and the
// transaction it names. Any bytes must be read without a fault (a file
// above the bound of a record is refused as the library refuses it).
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/base/errors.h"
#include "platform/dataset/stringlist.h"
#include "tef/intpos_record.h"
#include "tef/ledger.h"

using namespace Qdm00500::detail;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = fuzzsupport::ScratchDir() + "/intpos.001";
  fuzzsupport::WriteScratchFile(path, std::string(reinterpret_cast<const char*>(data), size));
  platform::TStringList answer;
  try {
    answer = LoadRecord(path);
  } catch (const platform::EInOutError&) {
    return 0;
  }
  for (const char* code : {"000-000", "001-000", "002-000", "003-000", "010-000", "012-000", "022-000", "023-000",
                           "027-000", "028-000", "030-000", "999-999"}) {
    (void)FieldValue(answer, code);
  }
  const int lines = VoucherLineCount(answer);
  if (lines < 0) fuzzsupport::Broken("a voucher has no negative line count");
  for (int i = 1; i <= lines && i <= 1000; ++i) (void)VoucherLine(answer, i);
  (void)KeyOf(answer);
  // The same answer as block 1 of a voucher store, between other blocks.
  platform::TStringList store;
  store.Add("1");
  store.AddStrings(answer);
  store.Add("2");
  for (int k = 0; k <= 3; ++k) {
    const platform::TStringList block = ExtractBlock(store, k);
    if (block.Count() > store.Count()) fuzzsupport::Broken("a block lies inside its store");
  }
  return 0;
}
