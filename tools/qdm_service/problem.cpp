#include "tools/qdm_service/problem.h"

#include "platform/base/encoding.h"

namespace qdm_service {

namespace {

// The stable codes: a client may branch on them; the texts may change.
const std::vector<ProblemKind> kKinds = {
    {"requisicao_invalida", 400, "Requisi\xE7\xE3o inv\xE1lida"},
    {"campo_invalido", 400, "Campo inv\xE1lido"},
    {"campo_obrigatorio", 400, "Campo obrigat\xF3rio ausente"},
    {"campo_desconhecido", 400, "Campo desconhecido"},
    {"texto_fora_da_pagina_de_codigo", 400, "Texto que a impressora n\xE3o imprime"},
    {"valor_nao_cabe", 400, "Valor que n\xE3o cabe no campo da impressora"},
    {"nao_autorizado", 401, "Token ausente ou inv\xE1lido"},
    {"origem_recusada", 403, "Origem n\xE3o permitida"},
    {"host_recusado", 403, "Endere\xE7o n\xE3o permitido"},
    {"nao_encontrado", 404, "Recurso n\xE3o encontrado"},
    {"tarefa_desconhecida", 404, "Tarefa desconhecida"},
    {"venda_desconhecida", 404, "Venda desconhecida"},
    {"cupom_aberto", 409, "Cupom aberto"},
    {"reducao_z_pendente", 409, "Redu\xE7\xE3o Z pendente"},
    {"chave_reutilizada", 409, "Chave j\xE1 usada com outro pedido"},
    {"venda_em_andamento", 409, "Venda em andamento"},
    {"corpo_grande", 413, "Corpo da requisi\xE7\xE3o grande demais"},
    {"tipo_de_conteudo", 415, "Tipo de conte\372do n\xE3o aceito"},
    {"impressora_recusou", 422, "A impressora recusou"},
    {"operacao_nao_suportada", 422, "Opera\xE7\xE3o que este dispositivo n\xE3o faz"},
    {"dispositivo_recusou", 422, "O dispositivo recusou"},
    {"venda_abandonada", 422, "Venda n\xE3o conclu\355da"},
    {"cabecalhos_grandes", 431, "Cabe\347alhos grandes demais"},
    {"erro_interno", 500, "Erro interno do servi\xE7o"},
    {"nao_implementado", 501, "Ainda n\xE3o dispon\xEDvel"},
    {"resposta_invalida", 502, "Resposta inv\xE1lida do dispositivo"},
    {"dispositivo_ausente", 503, "Dispositivo ausente"},
    {"servico_ocupado", 503, "Servi\xE7o ocupado"},
    {"servico_encerrando", 503, "Servi\xE7o encerrando"},
    {"tempo_esgotado", 504, "Tempo esgotado no dispositivo"},
};

const ProblemKind* KindOf(const std::string& codigo) {
  for (const ProblemKind& kind : kKinds)
    if (codigo == kind.codigo) return &kind;
  return nullptr;
}

}  // namespace

Reply JsonReply(int status, const Json& body) {
  Reply reply;
  reply.status = status;
  // A text the service did not check (a path from its command line) never
  // stops an answer: a broken byte shows as U+FFFD.
  reply.body = body.dump(-1, ' ', false, Json::error_handler_t::replace);
  return reply;
}

int StatusOf(const std::string& codigo) {
  const ProblemKind* kind = KindOf(codigo);
  return kind ? kind->status : 500;
}

Json ProblemBody(const Problem& problem) {
  const ProblemKind* kind = KindOf(problem.codigo);
  const std::string codigo = kind ? problem.codigo : "erro_interno";
  const std::string mensagem = platform::Cp1252ToUtf8(problem.mensagem);
  Json body = {
      {"type", "urn:pkg-qdm:problema:" + codigo},
      {"title", platform::Cp1252ToUtf8(kind ? kind->titulo : KindOf("erro_interno")->titulo)},
      {"status", StatusOf(codigo)},
      {"detail", mensagem},
      {"codigo", codigo},
      {"mensagem", mensagem},
  };
  if (!problem.campo.empty()) body["campo"] = platform::Cp1252ToUtf8(problem.campo);
  return body;
}

Reply ProblemReply(const Problem& problem) {
  Reply reply = JsonReply(StatusOf(problem.codigo), ProblemBody(problem));
  reply.content_type = "application/problem+json";
  return reply;
}

ProblemError::ProblemError(Problem problem)
    : std::runtime_error(problem.codigo + ": " + problem.mensagem), problem_(std::move(problem)) {}

void Fail(const std::string& codigo, const std::string& mensagem, const std::string& campo) {
  throw ProblemError(Problem{codigo, mensagem, campo});
}

const std::vector<ProblemKind>& ProblemKinds() { return kKinds; }

}  // namespace qdm_service
