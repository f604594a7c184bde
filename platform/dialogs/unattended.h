// What a dialog answers when no operator can answer it, and the log line
// that says so. Shared by the presenters that may run without a person.
#pragma once
#include <string>

#include "platform/dialogs/dialogs.h"

namespace platform::dialogs_detail {

// A notice or a dialog without buttons needs no answer
// (these presenters do not wait on it).
bool IsNotice(const DialogRequest& request);
// OK for an OK dialog, No for a question, none for a notice.
int UnattendedAnswer(const DialogRequest& request);
// One log line through the dialog logger; a failing logger never breaks the
// operation that showed the dialog.
void NoteUnattended(const DialogRequest& request, int answer);
void NoteUnattendedChoice(const ChoiceRequest& request);
// The text on one line: CR and LF become blanks.
std::string OneLine(const std::string& text);

}  // namespace platform::dialogs_detail
