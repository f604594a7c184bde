// Record filters: "IDTPBUTTON = '5'", "VRMOVIVEND >= 10 and (CDTIPORECE =
// '001' or CDTIPORECE = '002')". Comparisons of a field with a literal (or
// another field) joined by and, or, not and parentheses; literals take the
// type of the field they are compared with. Private to the dataset.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/dataset/store.h"
#include "platform/dataset/values.h"

namespace platform::dataset {

class Filter {
 public:
  // Raises EDatabaseError on a malformed expression or an unknown field.
  static std::unique_ptr<Filter> Parse(const std::string& text, const std::vector<TFieldDef>& layout);
  bool Matches(const RowStore& rows, std::size_t row) const;

  enum class Op { kEqual, kNotEqual, kLess, kGreater, kLessEqual, kGreaterEqual };
  struct Node {
    enum class Kind { kAnd, kOr, kNot, kCompare } kind = Kind::kCompare;
    int left = -1;  // operands of and/or/not
    int right = -1;
    Op op = Op::kEqual;
    int field = -1;  // compared field
    int other = -1;  // compared field on the right, or -1 for `literal`
    Variant literal;
  };

 private:
  bool Eval(int node, const RowStore& rows, std::size_t row) const;
  ValueView ValueOf(int field, const RowStore& rows, std::size_t row) const;
  std::vector<Node> nodes_;
  std::vector<bool> text_fields_;  // a text field's null reads as ""
  int root_ = -1;
  friend class FilterParser;
};

}  // namespace platform::dataset
