#include "platform/dataset/stringlist.h"

#include "platform/base/errors.h"
#include "platform/os/files.h"
#include "platform/base/sysutils.h"

namespace platform {

namespace {

[[noreturn]] void OutOfBounds(int index) { throw Exception("List index out of bounds (" + IntToStr(index) + ")"); }

}  // namespace

const std::string& TStringList::operator[](int index) const {
  if (index < 0 || index >= Count()) OutOfBounds(index);
  return lines_[static_cast<std::size_t>(index)];
}

std::string& TStringList::operator[](int index) {
  if (index < 0 || index >= Count()) OutOfBounds(index);
  return lines_[static_cast<std::size_t>(index)];
}

int TStringList::Add(const std::string& line) {
  lines_.push_back(line);
  return Count() - 1;
}

void TStringList::Insert(int index, const std::string& line) {
  if (index < 0 || index > Count()) OutOfBounds(index);
  lines_.insert(lines_.begin() + index, line);
}

void TStringList::Delete(int index) {
  if (index < 0 || index >= Count()) OutOfBounds(index);
  lines_.erase(lines_.begin() + index);
}

void TStringList::AddStrings(const TStringList& other) {
  // A list added to itself is copied first.
  const std::vector<std::string> copy = other.lines_;
  lines_.insert(lines_.end(), copy.begin(), copy.end());
}

int TStringList::IndexOf(const std::string& line) const {
  for (int i = 0; i < Count(); ++i) {
    if (SameText(lines_[static_cast<std::size_t>(i)], line)) return i;
  }
  return -1;
}

int TStringList::IndexOfName(const std::string& name) const {
  // The name is the raw text before the first "=", blanks included: IntPos
  // records look fields up as "001-000 ".
  for (int i = 0; i < Count(); ++i) {
    const std::string& line = lines_[static_cast<std::size_t>(i)];
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos && SameText(line.substr(0, equals), name)) return i;
  }
  return -1;
}

std::string TStringList::Values(const std::string& name) const {
  const int index = IndexOfName(name);
  if (index < 0) return "";
  const std::string& line = lines_[static_cast<std::size_t>(index)];
  return line.substr(line.find('=') + 1);
}

std::string TStringList::Text() const {
  std::string text;
  for (const std::string& line : lines_) {
    text += line;
    text += "\r\n";
  }
  return text;
}

void TStringList::SetText(const std::string& text) {
  lines_.clear();
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines_.push_back(text.substr(start));
      break;
    }
    lines_.push_back(text.substr(start, end - start));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
}

void TStringList::LoadFromFile(const std::string& path) { SetText(ReadFileBytes(path)); }

void TStringList::SaveToFile(const std::string& path) const { WriteFileAtomic(path, Text()); }

}  // namespace platform
