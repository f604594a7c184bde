// Console do técnico: a page over the device service's documented API.
// The token lives in the session storage only; without it only the
// sign-in shows. Every text from the service is put in as text, never as
// markup.
"use strict";

const CHAVE_TOKEN = "qdm_service.token";
const $ = (id) => document.getElementById(id);

let eventosAbortar = null;
let vendasAdiadas = null;
let ultimoEvento = "";
let estadoAtual = null;

// ---- The API ----

class Problema extends Error {
  constructor(status, corpo) {
    super((corpo && (corpo.mensagem || corpo.detail || corpo.title)) || ("HTTP " + status));
    this.status = status;
    this.corpo = corpo || {};
  }
}

function token() { return sessionStorage.getItem(CHAVE_TOKEN) || ""; }

// GET without a body; POST with one (an empty body when `corpo` is null).
async function pedir(caminho, corpo) {
  const opcoes = {
    method: corpo === undefined ? "GET" : "POST",
    headers: { "Authorization": "Bearer " + token() },
    cache: "no-store",
  };
  if (opcoes.method === "POST") {
    opcoes.headers["Content-Type"] = "application/json";
    opcoes.body = corpo === null ? "" : JSON.stringify(corpo);
  }
  const resposta = await fetch(caminho, opcoes);
  let dados = null;
  try { dados = await resposta.json(); } catch (e) { dados = null; }
  if (resposta.status === 401) { sair("O serviço recusou o token. Entre de novo."); throw new Problema(401, dados); }
  // The devices are slow today: the task is followed until it ends.
  if (resposta.status === 202 && dados && dados.href) return acompanharTarefa(dados.href);
  if (!resposta.ok) throw new Problema(resposta.status, dados);
  return dados;
}

async function acompanharTarefa(href) {
  for (;;) {
    await new Promise((r) => setTimeout(r, 500));
    const tarefa = await pedir(href);
    if (tarefa.estado === "concluida") {
      if (tarefa.status >= 200 && tarefa.status < 300) return tarefa.resposta;
      throw new Problema(tarefa.status, tarefa.resposta);
    }
    mostrarResultado("Aguardando os dispositivos (" + tarefa.estado.replace("_", " ") + ")…");
  }
}

// ---- Small helpers for the page ----

function el(tag, texto, classe) {
  const e = document.createElement(tag);
  if (texto !== undefined && texto !== null) e.textContent = String(texto);
  if (classe) e.className = classe;
  return e;
}

function dinheiro(valor) {
  if (valor === undefined || valor === null || valor === "") return "—";
  const [inteiro, fracao = "00"] = String(valor).split(".");
  return "R$ " + inteiro.replace(/\B(?=(\d{3})+(?!\d))/g, ".") + "," + (fracao + "00").slice(0, 2);
}

function simNao(valor) { return valor === null || valor === undefined ? "desconhecido" : (valor ? "sim" : "não"); }

function preencher(dl, pares) {
  dl.replaceChildren();
  for (const [nome, valor, classe] of pares) {
    dl.append(el("dt", nome));
    dl.append(el("dd", valor === undefined || valor === null || valor === "" ? "—" : valor, classe));
  }
}

function selo(elemento, texto, tipo) {
  elemento.textContent = texto;
  elemento.className = "selo " + (tipo || "");
}

function mostrarResultado(texto, tipo) {
  const r = $("resultado");
  r.textContent = texto;
  r.className = "resultado " + (tipo || "");
}

function textoProblema(e) {
  if (e instanceof Problema) {
    const c = e.corpo;
    return (c.mensagem || e.message) + (c.codigo ? " [" + c.codigo + "]" : "") + (c.campo ? " (campo " + c.campo + ")" : "");
  }
  return "Sem resposta do serviço: " + e.message;
}

// ---- The register at a glance ----

const PAPEL = { ok: "normal", pouco: "pouco papel", fim: "sem papel" };
const DIA_FISCAL = { aberto: "aberto", fechado: "fechado pela redução Z", reducao_z_pendente: "passado, redução Z pendente" };

function mostrarImpressora(imp) {
  if (!imp) return;
  const pronta = imp.pronta;
  selo($("imp-selo"), pronta ? "pronta" : "não pronta", pronta ? "bom" : "ruim");
  const dia = imp.diaFiscal || {};
  preencher($("imp-dados"), [
    ["Modelo", [imp.fabricante, imp.modelo].filter(Boolean).join(" ") + " (tipo " + imp.tipo + ")"],
    ["Número", imp.numero],
    ["Série", imp.serie],
    ["Dia fiscal", (dia.data ? dia.data.split("-").reverse().join("/") + " " : "") +
                   (DIA_FISCAL[dia.estado] || (dia.data ? "" : "desconhecido")), dia.estado === "aberto" ? "" : "alerta"],
    ["Redução Z pendente", simNao(dia.reducaoZPendente), dia.reducaoZPendente ? "alerta" : ""],
    ["Cupom aberto", simNao(imp.cupomAberto), imp.cupomAberto ? "alerta" : ""],
    ["Papel", imp.papel ? (PAPEL[imp.papel] || imp.papel) : "desconhecido", imp.papel && imp.papel !== "ok" ? "alerta" : ""],
    ["Motivo", imp.motivo],
  ]);
}

function mostrarEstado(estado) {
  estadoAtual = estado;
  $("caixa").textContent = estado.caixa ? "— caixa " + estado.caixa : "";
  mostrarImpressora(estado.impressora);
  const tef = estado.tef || {};
  selo($("tef-selo"), !tef.configurado ? "não configurado" : tef.ativo ? "ativo" : tef.ativo === false ? "ausente" : "?",
       tef.configurado && tef.ativo ? "bom" : tef.configurado ? "ruim" : "");
  preencher($("tef-dados"), [["Configurado", simNao(tef.configurado)], ["Respondendo", simNao(tef.ativo)]]);
  const visor = estado.visor || {};
  const leitor = estado.leitor || {};
  const dv = estado.digitoVerificador || {};
  preencher($("outros-dados"), [
    ["Visor", visor.configurado ? "porta " + visor.porta + (visor.colunas ? ", " + visor.colunas + " colunas" : "") : "não configurado"],
    ["No visor", (visor.texto || []).join(" / ")],
    ["Leitor de código", leitor.configurado ? "porta " + leitor.porta : "não configurado"],
    ["Dígito do crachá", dv.configurado ? (dv.pronto ? "biblioteca carregada" : "biblioteca ausente") : "não configurado"],
    ["Versão", estado.versao],
  ]);
}

async function atualizarEstado() {
  try {
    mostrarEstado(await pedir("/v1/estado"));
  } catch (e) {
    if (e.status !== 401) mostrarResultado("Estado: " + textoProblema(e), "erro");
  }
}

// ---- Events: fetch, since EventSource cannot send the token ----

async function ouvirEventos() {
  if (eventosAbortar) eventosAbortar.abort();
  const controle = new AbortController();
  eventosAbortar = controle;
  while (!controle.signal.aborted && token()) {
    try {
      const cabecalhos = { "Authorization": "Bearer " + token() };
      if (ultimoEvento) cabecalhos["Last-Event-ID"] = ultimoEvento;
      const resposta = await fetch("/v1/eventos", { headers: cabecalhos, signal: controle.signal, cache: "no-store" });
      if (resposta.status === 401) { sair("O serviço recusou o token. Entre de novo."); return; }
      if (!resposta.ok) throw new Error("HTTP " + resposta.status);
      $("eventos-estado").textContent = "Atualização ao vivo ligada.";
      $("conexao").textContent = "Conectado";
      $("conexao").className = "conexao bom";
      const leitor = resposta.body.pipeThrough(new TextDecoderStream()).getReader();
      let resto = "";
      for (;;) {
        const { value, done } = await leitor.read();
        if (done) break;
        resto += value;
        let fim;
        while ((fim = resto.indexOf("\n\n")) >= 0) {
          tratarEvento(resto.slice(0, fim));
          resto = resto.slice(fim + 2);
        }
      }
    } catch (e) {
      if (controle.signal.aborted) return;
    }
    $("eventos-estado").textContent = "Atualização ao vivo interrompida; tentando de novo…";
    $("conexao").textContent = "Reconectando";
    $("conexao").className = "conexao ruim";
    await new Promise((r) => setTimeout(r, 2000));
  }
}

function tratarEvento(bloco) {
  let nome = "message", dados = "", id = "";
  for (const linha of bloco.split("\n")) {
    if (linha.startsWith(":")) continue;
    const i = linha.indexOf(":");
    const campo = i < 0 ? linha : linha.slice(0, i);
    const valor = i < 0 ? "" : linha.slice(i + 1).replace(/^ /, "");
    if (campo === "event") nome = valor;
    else if (campo === "data") dados += (dados ? "\n" : "") + valor;
    else if (campo === "id") id = valor;
  }
  if (id) ultimoEvento = id;
  if (!dados) return;
  let objeto;
  try { objeto = JSON.parse(dados); } catch (e) { return; }
  if (nome === "impressora") {
    if (estadoAtual) estadoAtual.impressora = objeto;
    mostrarImpressora(objeto);
    atualizarBobina();
    atualizarVendas();
  } else if (nome === "leitura") {
    mostrarResultado("Leitura do " + (objeto.leitor || "leitor").replace("_", " ") + ": " + objeto.valor);
  } else if (nome === "venda") {
    // A sale sends several events (begun, each turning point, its end):
    // the day's sales are read once they settle.
    clearTimeout(vendasAdiadas);
    vendasAdiadas = setTimeout(atualizarVendas, 150);
  } else if (nome === "tarefa") {
    atualizarRegistros();
  }
}

// ---- The technician's actions, each behind a confirmation ----

function impressoraNome() {
  const imp = estadoAtual && estadoAtual.impressora;
  if (!imp) return "na impressora fiscal";
  return "na impressora fiscal " + [imp.fabricante, imp.modelo].filter(Boolean).join(" ") + (imp.numero ? " nº " + imp.numero : "");
}

function lerValor(form) {
  const campo = form.elements.valor;
  const texto = campo.value.trim().replace(",", ".");
  if (!/^\d{1,9}(\.\d{1,2})?$/.test(texto) || Number(texto) <= 0) throw new Error("Informe um valor como 10,00");
  const [inteiro, fracao = ""] = texto.split(".");
  return String(Number(inteiro)) + "." + (fracao + "00").slice(0, 2);
}

function novaChave() {
  const aleatorio = new Uint32Array(2);
  crypto.getRandomValues(aleatorio);
  return "console-" + Date.now().toString(36) + "-" + aleatorio[0].toString(36) + aleatorio[1].toString(36);
}

const ACOES = {
  "leitura-x": {
    titulo: "Leitura X",
    texto: () => "Será impressa uma Leitura X (relatório do dia, sem fechá-lo) " + impressoraNome() + ".",
    executar: () => pedir("/v1/leitura-x", null),
    feito: () => "Leitura X impressa.",
  },
  "reducao-z": {
    titulo: "Redução Z",
    texto: () => "Será impressa a Redução Z " + impressoraNome() + ". Ela ENCERRA o dia fiscal: " +
      "nenhuma venda mais até o dia seguinte.",
    executar: () => pedir("/v1/reducao-z", null),
    feito: () => "Redução Z impressa; dia fiscal encerrado.",
  },
  "suprimento": {
    titulo: "Suprimento",
    texto: () => "Será impresso um comprovante de suprimento (entrada de dinheiro na gaveta) " + impressoraNome() + ".",
    campos: "campo-valor",
    executar: (form) => pedir("/v1/suprimento", { valor: lerValor(form) }),
    feito: (r) => "Suprimento de " + dinheiro(r.valor) + " impresso.",
  },
  "sangria": {
    titulo: "Sangria",
    texto: () => "Será impresso um comprovante de sangria (retirada de dinheiro da gaveta) " + impressoraNome() + ".",
    campos: "campo-valor",
    executar: (form) => pedir("/v1/sangria", { valor: lerValor(form) }),
    feito: (r) => "Sangria de " + dinheiro(r.valor) + " impressa.",
  },
  "venda-teste": {
    titulo: "Venda de teste",
    texto: () => "Será impresso um cupom fiscal de verdade com um item \"ITEM DE TESTE\" " + impressoraNome() +
      ". Com cartão, a transação passa pelo gerenciador TEF e o comprovante do cartão também é impresso.",
    campos: "campos-venda",
    executar: (form) => {
      const valor = lerValor(form);
      const cartao = form.elements.pagamento.value === "cartao";
      return pedirVenda({
        idVenda: novaChave(),
        itens: [{ codigo: "TESTE", descricao: "ITEM DE TESTE", quantidade: "1.000", precoUnitario: valor,
                  tributacao: { tipo: "T", percentual: "18.00" }, desconto: "0.00" }],
        desconto: "0.00",
        pagamentos: [{ tipo: cartao ? "003" : "001", valor: valor, cartao: cartao }],
      });
    },
    feito: (r) => descreverVenda(r),
  },
  "recuperacao": {
    titulo: "Recuperação",
    texto: () => "A recuperação cancela " + impressoraNome() + " um cupom deixado aberto (é impresso o " +
      "cancelamento) e resolve um cartão aprovado e pendente pela regra do gerenciador TEF.",
    executar: () => pedir("/v1/recuperacao", null),
    feito: (r) => "Recuperação feita: " + descreverObjeto(r),
  },
};

// A sale abandoned half way answers 422 with the sale in "venda".
async function pedirVenda(corpo) {
  try {
    return await pedir("/v1/vendas", corpo);
  } catch (e) {
    if (e instanceof Problema && e.corpo && e.corpo.venda) {
      const venda = e.corpo.venda;
      throw new Problema(e.status, Object.assign({}, e.corpo, { mensagem: descreverVenda(venda) + " — " + (e.corpo.mensagem || "") }));
    }
    throw e;
  }
}

function estadoCartao(c) {
  const nomes = { confirmada: "confirmado", desfeita: "desfeito", pendente: "pendente", nao_aprovada: "recusado" };
  return nomes[c.estado] || c.estado || (c.aprovado ? "aprovado" : "recusado");
}

function descreverVenda(v) {
  const cupom = v.cupom || {};
  const partes = ["Venda " + (v.concluida ? "concluída" : "não concluída") +
    (cupom.numero ? ", cupom " + cupom.numero : "") + (cupom.estado ? " (" + cupom.estado.replace("_", " ") + ")" : "")];
  if (v.total) partes.push("total " + dinheiro(v.total));
  if (v.troco && v.troco !== "0.00") partes.push("troco " + dinheiro(v.troco));
  for (const c of v.cartoes || []) {
    partes.push("cartão " + estadoCartao(c) + (c.autorizacao ? " aut. " + c.autorizacao : "") + (c.mensagem ? ": " + c.mensagem : ""));
  }
  if (v.falha) partes.push("falha: " + (typeof v.falha === "string" ? v.falha : descreverObjeto(v.falha)));
  return partes.join("; ");
}

function descreverObjeto(o) {
  if (o === null || o === undefined) return "—";
  if (typeof o !== "object") return String(o);
  if (Array.isArray(o)) return o.length ? o.map(descreverObjeto).join("; ") : "nada";
  const partes = [];
  for (const [k, v] of Object.entries(o)) {
    if (k === "avisos" && Array.isArray(v) && !v.length) continue;
    partes.push(k + ": " + descreverObjeto(v));
  }
  return partes.join(", ") || "nada a fazer";
}

let acaoAberta = null;

function abrirConfirmacao(nome, origem) {
  const acao = ACOES[nome];
  acaoAberta = { nome, acao, origem };
  $("confirmar-titulo").textContent = acao.titulo;
  $("confirmar-texto").textContent = acao.texto() + " Confirma?";
  $("confirmar-erro").textContent = "";
  const campos = $("confirmar-campos");
  campos.replaceChildren();
  if (acao.campos) campos.append($(acao.campos).content.cloneNode(true));
  $("confirmar-ok").textContent = nome === "recuperacao" ? "Executar" : "Imprimir";
  $("confirmar-ok").disabled = false;
  $("confirmar").showModal();
  const primeiro = campos.querySelector("input, select");
  (primeiro || $("confirmar-cancelar")).focus();
}

async function confirmar(evento) {
  const botao = evento.submitter;
  if (!botao || botao.value !== "confirmar" || !acaoAberta) { acaoAberta = null; return; }
  evento.preventDefault();
  const { acao, origem } = acaoAberta;
  const form = $("confirmar-form");
  $("confirmar-erro").textContent = "";
  let pendente;
  try {
    pendente = acao.executar(form);
  } catch (e) {
    $("confirmar-erro").textContent = e.message;
    return;
  }
  $("confirmar").close();
  acaoAberta = null;
  if (origem) origem.focus();
  mostrarResultado(acao.titulo + ": enviando…");
  try {
    const resposta = await pendente;
    const avisos = (resposta && resposta.avisos) || [];
    mostrarResultado(acao.feito(resposta || {}) + (avisos.length ? " Avisos: " + avisos.join(" / ") : ""), "bom");
  } catch (e) {
    mostrarResultado(acao.titulo + ": " + textoProblema(e), "erro");
  }
  atualizarEstado();
  atualizarRegistros();
}

// ---- The records ----

// What a key's state says in the day's sales, when its sale does not say more.
const ESTADOS_VENDA = { em_andamento: "em andamento", abandonada: "abandonada", reconciliada: "reconciliada" };

// Each item of the day's sales is a key's record: the key, its state, when
// it began and the sale (as answered, or as far as it went).
async function atualizarVendas() {
  const corpo = $("vendas-tabela").tBodies[0];
  try {
    const resposta = await pedir("/v1/vendas");
    const registros = (resposta && resposta.vendas) || [];
    corpo.replaceChildren();
    for (const r of registros) {
      const v = r.venda || {};
      const cupom = v.cupom || {};
      const situacao = r.estado === "em_andamento" ? ESTADOS_VENDA.em_andamento :
        (cupom.estado || "").replace("_", " ") + (r.estado !== "concluida" && ESTADOS_VENDA[r.estado] ? " (" + ESTADOS_VENDA[r.estado] + ")" : "");
      const tr = el("tr");
      tr.dataset.estado = r.estado || "";
      tr.append(el("td", r.idVenda, "chave"), el("td", cupom.numero || "—"),
                el("td", situacao || "—", r.estado === "concluida" && cupom.estado === "fechado" ? "bom" : "alerta"),
                el("td", dinheiro(v.total), "num"), el("td", dinheiro(v.pago), "num"), el("td", dinheiro(v.troco), "num"));
      const cartoes = el("td");
      for (const c of v.cartoes || []) {
        const estado = estadoCartao(c);
        const linha = el("span", estado + " " + dinheiro(c.valor) + (c.rede ? " " + c.rede : "") +
                         (c.autorizacao ? " aut. " + c.autorizacao : "") + (c.documento ? " doc. " + c.documento : ""),
                         "cartao " + (c.estado === "confirmada" ? "bom" : "ruim"));
        linha.dataset.estado = c.estado || "";
        cartoes.append(linha);
      }
      tr.append(cartoes);
      corpo.append(tr);
    }
    $("vendas-aviso").textContent = registros.length ? "" : "Nenhuma venda hoje.";
  } catch (e) {
    corpo.replaceChildren();
    $("vendas-aviso").textContent = textoProblema(e);
  }
}

async function atualizarBobina() {
  try {
    const r = await pedir("/v1/bobina");
    const pre = $("bobina-texto");
    pre.textContent = r.texto;
    pre.scrollTop = pre.scrollHeight;
    $("bobina-aviso").textContent = !r.existe ? "Não há bobina emulada neste caixa." :
      r.cortado ? "Mostrando o fim da bobina (" + Math.round((r.tamanho - r.inicio) / 1024) + " KiB de " + Math.round(r.tamanho / 1024) + " KiB)." : "";
  } catch (e) {
    $("bobina-aviso").textContent = textoProblema(e);
  }
}

const ESTADOS_TEF = { confirmada: "bom", negada: "ruim", desfeita: "alerta", cancelada: "alerta", pendente: "alerta" };

async function atualizarTef() {
  const corpo = $("tef-tabela").tBodies[0];
  try {
    const r = await pedir("/v1/tef/transacoes");
    corpo.replaceChildren();
    for (const t of r.transacoes) {
      const tr = el("tr");
      const estado = t.estado + (t.estadoAntes ? " (era " + t.estadoAntes + ")" : "");
      const td = el("td", estado, "estado " + (ESTADOS_TEF[t.estado] || ""));
      td.dataset.estado = t.estado;
      tr.append(el("td", t.nsu), el("td", t.tipo === "CNC" ? "cancelamento" + (t.nsuOriginal ? " de " + t.nsuOriginal : "") : "venda"),
                el("td", t.rede), el("td", dinheiro(t.valor), "num"), td);
      corpo.append(tr);
    }
    $("tef-aviso").textContent = !r.existe ? "Não há diário do gerenciador TEF emulado neste caixa." :
      r.transacoes.length ? "" : "Nenhuma transação.";
  } catch (e) {
    $("tef-aviso").textContent = textoProblema(e);
  }
}

let linhasLog = [];

function mostrarLog() {
  const filtro = $("log-filtro").value.trim().toLowerCase();
  const lista = $("log-linhas");
  lista.replaceChildren();
  let mostradas = 0;
  for (const linha of linhasLog) {
    if (filtro && !linha.toLowerCase().includes(filtro)) continue;
    lista.append(el("li", linha, linha.includes("ERRO!!!") ? "erro-linha" : ""));
    mostradas++;
  }
  lista.scrollTop = lista.scrollHeight;
  return mostradas;
}

let geracaoLog = 0;

async function atualizarLog() {
  const erros = $("log-erros").checked;
  // Only the latest request shows: a slower earlier answer (all lines)
  // never overwrites the filter asked after it.
  const geracao = ++geracaoLog;
  try {
    const r = await pedir(erros ? "/v1/log-depuracao/erros" : "/v1/log-depuracao");
    if (geracao !== geracaoLog) return;
    linhasLog = r.texto ? r.texto.replace(/\n$/, "").split("\n") : [];
    const n = mostrarLog();
    $("log-aviso").textContent = !r.existe ? "Não há log de depuração neste caixa." :
      (n + " linha(s)" + (erros ? " com erro" : "") + (r.cortado ? ", do fim do arquivo" : "") + ".");
  } catch (e) {
    $("log-aviso").textContent = textoProblema(e);
  }
}

function atualizarRegistros() {
  return Promise.all([atualizarVendas(), atualizarBobina(), atualizarTef(), atualizarLog()]);
}

// ---- Sign-in ----

function mostrarConsole(entrou) {
  $("entrada").hidden = entrou;
  $("console").hidden = !entrou;
  $("sair").hidden = !entrou;
}

function sair(motivo) {
  sessionStorage.removeItem(CHAVE_TOKEN);
  if (eventosAbortar) eventosAbortar.abort();
  eventosAbortar = null;
  estadoAtual = null;
  mostrarConsole(false);
  $("conexao").textContent = "Desconectado";
  $("conexao").className = "conexao";
  $("entrada-erro").textContent = motivo || "";
  $("token").value = "";
  $("token").focus();
}

async function entrar(evento) {
  evento.preventDefault();
  const dado = $("token").value.trim();
  if (!dado) return;
  $("entrada-erro").textContent = "";
  sessionStorage.setItem(CHAVE_TOKEN, dado);
  await iniciar();
}

async function iniciar() {
  try {
    const estado = await pedir("/v1/estado");
    mostrarConsole(true);
    $("token").value = "";
    mostrarEstado(estado);
    document.body.dataset.pronto = "sim";
    ouvirEventos();
    await atualizarRegistros();
  } catch (e) {
    if (e.status !== 401) {
      sessionStorage.removeItem(CHAVE_TOKEN);
      mostrarConsole(false);
      $("entrada-erro").textContent = textoProblema(e);
    }
  }
}

document.addEventListener("DOMContentLoaded", () => {
  $("entrada-form").addEventListener("submit", entrar);
  $("sair").addEventListener("click", () => sair(""));
  $("confirmar-form").addEventListener("submit", confirmar);
  // The close event comes in a task of its own: after an Escape and a quick
  // reopen it may arrive with the dialog open again, for the new action.
  $("confirmar").addEventListener("close", () => { if (!$("confirmar").open) acaoAberta = null; });
  for (const botao of document.querySelectorAll("[data-acao]"))
    botao.addEventListener("click", () => abrirConfirmacao(botao.dataset.acao, botao));
  $("atualizar-estado").addEventListener("click", atualizarEstado);
  $("atualizar-vendas").addEventListener("click", atualizarVendas);
  $("atualizar-bobina").addEventListener("click", atualizarBobina);
  $("atualizar-tef").addEventListener("click", atualizarTef);
  $("atualizar-log").addEventListener("click", atualizarLog);
  $("log-erros").addEventListener("change", atualizarLog);
  $("log-filtro").addEventListener("input", mostrarLog);
  if (token()) iniciar(); else $("token").focus();
});
