// The tables: reading with "29", programming the totalizers ("38") and the
// payment methods ("39"), which the fiscal memory takes only between a Z
// reduction and the day's first movement.
#include "emulators/sweda/commands.h"

namespace swdemu {

void ReadTable(Command& c) {
  if (c.args.size() != 1) return c.Refuse(Refusal::BadParameter);
  c.answer = TableAnswer(c.state, c.args[0]);
  if (c.answer.empty()) c.Refuse(Refusal::BadParameter);
}

void ProgramTotalizers(Command& c) {
  PrinterState& s = c.state;
  if (s.day_open) return c.Refuse(Refusal::DayOpen);
  // "N" (new entries), then entries of a sign and a 14-character name.
  if (c.args.empty() || c.args[0] != 'N' || (c.args.size() - 1) % kTotalizerEntry != 0 || c.args.size() == 1)
    return c.Refuse(Refusal::BadParameter);
  std::vector<std::string> entries;
  for (std::size_t at = 1; at < c.args.size(); at += kTotalizerEntry) {
    const std::string entry = c.args.substr(at, kTotalizerEntry);
    if (entry[0] != '&' && entry[0] != '+' && entry[0] != '-') return c.Refuse(Refusal::BadParameter);
    entries.push_back(entry);
  }
  std::size_t used = 0;
  while (used < kTotalizers && !s.totalizers[used].empty()) ++used;
  if (used + entries.size() > kTotalizers) return c.Refuse(Refusal::TableFull);
  for (const std::string& entry : entries) s.totalizers[used++] = entry;
}

void ProgramMethods(Command& c) {
  PrinterState& s = c.state;
  if (s.day_open) return c.Refuse(Refusal::DayOpen);
  const std::size_t width = MethodWidth(s.model);
  if (c.args.empty() || c.args.size() % width != 0 || c.args.size() / width > kMethods)
    return c.Refuse(Refusal::BadParameter);
  std::array<Method, kMethods> methods{};
  for (std::size_t i = 0; i * width < c.args.size(); ++i) {
    const std::string entry = c.args.substr(i * width, width);
    std::string name = entry.substr(width - kMethodName);
    name.erase(name.find_last_not_of(' ') + 1);
    methods[i] = Method{width > kMethodName ? entry[0] : 'S', name};
  }
  s.methods = methods;
}

}  // namespace swdemu
