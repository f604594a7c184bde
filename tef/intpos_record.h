// IntPos records: where the files lie under the current root, how a field
// is read and a request written, and the blocks of a voucher store.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "platform/dataset/stringlist.h"

namespace Qdm00500::detail {

inline constexpr const char* kRootDial = "c:\\tef_dial\\";
inline constexpr const char* kRootDisc = "c:\\tef_disc\\";
inline constexpr const char* kRequestFile = "req\\intpos.001";
inline constexpr const char* kAnswerFile = "resp\\intpos.001";
inline constexpr const char* kStatusFile = "resp\\intpos.sts";
inline constexpr const char* kAnswerDir = "resp\\";
inline constexpr const char* kRequestDir = "req\\";
// Answers that could not be read, set aside by the start (never deleted).
inline constexpr const char* kUnreadableDir = "resp\\ilegiveis\\";
// Held by the register exchanging files with the root's manager.
inline constexpr const char* kLockFile = "qdm_tef.lck";
inline constexpr const char* kEndOfRecord = "999-999 = 0";

// An IntPos record holds a few kilobytes (999 voucher lines at most): a file
// above this bound is not read.
inline constexpr std::size_t kIntPosFileLimit = std::size_t{1} << 20;

// The record in a file (host or mapped name). Raises EInOutError, naming
// the file, when it cannot be read or is larger than kIntPosFileLimit.
platform::TStringList LoadRecord(const std::string& file);

// DirTef followed by a name relative to the root.
std::string TefFile(const std::string& relative);

// "000-000 = ATV".
std::string FieldLine(const std::string& code, const std::string& value);
// Value of the first line named code + " ", trimmed; "" when absent.
std::string FieldValue(const platform::TStringList& record, const std::string& code);

// Writes the lines and the closing "999-999 = 0" to "req\intpos.001" of
// the current root. The record is written beside its place and renamed in,
// so the manager never takes half a request. Raises EInOutError.
void WriteRequest(const std::vector<std::string>& lines);

// Block k of a voucher store: the lines after the line "k" up to the line
// "k + 1" or the end; empty when there is no line "k".
platform::TStringList ExtractBlock(const platform::TStringList& store, int k);

// Number of voucher lines (028-000); 0 when absent or not a number.
int VoucherLineCount(const platform::TStringList& answer);
// Voucher line i (029-00i) without the quotes the manager puts around it.
std::string VoucherLine(const platform::TStringList& answer, int i);

}  // namespace Qdm00500::detail
