// Differences between the models of one maker kept as data: rows of
// {key, value} looked up by key, for example a command code and its code on
// each model, or a command byte and the byte another model takes instead.
//
//   constexpr TableRow<std::string_view, std::string_view> kType4[] = {
//       {"22", "43"}, {"21", "42"}};
//   const std::string_view* own = Lookup(kType4, code);  // nullptr: unchanged
#pragma once
#include <iterator>

namespace drivers {

template <typename Key, typename Value>
struct TableRow {
  Key key;
  Value value;
};

// The value of the first row whose key equals `key`, or nullptr.
template <typename Rows, typename Key>
constexpr auto Lookup(const Rows& rows, const Key& key) -> decltype(&std::begin(rows)->value) {
  for (const auto& row : rows) {
    if (row.key == key) return &row.value;
  }
  return nullptr;
}

// The value for `key`, or `fallback` when no row has it.
template <typename Rows, typename Key, typename Value>
constexpr Value LookupOr(const Rows& rows, const Key& key, const Value& fallback) {
  const auto* found = Lookup(rows, key);
  return found != nullptr ? Value(*found) : fallback;
}

}  // namespace drivers
