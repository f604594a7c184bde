// A request's JSON body as the routes read it. The text is parsed by
// nlohmann-json (UTF-8 checked there); each number keeps the digits the
// client wrote, so money and quantities are read exactly; every reader
// names the field at fault in the problem it raises. Texts come out in
// Windows-1252, the devices' code page: a character the code page lacks
// is refused with its field named, never replaced.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tools/qdm_service/exact_decimal.h"
#include "tools/qdm_service/problem.h"

namespace qdm_service {

// How a text field is read.
struct TextField {
  std::size_t max_chars;  // Windows-1252 characters (bytes)
  bool allow_empty = false;
  const char* only = nullptr;  // when set, the only characters allowed
};

// Bounds of what a body may hold, beyond the HTTP layer's size bound.
inline constexpr int kMaxDepth = 8;

class RequestBody {
 public:
  // An empty body reads as {}. Raises ProblemError (400) for anything but
  // one JSON object: malformed JSON or UTF-8, a member named twice, nesting
  // deeper than kMaxDepth.
  static RequestBody Parse(std::string_view bytes);

  bool Has(const std::string& name) const;
  // A required text, in Windows-1252.
  std::string Text(const std::string& name, const TextField& field) const;
  std::optional<std::string> OptionalText(const std::string& name, const TextField& field) const;
  // A decimal given as a string ("12.34") or a number (12.34), in units of
  // the field's decimals.
  std::int64_t Decimal(const std::string& name, const DecimalField& field) const;
  std::optional<std::int64_t> OptionalDecimal(const std::string& name, const DecimalField& field) const;
  // A list of texts, each read as `field`; at most `max_items`.
  std::vector<std::string> TextList(const std::string& name, const TextField& field, std::size_t max_items,
                                    bool allow_empty_list = false) const;
  // A true or false; absent or null is `fallback`.
  bool Bool(const std::string& name, bool fallback) const;
  // An object member, read as a body of its own whose problems name its
  // fields under `name` ("comprador/nome").
  std::optional<RequestBody> OptionalObject(const std::string& name) const;
  // A list of objects, each read as a body of its own ("itens/0/codigo");
  // 1 to `max_items`.
  std::vector<RequestBody> ObjectList(const std::string& name, std::size_t max_items) const;
  // A member's name as the problems give it ("itens/0/quantidade").
  std::string Path(const std::string& name) const { return prefix_ + name; }
  // Refuses a member no reader above was asked for (a misspelt field is
  // an error, not a default).
  void NoOtherFields() const;

  // The body in one canonical form (members sorted, numbers as written):
  // two requests are the same request when these are equal.
  std::string Canonical() const;

 private:
  Json root_;
  std::string prefix_;  // where this body stands in the request ("itens/0/")
  mutable std::set<std::string> read_;
  std::string Field(const std::string& name) const { return Path(name); }
  const Json* Member(const std::string& name) const;
};

// A text value read as a field (shared with the list reader and the path
// and query readers): UTF-8 to Windows-1252, control characters refused,
// length and character set checked. `name` is the field for the problem.
std::string ReadText(const std::string& utf8, const std::string& name, const TextField& field);
// A decimal text read as a field, with the field's problem.
std::int64_t ReadDecimal(std::string_view text, const std::string& name, const DecimalField& field);

}  // namespace qdm_service
