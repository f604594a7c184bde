#include "platform/dialogs/unattended.h"

#include <functional>
#include <mutex>

namespace platform {

namespace {

std::mutex g_logger_mutex;
std::function<void(const std::string&)> g_logger;

void Log(const std::string& line) {
  std::function<void(const std::string&)> logger;
  {
    std::lock_guard<std::mutex> lock(g_logger_mutex);
    logger = g_logger;
  }
  if (!logger) return;
  try {
    logger(line);
  } catch (...) {
    // The note is a courtesy; the sale goes on without it.
  }
}

std::string AnswerWord(int answer) {
  switch (answer) {
    case mrOk:
      return "OK";
    case mrYes:
      return "Sim";
    case mrNo:
      return "Nao";
    case mrCancel:
      return "Cancela";
    case mrNone:
      return "sem resposta";
    default:
      return std::to_string(answer);
  }
}

}  // namespace

void SetDialogLogger(std::function<void(const std::string&)> logger) {
  std::lock_guard<std::mutex> lock(g_logger_mutex);
  g_logger = std::move(logger);
}

namespace dialogs_detail {

bool IsNotice(const DialogRequest& request) { return !request.modal || request.buttons == mbNone; }

int UnattendedAnswer(const DialogRequest& request) {
  if (IsNotice(request)) return mrNone;
  if (request.buttons == mbYesNo) return mrNo;
  return mrOk;
}

std::string OneLine(const std::string& text) {
  std::string line = text;
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return line;
}

void NoteUnattended(const DialogRequest& request, int answer) {
  if (!request.modal) {
    Log("Aviso sem operador: " + OneLine(request.text));
    return;
  }
  Log("Dialogo sem operador: " + OneLine(request.text) + " -> " + AnswerWord(answer));
}

void NoteUnattendedChoice(const ChoiceRequest& request) {
  Log("Escolha sem operador: " + OneLine(request.caption) + " - " + OneLine(request.prompt) +
      " -> fechada sem escolha");
}

}  // namespace dialogs_detail
}  // namespace platform
