#include "platform/dataset/filter.h"

#include <charconv>

#include "platform/base/errors.h"
#include "platform/base/sysutils.h"

namespace platform::dataset {

namespace {

struct Token {
  enum class Kind { kEnd, kName, kText, kNumber, kOp, kOpen, kClose, kAnd, kOr, kNot } kind;
  std::string text;
  Filter::Op op = Filter::Op::kEqual;
  std::size_t at = 0;  // 1-based position in the expression
};

bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

Filter::Op Mirror(Filter::Op op) {
  switch (op) {
    case Filter::Op::kLess:
      return Filter::Op::kGreater;
    case Filter::Op::kGreater:
      return Filter::Op::kLess;
    case Filter::Op::kLessEqual:
      return Filter::Op::kGreaterEqual;
    case Filter::Op::kGreaterEqual:
      return Filter::Op::kLessEqual;
    default:
      return op;
  }
}

}  // namespace

class FilterParser {
 public:
  FilterParser(const std::string& text, const std::vector<TFieldDef>& layout, Filter& out)
      : text_(text), layout_(layout), out_(out) {}

  void Run() {
    Advance();
    out_.root_ = Or();
    if (token_.kind != Token::Kind::kEnd) Fail("unexpected '" + token_.text + "'");
  }

 private:
  [[noreturn]] void Fail(const std::string& why) const {
    throw EDatabaseError("Invalid filter \"" + text_ + "\": " + why + " at position " +
                         IntToStr(static_cast<long long>(token_.at)));
  }

  void Advance() {
    while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) <= ' ') ++pos_;
    token_ = Token{Token::Kind::kEnd, "", Filter::Op::kEqual, pos_ + 1};
    if (pos_ >= text_.size()) return;
    const char c = text_[pos_];
    const std::size_t start = pos_;
    if (c == '(' || c == ')') {
      token_.kind = c == '(' ? Token::Kind::kOpen : Token::Kind::kClose;
      token_.text = std::string(1, c);
      ++pos_;
    } else if (c == '\'') {
      token_.kind = Token::Kind::kText;
      for (++pos_;; ++pos_) {
        if (pos_ >= text_.size()) Fail("unterminated text");
        if (text_[pos_] != '\'') {
          token_.text += text_[pos_];
        } else if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
          token_.text += '\'';  // a doubled quote stands for one
          ++pos_;
        } else {
          ++pos_;
          break;
        }
      }
    } else if (IsDigit(c) || ((c == '-' || c == '+' || c == '.') && pos_ + 1 < text_.size() &&
                              (IsDigit(text_[pos_ + 1]) || text_[pos_ + 1] == '.'))) {
      token_.kind = Token::Kind::kNumber;
      ++pos_;
      while (pos_ < text_.size() && (IsDigit(text_[pos_]) || text_[pos_] == '.')) ++pos_;
      token_.text = text_.substr(start, pos_ - start);
    } else if (c == '[') {
      const std::size_t close = text_.find(']', pos_);
      if (close == std::string::npos) Fail("unterminated field name");
      token_.kind = Token::Kind::kName;
      token_.text = text_.substr(pos_ + 1, close - pos_ - 1);
      pos_ = close + 1;
    } else if (IsNameStart(c)) {
      while (pos_ < text_.size() && (IsNameStart(text_[pos_]) || IsDigit(text_[pos_]))) ++pos_;
      token_.text = text_.substr(start, pos_ - start);
      token_.kind = SameText(token_.text, "and")   ? Token::Kind::kAnd
                    : SameText(token_.text, "or")  ? Token::Kind::kOr
                    : SameText(token_.text, "not") ? Token::Kind::kNot
                                                   : Token::Kind::kName;
    } else {
      static const struct {
        const char* text;
        Filter::Op op;
      } kOps[] = {{"<>", Filter::Op::kNotEqual},     {"!=", Filter::Op::kNotEqual}, {"<=", Filter::Op::kLessEqual},
                  {">=", Filter::Op::kGreaterEqual}, {"=", Filter::Op::kEqual},     {"<", Filter::Op::kLess},
                  {">", Filter::Op::kGreater}};
      for (const auto& candidate : kOps) {
        if (text_.compare(pos_, std::char_traits<char>::length(candidate.text), candidate.text) == 0) {
          token_.kind = Token::Kind::kOp;
          token_.op = candidate.op;
          token_.text = candidate.text;
          pos_ += token_.text.size();
          return;
        }
      }
      token_.text = std::string(1, c);
      Fail("unexpected '" + token_.text + "'");
    }
  }

  // A new node at the end of the tree; answers its index.
  int NewNode(Filter::Node::Kind kind) {
    if (out_.nodes_.size() >= kMaxNodes) Fail("expression too long");
    out_.nodes_.emplace_back();
    out_.nodes_.back().kind = kind;
    return static_cast<int>(out_.nodes_.size()) - 1;
  }

  Filter::Node& At(int index) { return out_.nodes_[static_cast<std::size_t>(index)]; }

  int Join(Filter::Node::Kind kind, int left, int right) {
    const int index = NewNode(kind);
    At(index).left = left;
    At(index).right = right;
    return index;
  }

  int Or() {
    int left = And();
    while (token_.kind == Token::Kind::kOr) {
      Advance();
      left = Join(Filter::Node::Kind::kOr, left, And());
    }
    return left;
  }

  int And() {
    int left = Unary();
    while (token_.kind == Token::Kind::kAnd) {
      Advance();
      left = Join(Filter::Node::Kind::kAnd, left, Unary());
    }
    return left;
  }

  int Unary() {
    if (token_.kind != Token::Kind::kNot && token_.kind != Token::Kind::kOpen) return Comparison();
    if (++depth_ > kMaxDepth) Fail("expression nested too deeply");
    int node = -1;
    if (token_.kind == Token::Kind::kNot) {
      Advance();
      node = Join(Filter::Node::Kind::kNot, Unary(), -1);
    } else {
      Advance();
      node = Or();
      if (token_.kind != Token::Kind::kClose) Fail("')' expected");
      Advance();
    }
    --depth_;
    return node;
  }

  int Comparison() {
    const Token left = Operand();
    if (token_.kind != Token::Kind::kOp) Fail("comparison operator expected");
    Filter::Op op = token_.op;
    Advance();
    const Token right = Operand();
    if (left.kind != Token::Kind::kName && right.kind != Token::Kind::kName) {
      Fail("a comparison needs a field");
    }
    const bool mirrored = left.kind != Token::Kind::kName;
    const Token& field = mirrored ? right : left;
    const Token& other = mirrored ? left : right;
    const int index = NewNode(Filter::Node::Kind::kCompare);
    At(index).op = mirrored ? Mirror(op) : op;
    At(index).field = FieldOf(field);
    if (other.kind == Token::Kind::kName) {
      At(index).other = FieldOf(other);
    } else {
      At(index).literal = Literal(At(index).field, other);
    }
    return index;
  }

  Token Operand() {
    const Token token = token_;
    if (token.kind != Token::Kind::kName && token.kind != Token::Kind::kText && token.kind != Token::Kind::kNumber) {
      Fail(token.kind == Token::Kind::kEnd ? "unexpected end" : "field or value expected");
    }
    Advance();
    return token;
  }

  int FieldOf(const Token& token) const {
    const int field = FindFieldDef(layout_, token.text);
    if (field < 0) throw EDatabaseError("Field '" + token.text + "' not found");
    return field;
  }

  // The literal in the kind the field stores.
  Variant Literal(int field, const Token& token) const {
    const TFieldDef& def = layout_[static_cast<std::size_t>(field)];
    if (IsTextType(def.DataType)) return token.text;
    Variant given = token.text;
    if (token.kind == Token::Kind::kNumber) {
      const char* first = token.text.data() + (token.text.front() == '+' ? 1 : 0);
      const char* last = token.text.data() + token.text.size();
      long long whole = 0;
      double real = 0;
      if (auto r = std::from_chars(first, last, whole); r.ec == std::errc() && r.ptr == last) {
        given = whole;
      } else if (auto r2 = std::from_chars(first, last, real); r2.ec == std::errc() && r2.ptr == last) {
        given = real;
      } else {
        Fail("bad number '" + token.text + "'");
      }
    }
    Variant key;
    if (!SearchKey(def, given, key)) {
      throw EDatabaseError("Invalid filter \"" + text_ + "\": '" + token.text + "' is not a valid value for field '" +
                           def.Name + "'");
    }
    return key;
  }

  const std::string& text_;
  const std::vector<TFieldDef>& layout_;
  Filter& out_;
  static constexpr int kMaxDepth = 100;
  static constexpr std::size_t kMaxNodes = 2000;
  int depth_ = 0;
  std::size_t pos_ = 0;
  Token token_{Token::Kind::kEnd, "", Filter::Op::kEqual, 0};
};

std::unique_ptr<Filter> Filter::Parse(const std::string& text, const std::vector<TFieldDef>& layout) {
  auto filter = std::make_unique<Filter>();
  for (const TFieldDef& def : layout) {
    filter->text_fields_.push_back(IsTextType(def.DataType));
  }
  FilterParser(text, layout, *filter).Run();
  return filter;
}

bool Filter::Matches(const RowStore& rows, std::size_t row) const { return root_ < 0 || Eval(root_, rows, row); }

ValueView Filter::ValueOf(int field, const RowStore& rows, std::size_t row) const {
  const ValueView value = rows.View(row, static_cast<std::size_t>(field));
  if (text_fields_[static_cast<std::size_t>(field)] && std::holds_alternative<std::monostate>(value)) {
    return std::string_view();
  }
  return value;
}

bool Filter::Eval(int index, const RowStore& rows, std::size_t row) const {
  const Node& node = nodes_[static_cast<std::size_t>(index)];
  switch (node.kind) {
    case Node::Kind::kAnd:
      return Eval(node.left, rows, row) && Eval(node.right, rows, row);
    case Node::Kind::kOr:
      return Eval(node.left, rows, row) || Eval(node.right, rows, row);
    case Node::Kind::kNot:
      return !Eval(node.left, rows, row);
    case Node::Kind::kCompare:
      break;
  }
  const ValueView a = ValueOf(node.field, rows, row);
  const ValueView b = node.other >= 0 ? ValueOf(node.other, rows, row) : ViewOf(node.literal);
  // A null that is not text matches no comparison.
  if (std::holds_alternative<std::monostate>(a) || std::holds_alternative<std::monostate>(b)) {
    return false;
  }
  const int c = CompareViews(a, b);
  switch (node.op) {
    case Op::kEqual:
      return c == 0;
    case Op::kNotEqual:
      return c != 0;
    case Op::kLess:
      return c < 0;
    case Op::kGreater:
      return c > 0;
    case Op::kLessEqual:
      return c <= 0;
    case Op::kGreaterEqual:
      return c >= 0;
  }
  return false;
}

}  // namespace platform::dataset
