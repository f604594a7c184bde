// FormatFloat: picture patterns such as "000000000000.00" or "#,##0.00".
// Scientific sections ("0.00E+00") are not used by the register; their
// letters print as literals.
#include <cmath>
#include <string>
#include <vector>

#include "platform/text/format.h"
#include "platform/text/decimal.h"

namespace platform {
namespace {

struct Token {
  enum Kind { kIntegerDigit, kPoint, kFractionDigit, kLiteral } kind;
  std::string literal;
};

struct Section {
  std::vector<Token> tokens;
  bool thousands = false;
  int integer_places = 0;
  int integer_minimum = 0;  // '0' placeholders force digits from the first one on
  int fraction_places = 0;
  int fraction_minimum = 0;  // up to the last '0' after the point
};

bool IsQuote(char c) { return c == '"' || c == '\''; }

// Splits on ';' outside quoted text.
std::vector<std::string> SplitSections(const std::string& pattern) {
  std::vector<std::string> sections(1);
  char quote = 0;
  for (char c : pattern) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (IsQuote(c)) {
      quote = c;
    } else if (c == ';') {
      sections.emplace_back();
      continue;
    }
    sections.back() += c;
  }
  return sections;
}

Section ParseSection(const std::string& text) {
  Section section;
  bool after_point = false;
  int first_zero = -1;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (IsQuote(c)) {
      const size_t close = text.find(c, i + 1);
      const size_t end = close == std::string::npos ? text.size() : close;
      section.tokens.push_back({Token::kLiteral, text.substr(i + 1, end - i - 1)});
      i = end;
    } else if (c == '0' || c == '#') {
      if (after_point) {
        ++section.fraction_places;
        if (c == '0') section.fraction_minimum = section.fraction_places;
        section.tokens.push_back({Token::kFractionDigit, ""});
      } else {
        if (c == '0' && first_zero < 0) first_zero = section.integer_places;
        ++section.integer_places;
        section.tokens.push_back({Token::kIntegerDigit, ""});
      }
    } else if (c == '.') {
      if (!after_point) section.tokens.push_back({Token::kPoint, ""});
      after_point = true;  // a second point is ignored
    } else if (c == ',') {
      section.thousands = true;
    } else {
      section.tokens.push_back({Token::kLiteral, std::string(1, c)});
    }
  }
  if (first_zero >= 0) section.integer_minimum = section.integer_places - first_zero;
  return section;
}

class Renderer {
 public:
  Renderer(const Section& section, const number::Decimal& value)
      : section_(section), integer_(value.integer), fraction_(value.fraction) {
    if (static_cast<int>(integer_.size()) < section.integer_minimum)
      integer_.insert(0, section.integer_minimum - integer_.size(), '0');
    if (static_cast<int>(fraction_.size()) < section.fraction_minimum)
      fraction_.append(section.fraction_minimum - fraction_.size(), '0');
  }

  std::string Render(bool minus) {
    out_ = minus ? "-" : "";
    int integer_index = 0, fraction_index = 0;
    for (const Token& token : section_.tokens) {
      switch (token.kind) {
        case Token::kIntegerDigit:
          IntegerPlaceholder(integer_index++);
          break;
        case Token::kPoint:
          // A pattern without integer placeholders still shows the integer.
          if (section_.integer_places == 0) EmitIntegerDigits(0, static_cast<int>(integer_.size()) - 1);
          if (!fraction_.empty()) out_ += FormatSettings().DecimalSeparator;
          break;
        case Token::kFractionDigit:
          if (fraction_index < static_cast<int>(fraction_.size())) out_ += fraction_[fraction_index];
          ++fraction_index;
          break;
        case Token::kLiteral:
          out_ += token.literal;
          break;
      }
    }
    return out_;
  }

 private:
  // Digits align right on the placeholders; digits beyond the pattern's
  // width all go out at the first placeholder.
  void IntegerPlaceholder(int index) {
    const int extra = static_cast<int>(integer_.size()) - section_.integer_places;
    const int last = index + extra;
    const int first = index == 0 ? 0 : last;
    if (last >= 0) EmitIntegerDigits(first, last);
  }

  void EmitIntegerDigits(int first, int last) {
    const int count = static_cast<int>(integer_.size());
    for (int j = first < 0 ? 0 : first; j <= last; ++j) {
      out_ += integer_[j];
      const int left = count - 1 - j;
      if (section_.thousands && left > 0 && left % 3 == 0) out_ += FormatSettings().ThousandSeparator;
    }
  }

  const Section& section_;
  std::string integer_;
  std::string fraction_;
  std::string out_;
};

}  // namespace

std::string FormatFloat(const std::string& pattern, double value) {
  if (!std::isfinite(value)) return number::NonFiniteText(value);
  const std::vector<std::string> sections = SplitSections(pattern);
  const number::Decimal decimal = number::FromDouble(value);

  size_t chosen = decimal.negative && sections.size() > 1 && !sections[1].empty() ? 1 : 0;
  if (sections[chosen].empty()) return FloatToStr(value);
  Section section = ParseSection(sections[chosen]);
  number::Decimal rounded = number::Rounded(decimal, section.fraction_places);

  // Nothing left after rounding prints as zero, never as "-0,00".
  if (rounded.IsZero()) {
    const size_t zero_section = sections.size() > 2 && !sections[2].empty() ? 2 : 0;
    if (zero_section != chosen) section = ParseSection(sections[zero_section]);
    chosen = zero_section;
  }
  const bool minus = rounded.negative && chosen == 0;
  rounded.negative = false;
  return Renderer(section, rounded).Render(minus);
}

}  // namespace platform
