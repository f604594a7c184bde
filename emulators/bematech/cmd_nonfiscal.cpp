// Non-fiscal documents and the tables of totalizers and payment methods.
#include "emulators/bematech/commands.h"
#include "emulators/bematech/shared.h"
#include "emulators/bematech/layout.h"
#include "emulators/bematech/status_bits.h"

namespace mp20emu {

namespace {

constexpr std::size_t kTextBlockSize = 620;

// Number of the method of that name, programming it when there is room;
// 0 when it cannot be had.
int MethodFor(FiscalState& s, const std::string& name) {
  if (int known = s.MethodNumber(name)) return known;
  std::string trimmed = Trim(name);
  if (trimmed.empty() || trimmed.size() > kMethodNameSize || s.methods.size() >= kMaxMethods) return 0;
  s.methods.push_back(trimmed);
  return static_cast<int>(s.methods.size());
}

}  // namespace

void NonFiscalReceipt(Command& c) {
  FiscalState& s = c.state;
  const std::string& kind = c.args[0];
  bool supply = kind == "SU", withdrawal = kind == "SA";
  auto totalizer = DigitField(kind, 2);
  // A supply or a withdrawal is cash by definition and carries no payment
  // method; a receipt on a totalizer always names one (blank allowed).
  if ((supply || withdrawal || totalizer) && c.args.size() != (totalizer ? 3u : 2u)) return c.Refuse(kSt1FieldCount, 0);
  if (s.DocumentOpen()) return c.Refuse(0, kSt2NotExecuted);
  auto amount = DigitField(c.args[1], 14);
  if ((!supply && !withdrawal && !totalizer) || !amount || *amount == 0) return c.Refuse(0, kSt2FieldType);
  if (totalizer && (*totalizer < 1 || static_cast<std::size_t>(*totalizer) > s.totalizers.size()))
    return c.Refuse(0, kSt2NotExecuted);
  std::string method_name = c.args.size() > 2 ? Trim(c.args[2]) : std::string();
  if (method_name.size() > kMethodNameSize) return c.Refuse(0, kSt2FieldType);
  // A receipt paid with a method the printer does not know yet programs it.
  int method = method_name.empty() ? 0 : MethodFor(s, method_name);
  if (!method_name.empty() && method == 0) return c.Refuse(0, kSt2NotExecuted);

  OpenDayIfNeeded(s, c.today);
  int coo = s.NextDocument();
  s.non_fiscal += 1;
  std::string title;
  if (supply) {
    s.day.supplies += *amount;
    s.day.supply_count += 1;
    title = "SUPRIMENTO";
  } else if (withdrawal) {
    s.day.withdrawals += *amount;
    s.day.withdrawal_count += 1;
    title = "SANGRIA";
  } else {
    int number = static_cast<int>(*totalizer);
    s.day.AddTotalizer(number, *amount);
    title = Digits(number, 2) + " " + s.totalizers[static_cast<std::size_t>(number - 1)];
  }
  std::string text =
      DocumentHeader(s, c.now, coo, "COMPROVANTE N\xC3O FISCAL") + Rule() + Columns(title, Money(*amount));
  if (method) {
    s.day.AddMethod(method, *amount);
    text += Columns(s.methods[static_cast<std::size_t>(method - 1)], Money(*amount));
  }
  c.Print(text + Columns("TOTAL R$", Money(*amount)) + FiscalTrailer(s, c.now));
}

void OpenVoucher(Command& c) {
  FiscalState& s = c.state;
  if (s.DocumentOpen()) return c.Refuse(0, kSt2NotExecuted);
  const std::string& name = c.args[0];
  auto amount = DigitField(c.args[1], 14);
  const std::string& linked = c.args[2];
  bool linked_ok = linked.empty() || (linked.size() <= 6 && AllDigits(linked));
  if (Trim(name).empty() || name.size() > kMethodNameSize || !amount || *amount == 0 || !linked_ok)
    return c.Refuse(0, kSt2FieldType);
  int method = s.MethodNumber(name);
  int linked_coo = linked.empty() ? s.coo : std::stoi(linked);
  if (method == 0 || linked_coo < 1 || linked_coo > s.coo) return c.Refuse(0, kSt2NotExecuted);

  int coo = s.NextDocument();
  s.non_fiscal += 1;
  s.open_doc = OpenDoc::Voucher;
  c.Print(DocumentHeader(s, c.now, coo, "COMPROVANTE CR\311DITO OU D\311BITO") + Rule() +
          Columns("COO DO DOCUMENTO VINCULADO", Digits(linked_coo, 6)) +
          Columns(s.methods[static_cast<std::size_t>(method - 1)], Money(*amount)) + Rule());
}

void PrintText(Command& c) {
  if (c.state.open_doc == OpenDoc::None) return c.Refuse(0, kSt2NotExecuted);
  if (c.args[0].size() > kTextBlockSize) return c.Refuse(0, kSt2FieldType);
  c.Print(Wrapped(c.args[0]));
}

void ManagementReport(Command& c) {
  FiscalState& s = c.state;
  if (s.CouponOpen() || s.open_doc == OpenDoc::Voucher) return c.Refuse(0, kSt2NotExecuted);
  std::string text = c.args.empty() ? std::string() : c.args[0];
  if (text.size() > kTextBlockSize) return c.Refuse(0, kSt2FieldType);
  std::string printed;
  if (s.open_doc == OpenDoc::None) {
    int coo = s.NextDocument();
    s.non_fiscal += 1;
    s.open_doc = OpenDoc::Report;
    printed = DocumentHeader(s, c.now, coo, "RELAT\xD3RIO GERENCIAL") + Rule();
  }
  if (!Trim(text).empty()) printed += Wrapped(text);
  c.Print(printed);
}

void CloseDocument(Command& c) {
  FiscalState& s = c.state;
  if (s.open_doc == OpenDoc::None) return c.Refuse(0, kSt2NotExecuted);
  s.open_doc = OpenDoc::None;
  c.Print(FiscalTrailer(s, c.now));
}

void NameTotalizer(Command& c) {
  FiscalState& s = c.state;
  auto number = DigitField(c.args[0], 2);
  std::string name = Trim(c.args[1]);
  if (!number || *number < 1 || static_cast<std::size_t>(*number) > kMaxTotalizers || name.empty() ||
      c.args[1].size() > kTotalizerNameSize)
    return c.Refuse(0, kSt2FieldType);
  std::size_t index = static_cast<std::size_t>(*number - 1);
  if (s.DocumentOpen() || index > s.totalizers.size()) return c.Refuse(0, kSt2NotExecuted);
  for (std::size_t i = 0; i < s.totalizers.size(); ++i)
    if (i != index && SameName(s.totalizers[i], name)) return c.Refuse(0, kSt2NotExecuted);
  if (index == s.totalizers.size())
    s.totalizers.push_back(name);
  else
    s.totalizers[index] = name;
}

void ProgramPaymentMethod(Command& c) {
  FiscalState& s = c.state;
  const std::string& name = c.args[0];
  if (Trim(name).empty() || name.size() > kMethodNameSize) return c.Refuse(0, kSt2FieldType);
  int number = s.MethodNumber(name);
  if (number == 0) {
    if (s.DocumentOpen()) return c.Refuse(0, kSt2NotExecuted);
    number = MethodFor(s, name);
    if (number == 0) return c.Refuse(0, kSt2NotExecuted);
  }
  c.answer = Digits(number, 2);
}

}  // namespace mp20emu
