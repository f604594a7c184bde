// The scripted presenter for tests: answers queued in advance, every dialog
// recorded with its text, type and buttons. Not part of the public header;
// tests reach it through package/Pkg_Qdm_testing.h.
#pragma once
#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/dialogs/dialogs.h"
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace platform {

// What a scripted presenter saw.
struct RecordedDialog {
  std::string text;
  int type = 0;
  int buttons = 0;
  bool modal = true;
  bool choice = false;  // a choice form: text holds its caption
  int answer = 0;
};

class ScriptedPresenter : public DialogPresenter {
 public:
  // Answers are used in order, dialogs and choice forms alike. With the
  // queue empty a dialog gets the unattended answer (OK, or No for Yes/No)
  // and a choice form its close_result.
  void Answer(int modal_result) { answers_.push_back(modal_result); }
  void AnswerMany(std::initializer_list<int> results) {
    for (int r : results) answers_.push_back(r);
  }
  std::size_t Pending() const { return answers_.size(); }
  const std::vector<RecordedDialog>& Seen() const { return seen_; }
  std::vector<std::string> Texts() const;
  void Clear() {
    answers_.clear();
    seen_.clear();
  }
  // Called inside Show/Choose before answering (lets a test act while a
  // dialog is "open", e.g. start a re-entrant command).
  std::function<void(const RecordedDialog&)> on_show;

  int Show(const DialogRequest& request) override;
  int Choose(const ChoiceRequest& request) override;

 private:
  // Takes the next queued answer (or the fallback), records the dialog and
  // runs the hook.
  int Record(RecordedDialog dialog, bool takes_answer, int fallback);
  std::deque<int> answers_;
  std::vector<RecordedDialog> seen_;
};

}  // namespace platform

PKG_QDM_PUBLIC_END
