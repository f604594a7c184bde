#include "emulators/common/records.h"

#include <charconv>
#include <stdexcept>

#include "emulators/common/escape.h"
#include "emulators/common/fields.h"

namespace emu {

namespace {
constexpr std::string_view kReserved = "|";
constexpr std::string_view kEnd = "end";
}  // namespace

Record::Record(std::string_view key) : text_(PercentEscape(key, kReserved)) {}

Record& Record::operator<<(std::string_view field) {
  text_ += '|';
  text_ += PercentEscape(field, kReserved);
  return *this;
}

const std::string& RecordFields::Text(std::size_t i) const {
  if (i >= fields_.size()) throw std::runtime_error("short record");
  return fields_[i];
}

long long RecordFields::Number(std::size_t i) const {
  const std::string& text = Text(i);
  long long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) throw std::runtime_error("bad number");
  return value;
}

std::optional<int> RecordFields::Day(std::size_t i) const {
  if (Text(i).empty()) return std::nullopt;
  return Int(i);
}

std::string StateText(std::string_view format, const std::string& record_lines) {
  std::string text(format);
  text += '\n';
  text += record_lines;
  text += kEnd;
  text += '\n';
  return text;
}

bool ReadStateText(const std::string& text, std::string_view format, const RecordReader& read) {
  std::vector<std::string> lines = Split(text, '\n');
  if (lines.empty() || lines.front() != format) return false;
  try {
    for (std::size_t n = 1; n < lines.size(); ++n) {
      if (lines[n] == kEnd) return true;
      std::vector<std::string> raw = Split(lines[n], '|');
      std::vector<std::string> fields;
      for (std::size_t i = 1; i < raw.size(); ++i) {
        std::optional<std::string> value = PercentUnescape(raw[i]);
        if (!value) return false;
        fields.push_back(std::move(*value));
      }
      std::optional<std::string> key = PercentUnescape(raw[0]);
      if (!key) return false;
      read(*key, RecordFields(std::move(fields)));
    }
  } catch (const std::exception&) {
    return false;
  }
  return false;
}

}  // namespace emu
