// The register's files made readable for a person at a terminal: the debug
// log and the printed tape are Windows-1252 bytes with the printer's
// control bytes and blank-filled answers; the files themselves are never
// changed.
#pragma once
#include <string>
#include <vector>

namespace qdm_register {

struct LogViewOptions {
  // Only the lines that report an error ("ERRO!!!"); the "Cupom aberto."
  // the printer answers to every command of a coupon the run opened itself
  // is folded into one count at the end.
  bool errors_only = false;
  bool fold_blanks = true;  // runs of blanks as "<N brancos>" (not for a printed tape's columns)
};

// UTF-8 text: each line of `bytes` (CR LF or LF ends a line) with control
// bytes shown by name ("<ESC>", "<STX>", "<CR>" inside a line), trailing
// blanks and zeros (an answer's padding) dropped and long runs of blanks
// folded into "<N brancos>" unless told not to.
std::string Readable(const std::string& bytes, const LogViewOptions& options = {});

// Lines of a debug log an operator must see even when nobody reads the log:
// errors ("ERRO!!!") and coupons or transactions cancelled ("cancelad..."),
// Windows-1252 as written.
std::vector<std::string> NotableLines(const std::string& bytes);

}  // namespace qdm_register
