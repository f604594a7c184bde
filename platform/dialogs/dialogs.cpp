// The presenter in use, and the unattended presenter, the default for a
// process without an operator.
#include "platform/dialogs/dialogs.h"

#include <mutex>

#include "platform/dialogs/unattended.h"

namespace platform {

namespace {

std::mutex g_presenter_mutex;
// Each dialog holds its own reference to the presenter it runs on, so a
// presenter replaced while one of its dialogs is open lives until that
// dialog ends, however many times it is replaced meanwhile.
std::shared_ptr<DialogPresenter> g_presenter;

// Never destroyed: a dialog may still be open while the process ends.
const std::shared_ptr<DialogPresenter>& DefaultPresenter() {
  static auto* unattended = new std::shared_ptr<DialogPresenter>(std::make_shared<UnattendedPresenter>());
  return *unattended;
}

}  // namespace

void SetDialogPresenter(std::shared_ptr<DialogPresenter> presenter) {
  std::shared_ptr<DialogPresenter> replaced;  // released outside the lock
  std::lock_guard<std::mutex> lock(g_presenter_mutex);
  replaced = std::move(g_presenter);
  g_presenter = std::move(presenter);
}

std::shared_ptr<DialogPresenter> CurrentDialogPresenter() {
  std::lock_guard<std::mutex> lock(g_presenter_mutex);
  return g_presenter ? g_presenter : DefaultPresenter();
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
