// The dialogs for a person at a terminal: a framed text in UTF-8 and an
// answer typed on the keyboard. At end of input the unattended answer is
// given, so a closed terminal never hangs the register.
#include <cctype>
#include <optional>

#include "platform/dialogs/dialogs.h"
#include "platform/dialogs/terminal_io.h"
#include "platform/dialogs/unattended.h"
#include "platform/base/encoding.h"

namespace platform {

namespace {

using dialogs_detail::ReadLine;
using dialogs_detail::WriteAll;

// After this many answers that mean nothing the input is taken for noise,
// not for an operator, and the dialog answers as if unattended.
constexpr int kMaxInvalidAnswers = 10;
constexpr char kEsc = '\x1B';
const std::string kRule(50, '=');

std::string TypeLabel(int type) {
  switch (type) {
    case mtError:
      return "ERRO";
    case mtInformation:
      return "INFORMACAO";
    case mtConfirmation:
      return "CONFIRMACAO";
    default:
      return "AVISO";
  }
}

// Printer and catalogue texts end their lines in CR LF or CR alone.
std::string TerminalLines(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string Header(const std::string& title) {
  std::string head = "== " + title + " ";
  if (head.size() < kRule.size()) head += std::string(kRule.size() - head.size(), '=');
  return "\n" + head + "\n";
}

// Only blanks and tabs: a lone ESC byte is an answer.
std::string StripBlanks(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::optional<int> YesNoAnswer(const std::string& typed) {
  const std::string word = Lower(StripBlanks(typed));
  if (word == "s" || word == "sim" || word == "y" || word == "yes") return mrYes;
  if (word == "n" || word == "nao" || word == "no") return mrNo;
  return std::nullopt;
}

char OptionKey(const ChoiceOption& option) {
  if (option.accelerator != 0) return option.accelerator;
  const auto amp = option.caption.find('&');
  if (amp != std::string::npos && amp + 1 < option.caption.size()) return option.caption[amp + 1];
  return 0;
}

// "&9 - Encerra" shows as "Encerra" beside its key; "&1" with a
// description shows the description.
std::string OptionLabel(const ChoiceOption& option, char key) {
  if (!option.description.empty()) return option.description;
  std::string label;
  for (char c : option.caption) {
    if (c != '&') label += c;
  }
  const std::string keyed = std::string(1, key) + " - ";
  if (key != 0 && label.compare(0, keyed.size(), keyed) == 0) label.erase(0, keyed.size());
  return label;
}

bool SameKey(char a, char b) {
  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

bool HasKey(const ChoiceRequest& request, char key) {
  for (const auto& option : request.options) {
    if (SameKey(OptionKey(option), key)) return true;
  }
  return false;
}

const ChoiceOption* CancelOption(const ChoiceRequest& request) {
  for (const auto& option : request.options) {
    if (option.cancel) return &option;
  }
  return nullptr;
}

// The key that closes the form without a choice, unless an option took it.
char CloseKey(const ChoiceRequest& request) { return HasKey(request, '0') ? 'X' : '0'; }

std::optional<int> ChoiceAnswer(const ChoiceRequest& request, const std::string& typed) {
  const std::string word = StripBlanks(typed);
  if (word.size() == 1) {
    for (const auto& option : request.options) {
      if (SameKey(OptionKey(option), word[0])) return option.result;
    }
  }
  const ChoiceOption* cancel = CancelOption(request);
  if (word == std::string(1, kEsc) || Lower(word) == "esc") {
    return cancel != nullptr ? cancel->result : request.close_result;
  }
  if (word.size() == 1 && (SameKey(word[0], CloseKey(request)) || SameKey(word[0], 'x'))) {
    return request.close_result;
  }
  return std::nullopt;
}

std::string ChoiceScreen(const ChoiceRequest& request) {
  std::string screen = Header(request.caption);
  if (!request.prompt.empty()) screen += TerminalLines(request.prompt) + "\n";
  screen += "\n";
  for (const auto& option : request.options) {
    const char key = OptionKey(option);
    if (key == 0) continue;  // no key, no way to pick it here
    const std::string label = OptionLabel(option, key);
    screen += "  " + std::string(1, key);
    if (!label.empty() && label != std::string(1, key)) screen += " - " + label;
    screen += "\n";
  }
  if (const ChoiceOption* cancel = CancelOption(request)) {
    screen += "  Esc - " + OptionLabel(*cancel, OptionKey(*cancel)) + "\n";
  }
  screen += "  " + std::string(1, CloseKey(request)) + " - Fechar sem escolher\n";
  return screen + kRule + "\n";
}

// Texts are built in Windows-1252 like everything else; the terminal reads UTF-8.
void Say(int fd, const std::string& text) { WriteAll(fd, Cp1252ToUtf8(text)); }

}  // namespace

TerminalPresenter::TerminalPresenter(int in_fd, int out_fd) : in_fd_(in_fd), out_fd_(out_fd) {}

int TerminalPresenter::Show(const DialogRequest& request) {
  const auto say = [this](const std::string& text) { Say(out_fd_, text); };
  say(Header(TypeLabel(request.type)) + TerminalLines(request.text) + "\n" + kRule + "\n");
  if (dialogs_detail::IsNotice(request)) return mrNone;

  const bool question = request.buttons == mbYesNo;
  const std::string prompt = question ? "Confirma? (S = sim, N = n\xE3o): " : "Tecle Enter para continuar: ";
  for (int invalid = 0; invalid < kMaxInvalidAnswers; ++invalid) {
    say(prompt);
    std::string typed;
    if (!ReadLine(in_fd_, typed)) break;
    if (!question) return mrOk;
    if (const auto answer = YesNoAnswer(typed)) return *answer;
    say("Resposta inv\xE1lida.\n");
  }
  const int answer = dialogs_detail::UnattendedAnswer(request);
  say("\n(sem resposta do operador)\n");
  dialogs_detail::NoteUnattended(request, answer);
  return answer;
}

int TerminalPresenter::Choose(const ChoiceRequest& request) {
  const auto say = [this](const std::string& text) { Say(out_fd_, text); };
  say(ChoiceScreen(request));
  for (int invalid = 0; invalid < kMaxInvalidAnswers; ++invalid) {
    say("Op\xE7\xE3o: ");
    std::string typed;
    if (!ReadLine(in_fd_, typed)) break;
    if (const auto answer = ChoiceAnswer(request, typed)) return *answer;
    say("Op\xE7\xE3o inv\xE1lida.\n");
  }
  say("\n(sem resposta do operador)\n");
  dialogs_detail::NoteUnattendedChoice(request);
  return request.close_result;
}

}  // namespace platform
