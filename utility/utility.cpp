// The maker's utility package: column helpers for receipts and printer
// fields, money truncation, the message catalogue and the touch dialogs.
#include "utility/utility.h"

#include <algorithm>
#include <climits>

#include "platform/os/application.h"
#include "platform/base/clock.h"
#include "platform/dialogs/dialogs.h"
#include "platform/base/errors.h"
#include "platform/text/format.h"
#include "platform/base/sysutils.h"

namespace util {

namespace {

// A negative width or count is a caller's slip; it gives an empty column.
std::size_t Width(int width) { return width > 0 ? static_cast<std::size_t>(width) : 0; }

std::string Zeros(std::size_t count) { return std::string(count, '0'); }
std::string Blanks(std::size_t count) { return std::string(count, ' '); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

platform::DialogRequest Request(const std::string& text, int type, int buttons, bool modal) {
  platform::DialogRequest request;
  request.text = text;
  request.type = type;
  request.buttons = buttons;
  request.modal = modal;
  return request;
}

constexpr int kDelayUnitMs = 100;
// Short slices keep the front end's window alive during a retry pause.
constexpr int kDelaySliceMs = 20;

}  // namespace

std::string AjustaZero(const std::string& text, int width) {
  const std::size_t w = Width(width);
  if (text.size() >= w) return text.substr(0, w);
  return Zeros(w - text.size()) + text;
}

std::string Ajusta(const std::string& text, int width) {
  const std::size_t w = Width(width);
  if (text.size() >= w) return text.substr(text.size() - w);
  return Zeros(w - text.size()) + text;
}

std::string TamFixo(const std::string& text, int width) {
  const std::size_t w = Width(width);
  if (text.size() >= w) return text.substr(0, w);
  return text + Blanks(w - text.size());
}

std::string TamFixoR(const std::string& text, int width) {
  const std::size_t w = Width(width);
  if (text.size() >= w) return text.substr(0, w);
  return Blanks(w - text.size()) + text;
}

std::string Centraliza(const std::string& text, unsigned char width) {
  const std::size_t w = width;
  if (text.size() >= w) return text.substr(0, w);
  const std::size_t spare = w - text.size();
  const std::size_t left = spare / 2;
  return Blanks(left) + text + Blanks(spare - left);
}

std::string Replicate(const std::string& text, int count) {
  std::string out;
  const std::size_t n = Width(count);
  out.reserve(text.size() * n);
  for (std::size_t i = 0; i < n; ++i) out += text;
  return out;
}

bool EmptyString(const std::string& text) { return text.empty(); }

double Trunc2(double value) { return platform::CutTo(value, 2); }
double Trunc3(double value) { return platform::CutTo(value, 3); }

int HexaToInt(const std::string& text) {
  const auto invalid = [&text]() { return platform::EConvertError("'" + text + "' is not a valid hexadecimal value"); };
  if (text.empty()) throw invalid();
  long long value = 0;
  for (char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) throw invalid();
    value = value * 16 + digit;
    if (value > INT_MAX) throw invalid();
  }
  return static_cast<int>(value);
}

void Delay(unsigned char count) {
  int remaining = count * kDelayUnitMs;
  platform::Application().ProcessMessages();
  while (remaining > 0) {
    const int slice = std::min(remaining, kDelaySliceMs);
    platform::clock::Pause(slice);
    remaining -= slice;
    platform::Application().ProcessMessages();
  }
}

TMessages::TMessages(const std::vector<std::string>& entries) {
  for (const auto& entry : entries) Add(entry);
}

void TMessages::Add(const std::string& entry) {
  const auto bar = entry.find('|');
  if (bar == std::string::npos) {
    entries_.emplace_back(entry, std::string());
  } else {
    entries_.emplace_back(entry.substr(0, bar), entry.substr(bar + 1));
  }
}

std::string TMessages::Msg(const std::string& key) const {
  for (const auto& [entry_key, text] : entries_) {
    if (platform::SameText(entry_key, key)) return text;
  }
  return key;
}

std::string TMessages::Entry(int index) const {
  if (index < 0 || index >= Count()) {
    throw platform::Exception("List index out of bounds (" + std::to_string(index) + ")");
  }
  const auto& [key, text] = entries_[static_cast<std::size_t>(index)];
  return key + "|" + text;
}

int TouchMessageDlg(const std::string& text, int dialog_type, int buttons, int /*x*/, int /*y*/,
                    const std::string& /*caption*/) {
  return platform::CurrentDialogPresenter()->Show(Request(text, dialog_type, buttons, true));
}

void TouchMessage(const std::string& text, int dialog_type, int buttons, int /*x*/, int /*y*/,
                  const std::string& /*caption*/) {
  platform::CurrentDialogPresenter()->Show(Request(text, dialog_type, buttons, false));
}

}  // namespace util
