// Record format, field reading and voucher-store blocks.
#include "tef/intpos_record.h"

#include "facade/Qdm00000.h"
#include "platform/os/files.h"
#include "platform/base/sysutils.h"
#include "tef/Qdm00500.h"

namespace Qdm00500::detail {

using platform::TStringList;

TStringList LoadRecord(const std::string& file) {
  TStringList record;
  record.SetText(platform::ReadFileBounded(file, kIntPosFileLimit));
  return record;
}

std::string TefFile(const std::string& relative) { return DirTef + relative; }

std::string FieldLine(const std::string& code, const std::string& value) { return code + " = " + value; }

std::string FieldValue(const TStringList& record, const std::string& code) {
  const int index = record.IndexOfName(code + " ");
  if (index < 0) return "";
  const std::string& line = record[index];
  return platform::Trim(line.substr(line.find('=') + 1));
}

void WriteRequest(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  text += std::string(kEndOfRecord) + "\r\n";
  platform::WriteFileAtomic(platform::HostPath(TefFile(kRequestFile)), text);
}

TStringList ExtractBlock(const TStringList& store, int k) {
  TStringList block;
  const std::string header = platform::IntToStr(k);
  const std::string next = platform::IntToStr(static_cast<long long>(k) + 1);
  int i = 0;
  while (i < store.Count() && store[i] != header) ++i;
  for (++i; i < store.Count() && store[i] != next; ++i) block.Add(store[i]);
  return block;
}

int VoucherLineCount(const TStringList& answer) {
  int count = 0;
  if (!platform::TryStrToInt(FieldValue(answer, "028-000"), count) || count < 0) return 0;
  return count;
}

std::string VoucherLine(const TStringList& answer, int i) {
  const std::string value = FieldValue(answer, "029-" + Qdm00000::AjustaZero(platform::IntToStr(i), 3));
  // The manager quotes every line; a value of one character is only a quote.
  if (value.size() < 2) return "";
  return value.substr(1, value.size() - 2);
}

}  // namespace Qdm00500::detail
