// Catalogue texts shown to the operator in the touch dialogs.
#pragma once
#include <string>

namespace Qdm00000 {

// Shows the text of a catalogue key; answers the modal result.
int ShowMessage(const std::string& key, int dialog_type, int buttons);
// An error with an OK button.
void ShowError(const std::string& key);

}  // namespace Qdm00000
