// The scripted presenter of the tests.
#include "platform/dialogs/scripted.h"

#include "platform/dialogs/unattended.h"

namespace platform {

std::vector<std::string> ScriptedPresenter::Texts() const {
  std::vector<std::string> texts;
  texts.reserve(seen_.size());
  for (const auto& dialog : seen_) texts.push_back(dialog.text);
  return texts;
}

namespace {

// The hook may show further dialogs or replace itself; run a copy.
void RunHook(const std::function<void(const RecordedDialog&)>& on_show, const RecordedDialog& dialog) {
  auto hook = on_show;
  if (hook) hook(dialog);
}

}  // namespace

int ScriptedPresenter::Record(RecordedDialog dialog, bool takes_answer, int fallback) {
  if (takes_answer && !answers_.empty()) {
    dialog.answer = answers_.front();
    answers_.pop_front();
  } else {
    dialog.answer = fallback;
  }
  seen_.push_back(dialog);
  RunHook(on_show, dialog);
  return dialog.answer;
}

int ScriptedPresenter::Show(const DialogRequest& request) {
  RecordedDialog dialog;
  dialog.text = request.text;
  dialog.type = request.type;
  dialog.buttons = request.buttons;
  dialog.modal = request.modal;
  // A notice waits for no answer, so it leaves the queued answers to the
  // dialogs that do.
  return Record(dialog, request.modal, dialogs_detail::UnattendedAnswer(request));
}

int ScriptedPresenter::Choose(const ChoiceRequest& request) {
  RecordedDialog dialog;
  dialog.text = request.caption;
  dialog.choice = true;
  return Record(dialog, true, request.close_result);
}

}  // namespace platform
