// Catalogue texts shown to the operator in the touch dialogs.
#pragma once
#include <string>

namespace Qdm00000 {

// Shows the text of a catalogue key; answers the modal result. An error
// with an OK button is drivers::ShowError of the key's catalogue text.
int ShowMessage(const std::string& key, int dialog_type, int buttons);

}  // namespace Qdm00000
