// TStringList: an ordered list of text lines, as the TEF client keeps its
// records and voucher stores.
#pragma once
#include <string>
#include <vector>
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace platform {

class TStringList {
 public:
  int Count() const { return static_cast<int>(lines_.size()); }
  const std::string& operator[](int index) const;  // raises on a bad index
  std::string& operator[](int index);
  int Add(const std::string& line);  // answers the new line's index
  void Insert(int index, const std::string& line);
  void Delete(int index);
  void Clear() { lines_.clear(); }
  void AddStrings(const TStringList& other);
  // Index of the first line equal to `line` (case-blind, as the component
  // library compares by default), -1 when absent.
  int IndexOf(const std::string& line) const;
  // Index of the first line whose text before the first "=" equals name
  // (case-blind), -1 when absent.
  int IndexOfName(const std::string& name) const;
  // Text after the first "=" of that line, "" when absent.
  std::string Values(const std::string& name) const;

  // Whole text: every line followed by CR LF.
  std::string Text() const;
  // Splits on CR LF, LF or CR; a final line end adds no empty line.
  void SetText(const std::string& text);
  // Raise EInOutError when the file cannot be read or written; saving
  // writes beside the file and renames it into place.
  void LoadFromFile(const std::string& path);
  void SaveToFile(const std::string& path) const;

  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

}  // namespace platform

PKG_QDM_PUBLIC_END
