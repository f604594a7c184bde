// The record format of the emulators' state files (a device's memory kept
// across runs): a first line naming the format and its version
// ("MP20FI-STATE|1"), then one record a line, "key|field|field...", with
// '%', '|' and control bytes of a field written as %XX, and a last line
// "end". A file that does not read back whole, up to its "end", is refused,
// never half taken; it is written whole and renamed in (files.h).
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace emu {

// One record being written: Record("coupon") << 12 << "selling" ...
class Record {
 public:
  explicit Record(std::string_view key);
  Record& operator<<(std::string_view field);
  Record& operator<<(const std::string& field) { return *this << std::string_view(field); }
  Record& operator<<(const char* field) { return *this << std::string_view(field); }
  Record& operator<<(long long value) { return *this << std::to_string(value); }
  Record& operator<<(int value) { return *this << std::to_string(value); }
  // A list of values after the key.
  template <typename T>
  static Record List(std::string_view key, const std::vector<T>& values) {
    Record r(key);
    for (const T& value : values) r << value;
    return r;
  }
  // The record and its line end.
  std::string Line() const { return text_ + "\n"; }

 private:
  std::string text_;
};

// The fields of one record being read, taken by position. A missing field
// or a number that is not one throws std::runtime_error, which refuses the
// whole file.
class RecordFields {
 public:
  explicit RecordFields(std::vector<std::string> fields) : fields_(std::move(fields)) {}
  std::size_t size() const { return fields_.size(); }
  const std::string& Text(std::size_t i) const;
  long long Number(std::size_t i) const;
  int Int(std::size_t i) const { return static_cast<int>(Number(i)); }
  // An empty field is no day.
  std::optional<int> Day(std::size_t i) const;
  template <typename T>
  std::vector<T> All() const {
    std::vector<T> values;
    for (std::size_t i = 0; i < fields_.size(); ++i) values.push_back(static_cast<T>(Number(i)));
    return values;
  }

 private:
  std::vector<std::string> fields_;
};

// The whole text of a state file: the format line, the records' lines, "end".
std::string StateText(std::string_view format, const std::string& record_lines);

using RecordReader = std::function<void(const std::string& key, const RecordFields& fields)>;
// Hands each record to `read`, in order. False when the first line is not
// `format`, a field is badly escaped, `read` throws (an unknown key, a bad
// field) or the "end" line is missing.
bool ReadStateText(const std::string& text, std::string_view format, const RecordReader& read);

}  // namespace emu
