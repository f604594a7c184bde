// The operator of the demo register. At a terminal a person answers every
// question; without one (CI, a pipe) the demo answers by rule so the sale
// still completes: a past fiscal day is reduced, readings are skipped, a
// printer that does not answer is not retried, at the till closing the
// till is closed and the Z reduction and products report confirmed, and
// every dialog is shown with the answer given.
#pragma once
#include <memory>

#include "platform/dialogs/dialogs.h"

namespace qdm_register {

class DemoOperator : public platform::DialogPresenter {
 public:
  explicit DemoOperator(bool interactive);
  int Show(const platform::DialogRequest& request) override;
  int Choose(const platform::ChoiceRequest& request) override;

 private:
  bool interactive_;
  platform::TerminalPresenter terminal_;
};

}  // namespace qdm_register
