// Fields of the emulated devices' frames, files and bench texts: digit
// fields, the printed forms of amounts, names compared as an operator
// would, and splitting on a separator.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace emu {

bool AllDigits(std::string_view text);
// The value of a field of exactly `width` digits; nothing when it is not.
std::optional<long long> DigitField(std::string_view text, std::size_t width);
// value made `width` digits with leading zeros.
std::string Digits(long long value, int width);
// The same, added to the end of `out`: for answers made of many fields.
void AppendDigits(std::string& out, long long value, int width);
// Cents as printed on the tape: "12,50", "-0,05".
std::string Money(long long cents);
// Thousandths of a unit: "2" for whole units, "2,500" otherwise.
std::string Quantity(long long thousandths);
// Percent with two implied decimals: "18,00".
std::string Percent(int hundredths);
// Without blanks and control bytes around.
std::string Trim(std::string_view text);
// Letter-case-blind comparison of two names with blanks around removed
// (ASCII and the Windows-1252 accented letters).
bool SameName(std::string_view a, std::string_view b);
// Every piece between separators, empty ones included: "a||b" gives
// "a", "", "b".
std::vector<std::string> Split(std::string_view text, char separator);
// `text` cut or filled with blanks to `width` bytes.
std::string Padded(std::string_view text, std::size_t width);
// Copies bytes into a caller's C buffer with a NUL after them, cut to its
// size; answers their full length.
int CopyOut(std::string_view bytes, char* buf, int size);
// The non-empty pieces, trimmed (a CR before a '\n' separator goes too).
std::vector<std::string> Entries(std::string_view text, char separator);

}  // namespace emu
