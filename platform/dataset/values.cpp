#include "platform/dataset/values.h"

#include "platform/dataset/store.h"

#include <cmath>
#include <limits>

#include "platform/text/datetime.h"
#include "platform/base/errors.h"
#include "platform/text/format.h"
#include "platform/base/sysutils.h"

namespace platform::dataset {

namespace {

bool IsIntegerType(TFieldType type) {
  switch (type) {
    case TFieldType::ftShortint:
    case TFieldType::ftByte:
    case TFieldType::ftSmallint:
    case TFieldType::ftWord:
    case TFieldType::ftInteger:
    case TFieldType::ftLongWord:
    case TFieldType::ftLargeint:
      return true;
    default:
      return false;
  }
}

bool IsDateType(TFieldType type) {
  return type == TFieldType::ftDate || type == TFieldType::ftDateTime || type == TFieldType::ftTime ||
         type == TFieldType::ftTimeStamp;
}

bool IsRealType(TFieldType type) {
  return type == TFieldType::ftFloat || type == TFieldType::ftBCD || type == TFieldType::ftFMTBcd;
}

// Date-time values kept to the millisecond; a time field keeps only the
// time of day.
bool IsMomentType(TFieldType type) { return type == TFieldType::ftDateTime || type == TFieldType::ftTimeStamp; }

[[noreturn]] void CannotConvert(const TFieldDef& def, const char* kind) {
  throw EConvertError("Field '" + def.Name + "' cannot be used as " + kind);
}

long long CheckRange(const TFieldDef& def, long double value) {
  long long low = 0, high = 0;
  IntegerRange(def.DataType, low, high);
  if (!(value >= static_cast<long double>(low) && value <= static_cast<long double>(high))) {
    throw EDatabaseError("Value " + DecimalText(static_cast<double>(value)) + " out of range for field '" + def.Name +
                         "'");
  }
  return static_cast<long long>(value);
}

double CheckFinite(const TFieldDef& def, double value) {
  if (!std::isfinite(value)) {
    throw EDatabaseError("Invalid value for field '" + def.Name + "'");
  }
  return value;
}

// Dates from 01/01/0001 to 31/12/9999, as the component library has them.
double CheckDate(const TFieldDef& def, double value) {
  if (!(value >= -693593.0 && value < 2958466.0)) {
    throw EDatabaseError("Invalid date for field '" + def.Name + "'");
  }
  return value;
}

double ToMillisecond(double value) {
  long long days = 0, ms = 0;
  SplitDateTime(value, days, ms);
  return ComposeDateTime(days, ms);
}

// A text as a text-kind field stores it: fixed-capacity strings are cut,
// memos and blobs keep every byte, nested rows are read-only.
std::string CutToCapacity(const TFieldDef& def, std::string text) {
  if (def.DataType == TFieldType::ftDataSet) CannotConvert(def, "text");
  if (!HasCapacity(def.DataType)) return text;
  const auto capacity = static_cast<std::size_t>(TextCapacity(def));
  if (text.size() > capacity) text.resize(capacity);
  return text;
}

double TimeOfDay(double value) {
  long long days = 0, ms = 0;
  SplitDateTime(value, days, ms);
  return ComposeDateTime(0, ms);
}

const char* BooleanText(bool value) { return value ? "True" : "False"; }

// "True"/"False" or any leading part of them, any letter case; "1"/"0".
bool ParseBoolean(const std::string& text, bool& value) {
  const std::string t = UpperCase(Trim(text));
  if (t.empty()) return false;
  if (t == "1" || std::string("TRUE").starts_with(t)) {
    value = true;
    return true;
  }
  if (t == "0" || std::string("FALSE").starts_with(t)) {
    value = false;
    return true;
  }
  return false;
}

}  // namespace

int FindFieldDef(const std::vector<TFieldDef>& layout, const std::string& name) {
  for (std::size_t i = 0; i < layout.size(); ++i) {
    if (SameText(layout[i].Name, name)) return static_cast<int>(i);
  }
  return -1;
}

std::vector<std::string> SplitFieldList(const std::string& list) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    std::string name = Trim(list.substr(start, end - start));
    if (!name.empty()) names.push_back(std::move(name));
    start = end + 1;
  }
  return names;
}

int TextCapacity(const TFieldDef& def) { return def.Size > 0 ? def.Size : kDefaultTextWidth; }

bool IsTextType(TFieldType type) {
  switch (type) {
    case TFieldType::ftString:
    case TFieldType::ftWideString:
    case TFieldType::ftMemo:
    case TFieldType::ftBlob:
    case TFieldType::ftDataSet:
      return true;
    default:
      return false;
  }
}

bool HasCapacity(TFieldType type) { return type == TFieldType::ftString || type == TFieldType::ftWideString; }

void IntegerRange(TFieldType type, long long& low, long long& high) {
  switch (type) {
    case TFieldType::ftShortint:
      low = -128, high = 127;
      break;
    case TFieldType::ftByte:
      low = 0, high = 255;
      break;
    case TFieldType::ftSmallint:
      low = -32768, high = 32767;
      break;
    case TFieldType::ftWord:
      low = 0, high = 65535;
      break;
    case TFieldType::ftLongWord:
      low = 0, high = 4294967295LL;
      break;
    case TFieldType::ftLargeint:
      low = std::numeric_limits<long long>::min(), high = std::numeric_limits<long long>::max();
      break;
    default:
      low = std::numeric_limits<int>::min(), high = std::numeric_limits<int>::max();
  }
}

Variant StoreString(const TFieldDef& def, const std::string& value) {
  const TFieldType type = def.DataType;
  if (IsTextType(type)) return CutToCapacity(def, value);
  // An empty text clears a field that is not text.
  if (value.empty()) return {};
  if (IsIntegerType(type)) return CheckRange(def, StrToInt64(value));
  if (IsRealType(type)) return CheckFinite(def, StrToFloat(value));
  if (IsDateType(type)) return StoreFloat(def, StrToDateTime(value));
  if (type == TFieldType::ftBoolean) {
    bool flag = false;
    if (!ParseBoolean(value, flag)) {
      throw EConvertError("'" + value + "' is not a valid boolean value");
    }
    return flag;
  }
  CannotConvert(def, "text");
}

Variant StoreInteger(const TFieldDef& def, long long value) {
  const TFieldType type = def.DataType;
  if (IsTextType(type)) return CutToCapacity(def, IntToStr(value));
  if (IsIntegerType(type)) return CheckRange(def, static_cast<long double>(value));
  if (type == TFieldType::ftBoolean) return value != 0;
  if (type == TFieldType::ftUnknown) CannotConvert(def, "an integer");
  if (IsDateType(type)) return CheckDate(def, static_cast<double>(value));
  return static_cast<double>(value);
}

Variant StoreFloat(const TFieldDef& def, double value) {
  CheckFinite(def, value);
  const TFieldType type = def.DataType;
  if (IsTextType(type)) return CutToCapacity(def, FloatToStr(value));
  // Nearest integer, ties to even, as the component library rounds.
  if (IsIntegerType(type)) return CheckRange(def, std::nearbyint(static_cast<long double>(value)));
  if (type == TFieldType::ftDate) return CheckDate(def, std::trunc(value));
  if (type == TFieldType::ftTime) return TimeOfDay(CheckDate(def, value));
  if (IsMomentType(type)) return ToMillisecond(CheckDate(def, value));
  if (type == TFieldType::ftBoolean) return value != 0;
  if (type == TFieldType::ftUnknown) CannotConvert(def, "a number");
  return value;
}

Variant StoreDateTime(const TFieldDef& def, TDateTime value) {
  CheckFinite(def, value);
  const TFieldType type = def.DataType;
  if (IsTextType(type)) return CutToCapacity(def, DateTimeToStr(value));
  if (type == TFieldType::ftBoolean || type == TFieldType::ftUnknown) {
    CannotConvert(def, "a date");
  }
  return StoreFloat(def, value);
}

Variant StoreBoolean(const TFieldDef& def, bool value) {
  const TFieldType type = def.DataType;
  if (IsTextType(type)) return CutToCapacity(def, BooleanText(value));
  if (type == TFieldType::ftBoolean) return value;
  if (IsDateType(type) || type == TFieldType::ftUnknown) CannotConvert(def, "a boolean");
  return StoreInteger(def, value ? 1 : 0);
}

Variant StoreVariant(const TFieldDef& def, const Variant& value) {
  if (const auto* s = std::get_if<std::string>(&value)) return StoreString(def, *s);
  if (const auto* i = std::get_if<long long>(&value)) return StoreInteger(def, *i);
  if (const auto* d = std::get_if<double>(&value)) return StoreFloat(def, *d);
  if (const auto* b = std::get_if<bool>(&value)) return StoreBoolean(def, *b);
  return {};
}

std::string ReadString(const TFieldDef& def, const Variant& value) {
  if (const auto* s = std::get_if<std::string>(&value)) return *s;
  if (const auto* i = std::get_if<long long>(&value)) return IntToStr(*i);
  if (const auto* d = std::get_if<double>(&value)) {
    if (def.DataType == TFieldType::ftDate) return DateToStr(*d);
    if (def.DataType == TFieldType::ftTime) return TimeToStr(*d);
    if (IsMomentType(def.DataType)) return DateTimeToStr(*d);
    return FloatToStr(*d);
  }
  if (const auto* b = std::get_if<bool>(&value)) return BooleanText(*b);
  return "";
}

long long ReadInteger(const TFieldDef& def, const Variant& value) {
  if (const auto* s = std::get_if<std::string>(&value)) return StrToInt64(*s);
  if (const auto* i = std::get_if<long long>(&value)) return *i;
  if (const auto* d = std::get_if<double>(&value)) {
    const double whole = IsDateType(def.DataType) ? std::trunc(*d) : std::nearbyint(*d);
    if (!(std::fabs(whole) < 9.2e18)) {
      throw EConvertError("Value of field '" + def.Name + "' is not a valid integer");
    }
    return static_cast<long long>(whole);
  }
  if (const auto* b = std::get_if<bool>(&value)) return *b ? 1 : 0;
  return 0;
}

double ReadFloat(const TFieldDef&, const Variant& value) {
  if (const auto* s = std::get_if<std::string>(&value)) return StrToFloat(*s);
  if (const auto* i = std::get_if<long long>(&value)) return static_cast<double>(*i);
  if (const auto* d = std::get_if<double>(&value)) return *d;
  if (const auto* b = std::get_if<bool>(&value)) return *b ? 1 : 0;
  return 0;
}

TDateTime ReadDateTime(const TFieldDef& def, const Variant& value) {
  if (const auto* s = std::get_if<std::string>(&value)) return StrToDateTime(*s);
  if (const auto* i = std::get_if<long long>(&value)) return static_cast<double>(*i);
  if (const auto* d = std::get_if<double>(&value)) return *d;
  if (std::holds_alternative<bool>(value)) CannotConvert(def, "a date");
  return 0;
}

bool ReadBoolean(const TFieldDef&, const Variant& value) {
  if (const auto* s = std::get_if<std::string>(&value)) {
    bool flag = false;
    if (!ParseBoolean(*s, flag)) throw EConvertError("'" + *s + "' is not a valid boolean value");
    return flag;
  }
  if (const auto* i = std::get_if<long long>(&value)) return *i != 0;
  if (const auto* d = std::get_if<double>(&value)) return *d != 0;
  if (const auto* b = std::get_if<bool>(&value)) return *b;
  return false;
}

bool SearchKey(const TFieldDef& def, const Variant& value, Variant& key) {
  if (std::holds_alternative<std::monostate>(value)) {
    key = {};
    return true;
  }
  const TFieldType type = def.DataType;
  const auto* text = std::get_if<std::string>(&value);
  if (IsTextType(type)) {
    key = text ? *text : ReadString(TFieldDef{}, value);
    return true;
  }
  if (type == TFieldType::ftBoolean) {
    bool flag = false;
    if (text && !ParseBoolean(*text, flag)) return false;
    key = text ? flag : ReadBoolean(def, value);
    return true;
  }
  if (type == TFieldType::ftUnknown) return false;
  if (!text) {
    if (std::holds_alternative<bool>(value) && IsDateType(type)) return false;
    key = value;
    if (const auto* b = std::get_if<bool>(&value)) key = static_cast<long long>(*b);
    return true;
  }
  if (IsDateType(type)) {
    try {
      key = StrToDateTime(*text);
      return true;
    } catch (const EConvertError&) {
      return false;
    }
  }
  double number = 0;
  if (!TryStrToFloat(*text, number)) return false;
  key = number;
  return true;
}

constexpr long long kMsPerDay = 86400000;

void SplitDateTime(double value, long long& days, long long& ms) {
  const double whole = std::trunc(value);
  days = static_cast<long long>(whole);
  ms = std::llround(std::fabs(value - whole) * kMsPerDay);
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    ++days;  // the time of day carries into the next day, whatever the sign
  }
}

double ComposeDateTime(long long days, long long ms) {
  const double fraction = static_cast<double>(ms) / kMsPerDay;
  return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

int CompareValues(const Variant& a, const Variant& b) { return CompareViews(ViewOf(a), ViewOf(b)); }

}  // namespace platform::dataset
