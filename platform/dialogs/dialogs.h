// Modal dialogs go through a presenter that the host installs. Three come
// with the library:
//   - TerminalPresenter: for a person at a terminal; texts shown in UTF-8,
//     answered from the keyboard.
//   - ScriptedPresenter: for tests; answers queued in advance, every dialog
//     recorded with its text, type and buttons.
//   - UnattendedPresenter: for a process with no terminal and no host
//     presenter; never blocks: OK for information, No for questions, Close
//     for choice forms, and a log line of the answer given.
// The default is the terminal presenter when standard input is a terminal,
// else the unattended one. Texts are Windows-1252 throughout.
#pragma once
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Dialog types, button sets and modal results as the utility package numbers them.
constexpr int mtError = 1;
constexpr int mtInformation = 2;
constexpr int mtConfirmation = 3;
constexpr int mbNone = 0;
constexpr int mbYesNo = 3;
constexpr int mbOK = 4;
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrYes = 6;
constexpr int mrNo = 7;

struct DialogRequest {
  std::string text;
  int type = mtInformation;
  int buttons = mbOK;
  bool modal = true;  // false for a notice that waits for no answer
};

// A small modal form offering a few choices (the card-network chooser).
struct ChoiceOption {
  char accelerator = 0;  // key that picks it ('1', '2', '9')
  std::string caption;   // "&1", "&9 - Encerra"
  std::string description;  // what the option stands for, e.g. "TecBan"
  int result = 0;        // what choosing it answers
  bool cancel = false;   // also chosen by Esc
};
struct ChoiceRequest {
  std::string caption;  // form caption
  std::string prompt;   // "Escolha a Rede Desejada"
  std::vector<ChoiceOption> options;
  int close_result = 0;  // answered when the form is closed without a choice
};

class DialogPresenter {
 public:
  virtual ~DialogPresenter() = default;
  // Answers a modal result (mrOk, mrYes, mrNo...); for a notice (modal
  // false) the answer is ignored.
  virtual int Show(const DialogRequest& request) = 0;
  // Answers the result of the chosen option, or close_result.
  virtual int Choose(const ChoiceRequest& request) = 0;
};

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
  void Clear() { answers_.clear(); seen_.clear(); }
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

class UnattendedPresenter : public DialogPresenter {
 public:
  int Show(const DialogRequest& request) override;
  int Choose(const ChoiceRequest& request) override;
};

class TerminalPresenter : public DialogPresenter {
 public:
  // Reads answers from `in` and writes to `out`, both file descriptors.
  explicit TerminalPresenter(int in_fd = 0, int out_fd = 1);
  int Show(const DialogRequest& request) override;
  int Choose(const ChoiceRequest& request) override;

 private:
  int in_fd_;
  int out_fd_;
};

// The presenter in use. Setting nullptr restores the default.
void SetDialogPresenter(std::shared_ptr<DialogPresenter> presenter);
DialogPresenter& CurrentDialogPresenter();
// Where the unattended presenter writes its line ("Dialogo sem operador: ...").
// The facade points it at its debug log.
void SetDialogLogger(std::function<void(const std::string&)> logger);

}  // namespace platform
