// String and number helpers with the component library's names and
// conventions: positions are 1-based, texts are Windows-1252 bytes.
#pragma once
#include <string>

namespace platform {

// Removes characters at or below the blank (controls included) from the ends.
std::string Trim(const std::string& s);
std::string TrimLeft(const std::string& s);
std::string TrimRight(const std::string& s);

// ASCII letters only; other bytes are left alone.
std::string UpperCase(const std::string& s);
std::string LowerCase(const std::string& s);
bool SameText(const std::string& a, const std::string& b);

// Copy(s, 1, 3) is the first three characters; out-of-range parts are clamped.
std::string Copy(const std::string& s, int index, int count);
// 1-based position of sub in s, 0 when absent.
int Pos(const std::string& sub, const std::string& s);
// Removes count characters starting at the 1-based index (clamped).
void Delete(std::string& s, int index, int count);

std::string IntToStr(long long value);
// Decimal integer with optional sign and surrounding blanks; raises
// EConvertError ("'abc' is not a valid integer value") otherwise.
int StrToInt(const std::string& s);
long long StrToInt64(const std::string& s);
int StrToIntDef(const std::string& s, int fallback);
bool TryStrToInt(const std::string& s, int& value);

}  // namespace platform
