#include "facade/operator_messages.h"

#include "facade/Qdm00000.h"
#include "platform/dialogs/dialogs.h"

namespace Qdm00000 {

int ShowMessage(const std::string& key, int dialog_type, int buttons) {
  return util::TouchMessageDlg(DataModule().msgPadrao.Msg(key), dialog_type, buttons, 0, 0, "");
}

}  // namespace Qdm00000
