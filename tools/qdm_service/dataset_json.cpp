#include "tools/qdm_service/dataset_json.h"

#include "platform/base/encoding.h"
#include "platform/text/datetime.h"
#include "platform/text/format.h"

namespace qdm_service {

namespace {

using platform::TFieldType;

Json FieldJson(const platform::TField& field) {
  if (field.IsNull()) return nullptr;
  switch (field.DataType()) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftShortint:
    case TFieldType::ftByte:
    case TFieldType::ftWord:
    case TFieldType::ftLongWord:
    case TFieldType::ftLargeint:
      return field.AsInteger();
    case TFieldType::ftFloat:
    case TFieldType::ftBCD:
    case TFieldType::ftFMTBcd:
      // As a decimal string: the figure the dataset holds, no binary tail.
      return platform::DecimalText(field.AsFloat());
    case TFieldType::ftBoolean:
      return field.AsBoolean();
    case TFieldType::ftDate:
      return platform::FormatDateTime("yyyy-mm-dd", field.AsDateTime());
    case TFieldType::ftTime:
      return platform::FormatDateTime("hh:nn:ss", field.AsDateTime());
    case TFieldType::ftDateTime:
    case TFieldType::ftTimeStamp:
      return platform::FormatDateTime("yyyy-mm-dd", field.AsDateTime()) + "T" +
             platform::FormatDateTime("hh:nn:ss", field.AsDateTime());
    default:
      return platform::Cp1252ToUtf8(field.AsString());
  }
}

}  // namespace

Json DatasetJson(platform::TClientDataSet& dataset) {
  Json records = Json::array();
  if (!dataset.Active()) return records;
  dataset.First();
  while (!dataset.Eof()) {
    Json record = Json::object();
    for (int i = 0; i < dataset.FieldCount(); ++i) {
      const platform::TField& field = dataset.Fields(i);
      record[platform::Cp1252ToUtf8(field.FieldName())] = FieldJson(field);
    }
    records.push_back(std::move(record));
    dataset.Next();
  }
  return records;
}

}  // namespace qdm_service
