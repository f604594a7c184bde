// The maker's utility package: string helpers, the message catalogue and
// the touch dialogs. Texts are Windows-1252 bytes.
#pragma once
#include <string>
#include <utility>
#include <vector>
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace util {

// Zeros on the left up to the width, then the first `width` characters:
// ("7", 4) -> "0007", ("123456", 4) -> "1234", ("", 2) -> "00".
std::string AjustaZero(const std::string& text, int width);
// The text brought to the width: zeros on the left when shorter, the last
// `width` characters when longer: ("7", 2) -> "07", ("123", 6) -> "000123".
std::string Ajusta(const std::string& text, int width);
// Exactly `width` characters, text at the left, blanks after; cut at the right.
std::string TamFixo(const std::string& text, int width);
// Exactly `width` characters, text at the right, blanks before; a longer
// text keeps its first `width` characters.
std::string TamFixoR(const std::string& text, int width);
// The text centred in `width` columns (blanks on both sides, the odd one
// on the right); a longer text is cut to the width.
std::string Centraliza(const std::string& text, unsigned char width);
std::string Replicate(const std::string& text, int count);
bool EmptyString(const std::string& text);  // true only for ""

template <typename T>
T iif(bool condition, T a, T b) {
  return condition ? a : b;
}
inline std::string iif(bool condition, const char* a, const char* b) { return condition ? a : b; }

// The value cut (not rounded) to 2 or 3 decimals, on the decimal value the
// double stands for: Trunc2(1.15 * 3) == 3.45.
double Trunc2(double value);
double Trunc3(double value);
// "1F" -> 31; raises platform::EConvertError on a non-hexadecimal text.
int HexaToInt(const std::string& text);
// A pause of count x 100 ms on the library clock, processing messages.
void Delay(unsigned char count);

// The message catalogue: entries "key|text" in order. Keys match without
// regard to letter case; of two entries with the same key the first wins;
// a key the catalogue lacks answers the key itself.
class TMessages {
 public:
  TMessages() = default;
  explicit TMessages(const std::vector<std::string>& entries);
  void Add(const std::string& entry);  // "key|text"
  std::string Msg(const std::string& key) const;
  int Count() const { return static_cast<int>(entries_.size()); }
  // Entry i as "key|text", in the order added.
  std::string Entry(int index) const;

 private:
  std::vector<std::pair<std::string, std::string>> entries_;
};

// Modal touch dialog through the current presenter (platform/dialogs.h):
// type 1 error, 2 information, 3 confirmation; buttons 4 OK, 3 Yes and No;
// answers 6 Yes, 7 No, 1 OK.
int TouchMessageDlg(const std::string& text, int dialog_type, int buttons, int x = 0, int y = 0,
                    const std::string& caption = "");
// A notice that waits for no answer.
void TouchMessage(const std::string& text, int dialog_type, int buttons, int x = 0, int y = 0,
                  const std::string& caption = "");

}  // namespace util

PKG_QDM_PUBLIC_END
