// The rows of a client dataset: every value a cell of 8 bytes in one
// block, row after row, its kind a byte in a second block, and the texts
// longer than a cell side by side in one buffer. A table of a hundred
// thousand rows is then three allocations, not one per row and one per
// long text. Private to the dataset.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/dataset/values.h"

namespace platform::dataset {

// A stored value seen in place: the alternatives of Variant, a text as a
// view into the store (valid until the store changes).
using ValueView = std::variant<std::monostate, std::string_view, long long, double, bool>;
ValueView ViewOf(const Variant& value);
Variant ToVariant(const ValueView& view);
// Order of two values as CompareValues has it.
int CompareViews(const ValueView& a, const ValueView& b);

class RowStore {
 public:
  RowStore() = default;
  explicit RowStore(std::size_t width) : width_(width) {}

  // What a value takes, beside a text longer than a cell.
  static constexpr std::size_t kCellBytes = 9;

  std::size_t width() const { return width_; }
  std::size_t size() const { return rows_; }
  bool empty() const { return rows_ == 0; }

  ValueView View(std::size_t row, std::size_t field) const;
  Variant Get(std::size_t row, std::size_t field) const;
  Row GetRow(std::size_t row) const;
  bool IsNull(std::size_t row, std::size_t field) const { return KindOf(kinds_[At(row, field)]) == kNull; }

  // Whole rows, cut or padded with nulls to the width.
  void Insert(std::size_t pos, const Row& values);
  void Append(const Row& values) { Insert(rows_, values); }
  void Assign(std::size_t pos, const Row& values);
  void Erase(std::size_t pos);
  void Clear();
  // Clear, and give the memory back.
  void Release();

  // Building row by row, as a reader does. A new row's cells are absent;
  // each Put marks its cell given (a null included), so a later version of
  // a row can be laid over an earlier one field by field (Overlay).
  void Reserve(std::size_t rows, std::size_t text_bytes);
  std::size_t AddRow();
  // The text buffer, to append a value's bytes to; then PutText names
  // them: the bytes from `start` to the buffer's end.
  std::string& text() { return text_; }
  void PutText(std::size_t row, std::size_t field, std::size_t start);
  void PutText(std::size_t row, std::size_t field, std::string_view value);
  void PutInteger(std::size_t row, std::size_t field, long long value);
  void PutReal(std::size_t row, std::size_t field, double value);
  void PutBoolean(std::size_t row, std::size_t field, bool value);
  void PutNull(std::size_t row, std::size_t field);
  std::size_t TextLength(std::size_t row, std::size_t field) const { return TextOf(At(row, field)).size(); }
  // Row `into` takes the given values of row `from`.
  void Overlay(std::size_t into, std::size_t from);
  // A store of the rows at `positions`, in that order, sharing nothing.
  RowStore Pick(const std::vector<std::size_t>& positions) const;

 private:
  // A cell's kind byte: what the cell holds, the length of a text kept in
  // the cell itself, and whether a reader gave the value.
  enum Kind : std::uint8_t { kNull, kText, kInteger, kReal, kBoolean, kShortText };
  static constexpr std::uint8_t kKindMask = 0x07;
  static constexpr int kLengthShift = 3;
  static constexpr std::uint8_t kGiven = 0x80;
  union Cell {
    long long integer = 0;  // integers and booleans
    double real;
    struct {
      std::uint32_t offset;  // where in text_
      std::uint32_t length;
    } text;
    char bytes[8];  // a short text
  };
  static_assert(sizeof(Cell) == 8);

  std::size_t At(std::size_t row, std::size_t field) const { return row * width_ + field; }
  static Kind KindOf(std::uint8_t kind) { return static_cast<Kind>(kind & kKindMask); }
  std::string_view TextOf(std::size_t at) const;
  // The cell at `at` takes the text from `start` to the end of text_,
  // inside itself when it fits (text_ then gives the bytes back).
  void TakeText(std::size_t at, std::size_t start);
  void Put(std::size_t at, Kind kind, Cell cell);
  void Store(std::size_t at, const Variant& value);
  void Drop(std::size_t at);
  // Drops the texts no cell refers to: when they are most of the buffer,
  // or `now`.
  void Compact(bool now);

  std::size_t width_ = 0;
  std::size_t rows_ = 0;
  std::vector<Cell> cells_;
  std::vector<std::uint8_t> kinds_;
  std::string text_;
  std::size_t garbage_ = 0;  // bytes of text_ no cell refers to any more
};

}  // namespace platform::dataset
