// The printer's tables: totalizers, payment methods and tax rates, their
// programming and the answers that list them at each model's places.
#include "emulators/common/fields.h"
#include "emulators/daruma/commands.h"

namespace daremu {

using emu::Padded;

// Sign ("+" adds to the drawer, "-" takes from it) or "V" (a name-only
// totalizer), then the 21-character name. A name is held once.
void NameTotalizer(Command& c) {
  PrinterState& s = c.state;
  const std::string& p = c.params;
  if (p.size() != 1 + kTotalizerName || (p[0] != '+' && p[0] != '-' && p[0] != 'V')) return c.Refuse(kBadParameters);
  const std::string name = p.substr(1);
  if (emu::Trim(name).empty()) return c.Refuse(kBadParameters);
  const bool named = p[0] == 'V';
  std::vector<std::string>& table = named ? s.named_totalizers : s.signed_totalizers;
  for (const std::string& entry : table)
    if (emu::SameName(named ? entry : entry.substr(1), name)) return c.Refuse(kTableFull);
  if (table.size() >= (named ? kNamedSlots : kSignedSlots)) return c.Refuse(kTableFull);
  table.push_back(named ? p.substr(1) : p);
  c.answer = "0" + std::string(1, static_cast<char>('A' + table.size() - 1));
  c.changed = true;
}

// "PG", the flag ("V": a credit note may be issued), the letter and the
// 16-character name. A letter already used keeps its name; only its flag
// changes. A name is held once: the payment table is a fiscal record that
// nothing cleans.
void ProgramMethod(Command& c) {
  PrinterState& s = c.state;
  const std::string& p = c.params;
  if (p.size() != 4 + kMethodName || p.substr(0, 2) != "PG" || (p[2] != 'V' && p[2] != 'N') || p[3] < 'A' || p[3] > 'Q')
    return c.Refuse(kBadParameters);
  const std::size_t slot = static_cast<std::size_t>(p[3] - 'A');
  const std::string name = emu::Trim(p.substr(4));
  if (name.empty() || slot > s.methods.size() || slot >= kMethodSlots) return c.Refuse(kBadParameters);
  for (std::size_t other = 0; other < s.methods.size(); ++other)
    if (other != slot && emu::SameName(s.methods[other].name, name)) return c.Refuse(kTableFull);
  if (slot < s.methods.size()) {
    if (!emu::SameName(s.methods[slot].name, name)) return c.Refuse(kTableFull);
    s.methods[slot].flag = p[2];
  } else {
    s.methods.push_back({p[2], name, 0});
  }
  c.answer = "0" + std::string(1, p[3]);
  c.changed = true;
}

// Sixteen slots of five characters: the code letter and four digits, or
// "/" in second place for an empty slot.
void Rates(Command& c) {
  std::string table;
  for (std::size_t i = 0; i < kRateSlots; ++i) {
    if (i < c.state.rates.size()) {
      const Rate& r = c.state.rates[i];
      table += std::string(1, r.code) + Digits(r.hundredths, 4);
    } else {
      table += std::string(1, static_cast<char>('A' + i)) + "////";
    }
  }
  c.answer = "0" + table;
}

// Type 7: a header to 21, the sign-and-name table (16 x 22) from 22, the
// name table (15 x 21) from 374, the payment methods (16 x 17: flag and
// name) from 710. Type 8: a header to 35 and one table from 36 of 26
// entries of 22, the name and a sign (or "V").
void Tables(Command& c) {
  const PrinterState& s = c.state;
  std::string body = "0";
  if (s.model == 8) {
    body += Padded(Digits(s.coo, 6) + Digits(s.reductions, 4), 33);
    std::string table;
    for (const std::string& e : s.signed_totalizers) table += Padded(e.substr(1), kTotalizerName) + e[0];
    for (const std::string& e : s.named_totalizers) table += Padded(e, kTotalizerName) + "V";
    body += Padded(table, 26 * (kTotalizerName + 1));
  } else {
    body += Padded(Digits(s.coo, 6) + Digits(s.reductions, 4), 19);
    std::string signed_table, named_table, methods;
    for (const std::string& e : s.signed_totalizers) signed_table += Padded(e, kTotalizerName + 1);
    for (const std::string& e : s.named_totalizers) named_table += Padded(e, kTotalizerName);
    for (const Method& m : s.methods) methods += std::string(1, m.flag) + Padded(m.name, kMethodName);
    body += Padded(signed_table, kSignedSlots * (kTotalizerName + 1));
    body += Padded(named_table, kNamedSlots * kTotalizerName + kTotalizerName);
    body += Padded(methods, kMethodSlots * (kMethodName + 1) + 15);
  }
  c.answer = body;
}

}  // namespace daremu
