// TClientDataSet: the in-memory table that holds every table of the fiscal
// layer and the tables a front end passes in. Files are the client
// dataset's XML data packet (DATAPACKET version 2.0), read in its single-byte
// form (extended characters escaped) and its UTF-8 form; written in the
// single-byte form, beside the target and renamed into place.
#pragma once
#include <memory>
#include <utility>
#include <string>
#include <variant>
#include <vector>

#include "platform/base/clock.h"
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace platform {

enum class TFieldType {
  ftUnknown,
  ftString,    // fixed capacity text ("string" WIDTH=n); writes are cut to Size
  ftSmallint,  // "i2"
  ftInteger,   // "i4"
  ftFloat,     // "r8"
  ftBCD,       // "fixed": exact decimal, kept as a double here
  ftDate,      // "date": whole days
  ftDateTime,  // "dateTime"
  ftBoolean,   // "boolean"
  // Types other programs write into their packets. The library reads,
  // keeps and writes them back; its own tables do not use them.
  ftShortint,    // "i1"
  ftByte,        // "ui1"
  ftWord,        // "ui2"
  ftLongWord,    // "ui4"
  ftLargeint,    // "i8"
  ftFMTBcd,      // "fixedFMT": exact decimal of up to 32 digits, kept as a double here
  ftTime,        // "time": the time of day, no date
  ftTimeStamp,   // "SQLdateTime"
  ftWideString,  // "string.uni": kept in the code page like any text
  ftMemo,        // "bin.hex" SUBTYPE="Text": text of any length
  ftBlob,        // "bin.hex" with any other SUBTYPE (Binary, Graphics, ...): bytes
  ftDataSet,     // "nested": rows of a layout of their own, kept as packet text
};

// A value as Locate and the row store hold it.
using Variant = std::variant<std::monostate, std::string, long long, double, bool>;

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

struct TFieldDef {
  TFieldDef() = default;
  TFieldDef(std::string name, TFieldType type, int size = 0) : Name(std::move(name)), DataType(type), Size(size) {}

  std::string Name;
  TFieldType DataType = TFieldType::ftString;
  // Capacity of a text field (20 when 0; a packet's text field without a
  // WIDTH loads with 20 or its longest value's length, whichever is more);
  // decimals of an exact decimal.
  int Size = 0;
  // What a packet brought that the library only keeps, so a file written
  // back says what it said: the digits of an exact decimal (0: the widest),
  // the subtype of a blob, the layout of a nested field's rows and their
  // settings (the nested PARAMS), and the FIELD attributes it does not
  // read ("required", display hints, ...).
  int Precision = 0;
  std::string SubType;
  std::vector<TFieldDef> Children;
  std::vector<std::pair<std::string, std::string>> Params;
  std::vector<std::pair<std::string, std::string>> Attributes;
};

struct TIndexDef {
  std::string Name;
  std::string Fields;      // "A;B"
  std::string DescFields;  // the subset of Fields sorted descending, "B"
};

// The whole content of a dataset: layout, indexes and records.
struct TDataPacket {
  std::vector<TFieldDef> fields;
  std::vector<TIndexDef> indexes;
  std::vector<std::vector<Variant>> rows;
};

class TClientDataSet;

// A field of an active dataset. Reads and writes go to the current record
// (the edit buffer while editing or inserting). Conversions follow the
// component library: a text read as a number must be one (EConvertError);
// a number read as text uses the format settings' decimal separator; a
// date-time read as text is DateTimeToStr; a null reads as "", 0 or false.
// Writing needs the dataset in edit or insert state (EDatabaseError).
class TField {
 public:
  const std::string& FieldName() const { return def_.Name; }
  TFieldType DataType() const { return def_.DataType; }
  int Size() const { return def_.Size; }
  int Index() const { return index_; }

  bool IsNull() const;
  std::string AsString() const;
  int AsInteger() const;
  double AsFloat() const;
  TDateTime AsDateTime() const;
  bool AsBoolean() const;
  Variant Value() const;

  void SetAsString(const std::string& value);
  void SetAsInteger(int value);
  void SetAsFloat(double value);
  void SetAsDateTime(TDateTime value);
  void SetAsBoolean(bool value);
  void SetValue(const Variant& value);
  void Clear();

  // Display attributes for the front end's grids.
  std::string DisplayLabel;   // defaults to the field name
  std::string DisplayFormat;  // FormatFloat pattern for numbers
  bool Visible = true;

 private:
  friend class TClientDataSet;
  TField(TClientDataSet* owner, TFieldDef def, int index);
  TClientDataSet* owner_;
  TFieldDef def_;
  int index_;
};

class TClientDataSet {
 public:
  explicit TClientDataSet(std::string name = "");
  ~TClientDataSet();
  TClientDataSet(const TClientDataSet&) = delete;
  TClientDataSet& operator=(const TClientDataSet&) = delete;

  std::string Name;

  // Layout, declared before CreateDataSet (or brought by a loaded file).
  std::vector<TFieldDef> FieldDefs;
  std::vector<TIndexDef> IndexDefs;
  void AddFieldDef(const std::string& name, TFieldType type, int size = 0);
  void AddIndexDef(const std::string& name, const std::string& fields, const std::string& desc_fields = "");

  // Empty table with FieldDefs, active, in browse state.
  void CreateDataSet();
  // With FileName set, Open loads that file; Close then writes the records
  // back to it when they were changed. Open without a file name and
  // without FieldDefs raises EDatabaseError.
  void Open();
  // Discards the loaded records (and the edit buffer).
  void Close();
  bool Active() const;
  void SetActive(bool active);
  std::string FileName;

  // Replace layout and records with a file's; the dataset ends active, on
  // its first record. Malformed or unreadable files raise EDatabaseError
  // (or EInOutError) and leave the dataset closed.
  void LoadFromFile(const std::string& path);
  // Writes the active dataset to path (FileName when empty).
  void SaveToFile(const std::string& path = "") const;
  std::string SaveToString() const;
  void LoadFromString(const std::string& xml);

  // Navigation, in the order of the current index and through the filter.
  void First();
  void Last();
  void Next();
  void Prior();
  bool Eof() const;
  bool Bof() const;
  bool IsEmpty() const;
  int RecordCount() const;  // records visible through the filter
  int RecNo() const;        // 1-based position, 0 when empty

  // Editing. Insert and Append start an empty record; Post stores it (or
  // the edited one) and leaves the cursor on it; Cancel drops the buffer;
  // Delete removes the current record. Navigating posts a pending edit.
  void Insert();
  void Append();
  void Edit();
  void Post();
  void Cancel();
  void Delete();
  void EmptyDataSet();
  TDataSetState State() const;

  // Raises EDatabaseError "Field 'NAME' not found" (case-blind lookup).
  TField& FieldByName(const std::string& name);
  TField* FindField(const std::string& name);
  int FieldCount() const;
  TField& Fields(int index);

  // Exact match on every listed field ("A;B"); true and the cursor on the
  // first match in the current order, else false and the cursor unmoved.
  bool Locate(const std::string& key_fields, const std::vector<Variant>& values);

  // Records are visited in that index's order; "" is insertion order.
  void SetIndexName(const std::string& name);
  const std::string& IndexName() const;
  // "FIELD = 'text'", "FIELD >= 5", joined by and / or, with parentheses;
  // operators = <> < > <= >=. A malformed filter raises EDatabaseError when
  // filtering is switched on or the filter set while on.
  void SetFilter(const std::string& filter);
  const std::string& Filter() const;
  void SetFiltered(bool filtered);
  bool Filtered() const;

  // The whole content; SetData replaces layout and records and activates.
  TDataPacket GetData() const;
  void SetData(const TDataPacket& data);

 private:
  friend class TField;
  struct PKG_QDM_HIDDEN Impl;  // internals: not exported with the class
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform

PKG_QDM_PUBLIC_END
