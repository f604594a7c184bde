// The check station of the type-4 model: format, layout, the check's data
// (which prints it) and the end of check printing.
#include "emulators/common/fields.h"
#include "emulators/sweda/commands.h"

namespace swdemu {

void CheckFormat(Command& c) {
  if (c.args.size() < 2 || c.args[0] != 'S') return c.Refuse(Refusal::BadParameter);
  c.state.check_format = c.args.substr(1);
}

void CheckLayout(Command& c) {
  if (c.args.empty()) return c.Refuse(Refusal::BadParameter);
  c.state.check_format += "|" + c.args;
}

// The check's data (amount, payee, place, date) come as the register wrote
// them, joined: the check is printed with them as they are.
void CheckData(Command& c) {
  PrinterState& s = c.state;
  if (s.Open() != Document::None) return c.Refuse(Refusal::Unfinished);
  if (emu::Trim(c.args).empty()) return c.Refuse(Refusal::BadParameter);
  if (!s.coupon_open) s.coupon.reset();
  s.check_in_progress = true;
  c.Print("CHEQUE  " + emu::Trim(c.args) + "\n");
}

void EndCheck(Command& c) {
  if (!c.state.check_in_progress) return c.Refuse(Refusal::OutOfSequence);
  c.state.check_in_progress = false;
  c.Print("FIM DO CHEQUE\n");
}

}  // namespace swdemu
