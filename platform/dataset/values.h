// Values of a client dataset's fields: how each field type stores a value,
// converts it on reads and writes, and orders it. Private to the dataset.
#pragma once
#include <string>

#include "platform/dataset/dataset.h"

namespace platform::dataset {

using Row = std::vector<Variant>;

// Position of a field in a layout (case-blind), -1 when absent.
int FindFieldDef(const std::vector<TFieldDef>& layout, const std::string& name);
// "A;B" as its names, blanks around each removed, empty parts skipped.
std::vector<std::string> SplitFieldList(const std::string& list);

// Capacity of a text field: its Size, 20 when none was given.
constexpr int kDefaultTextWidth = 20;
int TextCapacity(const TFieldDef& def);
// Fields that store text: strings, memos, blobs and nested rows. Only
// strings have a capacity; nested rows cannot be written by the library.
bool IsTextType(TFieldType type);
bool HasCapacity(TFieldType type);
// Smallest and largest value of an integer field type.
void IntegerRange(TFieldType type, long long& low, long long& high);

// Values as a field stores them: text for the text types; long long for
// the integer types; double for real, the decimals, dates and times; bool
// for boolean.
// Writes convert as the component library does; bad text raises
// EConvertError, a number out of the field's range EDatabaseError.
Variant StoreString(const TFieldDef& def, const std::string& value);
Variant StoreInteger(const TFieldDef& def, long long value);
Variant StoreFloat(const TFieldDef& def, double value);
Variant StoreDateTime(const TFieldDef& def, TDateTime value);
Variant StoreBoolean(const TFieldDef& def, bool value);
Variant StoreVariant(const TFieldDef& def, const Variant& value);

// Reads of a stored value; a null reads as "", 0 or false.
std::string ReadString(const TFieldDef& def, const Variant& value);
long long ReadInteger(const TFieldDef& def, const Variant& value);
double ReadFloat(const TFieldDef& def, const Variant& value);
TDateTime ReadDateTime(const TFieldDef& def, const Variant& value);
bool ReadBoolean(const TFieldDef& def, const Variant& value);

// A search value (Locate, filter literal) in the kind the field stores, not
// cut to the field's capacity. False when the value cannot be one.
bool SearchKey(const TFieldDef& def, const Variant& value, Variant& key);

// A TDateTime as whole days and milliseconds into the day, and back.
// Negative values carry the time of day as a positive fraction. Date-time
// fields keep their values to the millisecond, as the component library
// does, so a value read back from a file is the value written.
void SplitDateTime(double value, long long& days, long long& ms);
double ComposeDateTime(long long days, long long ms);

// Order of two stored values: null first, texts byte by byte, numbers by
// value. Negative, zero or positive.
int CompareValues(const Variant& a, const Variant& b);

}  // namespace platform::dataset
