// Windows-1252 is the library's text; UTF-8 only where a person reads a
// terminal or a file arrives in that form.
#pragma once
#include <cstddef>
#include <string>

namespace platform {

// Unicode code point of a Windows-1252 byte (bytes 0x81, 0x8D, 0x8F, 0x90
// and 0x9D map to the same-valued control code points).
char32_t Cp1252ToUnicode(unsigned char byte);
// Windows-1252 byte of a code point, or -1 when the code page lacks it.
int UnicodeToCp1252(char32_t code_point);

std::string Cp1252ToUtf8(const std::string& text);
// Characters the code page lacks (and malformed UTF-8) become '?'.
std::string Utf8ToCp1252(const std::string& text);
// The same for text that must reach a device as written: false, with
// `bad_at` (when given) the byte offset of the first malformed sequence or
// character the code page lacks, instead of a '?' in its place.
bool Utf8ToCp1252Exact(const std::string& text, std::string& out, std::size_t* bad_at = nullptr);

}  // namespace platform
