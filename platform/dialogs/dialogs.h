// Modal dialogs go through a presenter that the host installs. Two come
// with the public header:
//   - UnattendedPresenter: the default, for a process with no operator;
//     never blocks: OK for information, No for questions, Close for choice
//     forms, and a log line of the answer given.
//   - TerminalPresenter: for a person at a terminal; texts shown in UTF-8,
//     answered from the keyboard. A host that has a person at a terminal
//     installs it at start: SetDialogPresenter(std::make_shared<TerminalPresenter>()).
// A front end with windows installs its own presenter. Tests use the
// scripted presenter (platform/dialogs/scripted.h, in the testing header).
// Texts are Windows-1252 throughout.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

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
  char accelerator = 0;     // key that picks it ('1', '2', '9')
  std::string caption;      // "&1", "&9 - Encerra"
  std::string description;  // what the option stands for, e.g. "TecBan"
  int result = 0;           // what choosing it answers
  bool cancel = false;      // also chosen by Esc
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

// The presenter in use. Setting nullptr restores the default (unattended).
// Any thread; a presenter may replace itself from inside its own dialog.
void SetDialogPresenter(std::shared_ptr<DialogPresenter> presenter);
// The presenter to show a dialog on. Hold the answer for the length of the
// dialog (CurrentDialogPresenter()->Show(...) does): the presenter stays
// alive until then even when another one is installed meanwhile.
std::shared_ptr<DialogPresenter> CurrentDialogPresenter();
// Where the unattended presenter writes its line ("Dialogo sem operador: ...").
// The facade points it at its debug log.
void SetDialogLogger(std::function<void(const std::string&)> logger);

}  // namespace platform

PKG_QDM_PUBLIC_END
