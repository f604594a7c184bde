#include "tools/qdm_service/outcome.h"

#include <sys/stat.h>

#include <fstream>

#include "platform/base/encoding.h"
#include "platform/dialogs/unattended.h"

namespace qdm_service {

namespace {

// Debug-log lines that say the device never judged the command, as
// {what the line holds, the problem's code, its message}.
struct LogSign {
  const char* fragment;
  const char* codigo;
  const char* mensagem;
};
const LogSign kLogSigns[] = {
    {"ERRO!!! Impressora ocupada", "tempo_esgotado", "A impressora ficou ocupada al\xE9m do tempo de espera"},
    {"ERRO!!! Impressora parada durante o comando", "dispositivo_ausente", "A impressora foi parada durante o comando"},
    {"ERRO!!! Comando : ", "dispositivo_ausente", "A impressora n\xE3o recebeu o comando"},
    {"ERRO!!! Ret recebido", "tempo_esgotado", "A impressora n\xE3o respondeu ao comando"},
    {"ERRO!!! DLL nao carregada", "dispositivo_ausente", "A biblioteca da impressora n\xE3o est\xE1 carregada"},
};

std::uintmax_t SizeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<std::uintmax_t>(st.st_size) : 0;
}

std::string ReadFrom(const std::string& path, std::uintmax_t offset) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  in.seekg(static_cast<std::streamoff>(offset));
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int ServiceOperator::Show(const platform::DialogRequest& request) {
  const int answer = platform::dialogs_detail::UnattendedAnswer(request);
  platform::dialogs_detail::NoteUnattended(request, answer);
  std::lock_guard<std::mutex> lock(mutex_);
  notes_.push_back({request.type, request.text});
  return answer;
}

int ServiceOperator::Choose(const platform::ChoiceRequest& request) {
  platform::dialogs_detail::NoteUnattendedChoice(request);
  return request.close_result;
}

std::vector<OperatorNote> ServiceOperator::Take() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<OperatorNote> taken;
  taken.swap(notes_);
  return taken;
}

Observer::Observer(ServiceOperator& op, std::function<std::string()> log_path)
    : operator_(op), log_path_(std::move(log_path)) {}

bool Observer::Run(const std::function<bool()>& call, Observation& seen) {
  operator_.Take();  // what came before is not this call's
  const std::string log = log_path_();
  const std::uintmax_t start = SizeOf(log);
  struct Collect {
    ServiceOperator& op;
    Observation& seen;
    const std::string& log;
    std::uintmax_t start;
    ~Collect() {
      seen.notes = op.Take();
      seen.log = ReadFrom(log, start);
    }
  } collect{operator_, seen, log, start};
  return call();
}

Problem JudgeFailure(const Observation& seen, const std::string& fallback) {
  for (const LogSign& sign : kLogSigns)
    if (seen.log.find(sign.fragment) != std::string::npos) return Problem{sign.codigo, sign.mensagem, ""};
  // The operator would have read the last error or information shown.
  for (auto note = seen.notes.rbegin(); note != seen.notes.rend(); ++note)
    if (note->type != platform::mtConfirmation) return Problem{"impressora_recusou", note->text, ""};
  return Problem{"impressora_recusou", fallback, ""};
}

Json Notices(const Observation& seen) {
  Json notices = Json::array();
  for (const OperatorNote& note : seen.notes) notices.push_back(platform::Cp1252ToUtf8(note.text));
  return notices;
}

}  // namespace qdm_service
