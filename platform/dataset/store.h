// The rows of a client dataset: every value a cell of 16 bytes in one
// block, row after row, and the texts side by side in one buffer. A table
// of a hundred thousand rows is then two allocations, not one per row and
// one per long text. Private to the dataset.
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

  static constexpr std::size_t kCellBytes = 16;  // what a value takes, beside its text

  std::size_t width() const { return width_; }
  std::size_t size() const { return rows_; }
  bool empty() const { return rows_ == 0; }

  ValueView View(std::size_t row, std::size_t field) const;
  Variant Get(std::size_t row, std::size_t field) const;
  Row GetRow(std::size_t row) const;
  bool IsNull(std::size_t row, std::size_t field) const { return At(row, field).kind == kNull; }

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
  bool Given(std::size_t row, std::size_t field) const { return At(row, field).given != 0; }
  std::size_t TextLength(std::size_t row, std::size_t field) const { return At(row, field).length; }
  // Row `into` takes the given values of row `from`.
  void Overlay(std::size_t into, std::size_t from);
  // A store of the rows at `positions`, in that order, sharing nothing.
  RowStore Pick(const std::vector<std::size_t>& positions) const;

 private:
  enum Kind : std::uint8_t { kNull, kText, kInteger, kReal, kBoolean };
  struct Cell {
    union {
      long long integer = 0;  // integers and booleans
      double real;
      std::uint64_t offset;  // texts: where in text_
    };
    std::uint32_t length = 0;  // texts
    Kind kind = kNull;
    std::uint8_t given = 0;
  };
  static_assert(sizeof(Cell) == kCellBytes);

  Cell& At(std::size_t row, std::size_t field) { return cells_[row * width_ + field]; }
  const Cell& At(std::size_t row, std::size_t field) const { return cells_[row * width_ + field]; }
  void Store(Cell& cell, const Variant& value);
  void Drop(const Cell& cell);
  void Compact();

  std::size_t width_ = 0;
  std::size_t rows_ = 0;
  std::vector<Cell> cells_;
  std::string text_;
  std::size_t garbage_ = 0;  // bytes of text_ no cell refers to any more
};

}  // namespace platform::dataset
