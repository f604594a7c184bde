// The presenter in use, and the two presenters that need no terminal: the
// scripted one for tests and the unattended one for a process without an
// operator.
#include "platform/dialogs/dialogs.h"

#include <unistd.h>

#include <mutex>

#include "platform/dialogs/unattended.h"

namespace platform {

namespace {

std::mutex g_presenter_mutex;
std::shared_ptr<DialogPresenter> g_presenter;
// The presenter just replaced stays alive, so a dialog that is open on it
// while it is swapped out can still finish.
std::shared_ptr<DialogPresenter> g_replaced;

}  // namespace

void SetDialogPresenter(std::shared_ptr<DialogPresenter> presenter) {
  std::lock_guard<std::mutex> lock(g_presenter_mutex);
  g_replaced = std::move(g_presenter);
  g_presenter = std::move(presenter);
}

DialogPresenter& CurrentDialogPresenter() {
  std::lock_guard<std::mutex> lock(g_presenter_mutex);
  if (g_presenter) return *g_presenter;
  static TerminalPresenter terminal;
  static UnattendedPresenter unattended;
  if (isatty(0)) return terminal;
  return unattended;
}

std::vector<std::string> ScriptedPresenter::Texts() const {
  std::vector<std::string> texts;
  texts.reserve(seen_.size());
  for (const auto& dialog : seen_) texts.push_back(dialog.text);
  return texts;
}

namespace {

// The hook may show further dialogs or replace itself; run a copy.
void RunHook(const std::function<void(const RecordedDialog&)>& on_show,
             const RecordedDialog& dialog) {
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

int UnattendedPresenter::Show(const DialogRequest& request) {
  const int answer = dialogs_detail::UnattendedAnswer(request);
  dialogs_detail::NoteUnattended(request, answer);
  return answer;
}

int UnattendedPresenter::Choose(const ChoiceRequest& request) {
  dialogs_detail::NoteUnattendedChoice(request);
  return request.close_result;
}

}  // namespace platform
