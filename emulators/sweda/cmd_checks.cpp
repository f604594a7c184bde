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

void CheckData(Command& c) {
  PrinterState& s = c.state;
  if (s.Open() != Document::None) return c.Refuse(Refusal::Unfinished);
  const auto amount = Digits(c.args, 0, 12);
  if (!amount || *amount == 0) return c.Refuse(Refusal::BadParameter);
  if (!s.coupon_open) s.coupon.reset();
  s.check_in_progress = true;
  c.Print("CHEQUE  R$ " + emu::Money(*amount) + "  " + emu::Trim(c.args.substr(12)) + "\n");
}

void EndCheck(Command& c) {
  if (!c.state.check_in_progress) return c.Refuse(Refusal::OutOfSequence);
  c.state.check_in_progress = false;
  c.Print("FIM DO CHEQUE\n");
}

}  // namespace swdemu
