#include "tools/qdm_service/routes.h"

#include <optional>

#include "drivers/bematech/Qdm00100.h"
#include "drivers/common/type_codes.h"
#include "drivers/daruma/Qdm00300.h"
#include "drivers/sweda/Qdm00200.h"
#include "facade/Qdm00000.h"
#include "peripherals/readers/Qdm00800.h"
#include "platform/base/encoding.h"
#include "platform/base/errors.h"
#include "tools/qdm_service/console_routes.h"
#include "tools/qdm_service/dataset_json.h"
#include "tools/qdm_service/register_host.h"
#include "tools/qdm_service/requests.h"
#include "tools/qdm_service/sale_desk.h"

namespace qdm_service {

namespace {

using Qdm00000::Codes;
using Qdm00000::CodeSet;

// Which printers serve each operation, by type code (the facade's routing).
constexpr CodeSet kEveryPrinter = Codes({1, 2, 3, 4, 5, 6, 7, 8, 9});
constexpr CodeSet kWithdrawalPrinters = Qdm00000::kBematech;
constexpr CodeSet kExportPrinters = Qdm00000::kBematech;
constexpr CodeSet kDrawerPrinters = Qdm00000::kBematechRestaurant;
constexpr CodeSet kReportPrinters = Codes({1, 2, 3, 4, 5, 6, 7, 8});

// What a printer operation needs before anything is sent.
struct Needs {
  CodeSet printers = kEveryPrinter;
  bool ready = true;         // through its start-up (else: started)
  bool no_coupon = false;    // no fiscal coupon open
  bool current_day = false;  // no Z reduction due
};

// Runs one operation on the printer: the checks of `needs`, the call
// observed, the printer's state noted; the answer is `result` (with the
// operator's notices) or the problem the call ended in.
Reply OnPrinter(RegisterHost& host, const Needs& needs, const std::string& refusal, const std::function<bool()>& call,
                const std::function<Json()>& result = {}) {
  if (!host.printer_started() || (needs.ready && !host.printer_ready())) {
    const std::string why =
        host.printer_fault().empty() ? std::string("Impressora n\xE3o iniciada") : host.printer_fault();
    if (host.printer_started() && host.ReadPrinterState(true).z_due)
      Fail("reducao_z_pendente", "O dia fiscal anterior n\xE3o foi encerrado: fa\347a a redu\xE7\xE3o Z");
    Fail("dispositivo_ausente", why);
  }
  if (!needs.printers.Has(host.tipo()))
    Fail("operacao_nao_suportada",
         "A impressora deste caixa (tipo " + std::to_string(host.tipo()) + ") n\xE3o faz esta opera\xE7\xE3o");
  if (needs.no_coupon || needs.current_day) {
    const PrinterState state = host.ReadPrinterState(true);
    if (needs.no_coupon && state.coupon_open.value_or(false))
      Fail("cupom_aberto", "H\xE1 um cupom fiscal aberto na impressora");
    if (needs.current_day && state.z_due)
      Fail("reducao_z_pendente", "O dia fiscal anterior n\xE3o foi encerrado: fa\347a a redu\xE7\xE3o Z");
  }
  Observation seen;
  bool ok = false;
  try {
    ok = host.observer().Run(call, seen);
  } catch (const platform::Exception& e) {
    host.NotePrinterState();
    Fail("resposta_invalida", std::string("Resposta inesperada da impressora: ") + e.what());
  }
  host.NotePrinterState();
  if (!ok) return ProblemReply(JudgeFailure(seen, refusal));
  Json body = result ? result() : Json::object();
  body["avisos"] = Notices(seen);
  return JsonReply(200, body);
}

// ---- Decoders and their work ----

Work CashSupply(RegisterHost& host, const Call& call) {
  const std::int64_t cents = DecodeCashMovement(call.body).cents;
  return [&host, cents] {
    return OnPrinter(
        host, {kEveryPrinter, true, true, true}, "A impressora recusou o suprimento",
        [cents] { return Qdm00000::Suprimento(UnitsToDouble(cents, kAmount.decimals)); },
        [cents] {
          return Json{{"operacao", "suprimento"}, {"valor", AmountText(cents)}};
        });
  };
}

Work CashWithdrawal(RegisterHost& host, const Call& call) {
  const std::int64_t cents = DecodeCashMovement(call.body).cents;
  return [&host, cents] {
    return OnPrinter(
        host, {kWithdrawalPrinters, true, true, true}, "A impressora recusou a sangria",
        [cents] { return Qdm00000::Sangria(UnitsToDouble(cents, kAmount.decimals)); },
        [cents] {
          return Json{{"operacao", "sangria"}, {"valor", AmountText(cents)}};
        });
  };
}

Work XReading(RegisterHost& host, const Call& call) {
  DecodeEmpty(call.body);
  return [&host] {
    return OnPrinter(
        host, {kEveryPrinter, true, true, false}, "A impressora recusou a leitura X",
        [] { return Qdm00000::Leitura_X(""); },
        [] {
          return Json{{"operacao", "leitura_x"}};
        });
  };
}

Work ZReduction(RegisterHost& host, const Call& call) {
  DecodeEmpty(call.body);
  return [&host] {
    // A past fiscal day holds the start-up back until its reduction; once
    // reduced, the start-up runs again.
    Reply reply = OnPrinter(
        host, {kEveryPrinter, false, true, false}, "A impressora recusou a redu\xE7\xE3o Z",
        [] { return Qdm00000::Reducao_Z(""); },
        [] {
          return Json{{"operacao", "reducao_z"}};
        });
    if (reply.status == 200 && !host.printer_ready()) {
      host.Initialise();
      host.NotePrinterState();
    }
    return reply;
  };
}

Work ZExport(RegisterHost& host, const Call&) {
  return [&host] {
    platform::TClientDataSet reducao("cdsReducaoZ"), formas("cdsFormPgtoRedZ"), impostos("cdsImpostoRedZ"),
        nao_fiscais("cdsTotNFiscRedZ");
    // The export answers true without the report too: the figures decide.
    return OnPrinter(
        host, {kExportPrinters, false, false, false},
        "A impressora n\xE3o entregou o relat\xF3rio da \xFAltima redu\xE7\xE3o Z",
        [&] {
          return Qdm00000::ExportRedZ(host.payment_types(), reducao, formas, impostos, nao_fiscais) &&
                 reducao.Active() && reducao.RecordCount() > 0;
        },
        [&] {
          return Json{{"cdsReducaoZ", DatasetJson(reducao)},
                      {"cdsFormPgtoRedZ", DatasetJson(formas)},
                      {"cdsImpostoRedZ", DatasetJson(impostos)},
                      {"cdsTotNFiscRedZ", DatasetJson(nao_fiscais)}};
        });
  };
}

Work ReceiptWork(RegisterHost& host, const Call& call) {
  const NonFiscalReceipt receipt = DecodeNonFiscalReceipt(call.body);
  return [&host, receipt] {
    return OnPrinter(
        host, {kEveryPrinter, true, true, true}, "A impressora recusou o comprovante n\xE3o fiscal",
        [&] {
          return Qdm00000::Cupom_NFiscal_NVinculado(receipt.totalizer, AmountDigits(receipt.cents), receipt.method, "");
        },
        [&] {
          return Json{{"operacao", "comprovante_nao_fiscal"},
                      {"totalizador", platform::Cp1252ToUtf8(receipt.totalizer)},
                      {"valor", AmountText(receipt.cents)}};
        });
  };
}

Work ReportWork(RegisterHost& host, const Call& call) {
  const std::vector<std::string> lines = DecodeManagementReport(call.body).lines;
  return [&host, lines] {
    return OnPrinter(
        host, {kReportPrinters, true, true, false}, "A impressora recusou o relat\xF3rio gerencial",
        [&] {
          const int tipo = host.tipo();
          // The Sweda printers open the report with its first line.
          if (!Qdm00000::IsSweda(tipo) && !Qdm00000::Relatorio_Gerencial()) return false;
          // Bematech takes text blocks, a line end after each line; the
          // others one line per command.
          const char* line_end = Qdm00000::IsBematech(tipo) ? "\n" : "";
          bool printed = true;
          for (const std::string& line : lines)
            if (!(printed = Qdm00000::ImprimeTextoNaoFiscal(line + line_end))) break;
          // A report is never left open, whatever became of its lines.
          const bool closed = Qdm00000::FechRelatGerenc(true, false);
          return printed && closed;
        },
        [&] {
          return Json{{"operacao", "relatorio_gerencial"}, {"linhas", lines.size()}};
        });
  };
}

Work OpenDrawer(RegisterHost& host, const Call& call) {
  DecodeEmpty(call.body);
  return [&host] {
    return OnPrinter(
        host, {kDrawerPrinters, true, false, false}, "A impressora n\xE3o abriu a gaveta",
        [] { return Qdm00000::Abre_Gaveta(); },
        [] {
          return Json{{"operacao", "gaveta"}};
        });
  };
}

Work DisplayWork(RegisterHost& host, const Call& call) {
  // The display's own width is known on the main thread; the decoder holds
  // the widest the service drives.
  const DisplayLines decoded = DecodeDisplayLines(call.body);
  const std::string line1 = decoded.line1;
  const std::string line2 = decoded.line2;
  return [&host, line1, line2] {
    if (!host.display_configured()) Fail("dispositivo_ausente", "Este caixa n\xE3o tem visor do cliente");
    const std::size_t width = static_cast<std::size_t>(host.display_columns());
    if (line1.size() > width) Fail("valor_nao_cabe", "A linha passa das colunas do visor", "linha1");
    if (line2.size() > width) Fail("valor_nao_cabe", "A linha passa das colunas do visor", "linha2");
    if (!host.ShowOnDisplay(line1, line2))
      Fail("dispositivo_ausente", "O visor do cliente n\xE3o recebeu o texto (porta " + host.options().visor + ")");
    return JsonReply(200, {{"operacao", "visor"}, {"texto", host.DisplayLines()}, {"avisos", Json::array()}});
  };
}

Work BadgeDigit(RegisterHost& host, const Call& call) {
  const std::string badge = DecodeBadge(call.body).number;
  return [&host, badge] {
    if (!host.check_digit_ready())
      Fail("dispositivo_ausente", "A biblioteca do d\xEDgito verificador (DCVT32.dll) n\xE3o est\xE1 carregada");
    const std::string with_digit = Qdm00800::GetMatriculaDV(badge);
    if (with_digit.empty())
      Fail("dispositivo_recusou", "A biblioteca n\xE3o deu o d\xEDgito verificador da matr\355cula", "matricula");
    return JsonReply(
        200,
        {{"matricula", badge}, {"matriculaComDigito", platform::Cp1252ToUtf8(with_digit)}, {"avisos", Json::array()}});
  };
}

Work RawCommandWork(RegisterHost& host, const Call& call) {
  const RawCommand raw = DecodeRawCommand(call.body);
  const std::string command = raw.command;
  const std::vector<std::string> fields = raw.fields;
  return [&host, command, fields] {
    std::string answer;
    return OnPrinter(
        host, {kEveryPrinter, false, false, false}, "A impressora recusou o comando",
        [&] {
          const int tipo = host.tipo();
          const bool ok = Qdm00000::IsBematech(tipo) ? Qdm00100::EnviaComando_Bematech(command, fields, false, false)
                          : Qdm00000::IsSweda(tipo)  ? Qdm00200::EnviaComando_Sweda(command, fields, false, false)
                                                     : Qdm00300::EnviaComando_Daruma(command, fields, false, false);
          if (ok) answer = Qdm00000::RetornoImpFiscal(command, true);
          return ok;
        },
        [&] {
          return Json{{"operacao", "comando"}, {"comando", command}, {"retorno", platform::Cp1252ToUtf8(answer)}};
        });
  };
}

Route Device(const char* method, const char* pattern, const char* what,
             std::function<Work(RegisterHost&, const Call&)> decode, RegisterHost& host) {
  Route route;
  route.method = method;
  route.pattern = pattern;
  route.kind = Route::Kind::Device;
  route.what = what;
  route.decode = [decode, &host](const Call& call) { return decode(host, call); };
  return route;
}

Route Immediate(const char* method, const char* pattern, std::function<Reply(const Call&)> answer, bool open = false) {
  Route route;
  route.method = method;
  route.pattern = pattern;
  route.answer = std::move(answer);
  route.open = open;
  return route;
}

}  // namespace

Json TaskBody(const Task& task) {
  Json body = {{"id", task.id()}, {"operacao", task.what()}, {"href", "/v1/tarefas/" + task.id()}};
  switch (task.state()) {
    case Task::State::Queued:
      body["estado"] = "na_fila";
      break;
    case Task::State::Running:
      body["estado"] = "em_andamento";
      break;
    case Task::State::Done: {
      const Reply reply = task.reply();
      body["estado"] = "concluida";
      body["status"] = reply.status;
      body["resposta"] = Json::parse(reply.body, nullptr, false);
      break;
    }
  }
  return body;
}

std::vector<Route> ServiceRoutes(RegisterHost& host, SaleDesk& sales, Dispatcher& dispatcher,
                                 const RouteOptions& options) {
  std::vector<Route> routes = {
      Immediate(
          "GET", "/v1/saude",
          [](const Call&) {
            return JsonReply(200, {{"estado", "ok"}});
          },
          true),
      Immediate("GET", "/v1/openapi.json",
                [](const Call&) {
                  Reply reply;
                  reply.body = OpenApiDocument();
                  return reply;
                }),
      Immediate("GET", "/v1/tarefas/([0-9a-f]{32})",
                [&dispatcher](const Call& call) {
                  const std::shared_ptr<Task> task = dispatcher.Find(call.captures.at(0));
                  if (!task)
                    return ProblemReply(
                        Problem{"tarefa_desconhecida", "Tarefa desconhecida (ou encerrada h\xE1 muito tempo)", ""});
                  return JsonReply(200, TaskBody(*task));
                }),
      Device(
          "GET", "/v1/estado", "estado",
          [](RegisterHost& h, const Call&) -> Work { return [&h] { return JsonReply(200, h.Status()); }; }, host),
      Device("POST", "/v1/suprimento", "suprimento", CashSupply, host),
      Device("POST", "/v1/sangria", "sangria", CashWithdrawal, host),
      Device("POST", "/v1/leitura-x", "leitura_x", XReading, host),
      Device("POST", "/v1/reducao-z", "reducao_z", ZReduction, host),
      Device("GET", "/v1/reducao-z/exportacao", "exportacao_reducao_z", ZExport, host),
      Device("POST", "/v1/comprovante-nao-fiscal", "comprovante_nao_fiscal", ReceiptWork, host),
      Device("POST", "/v1/relatorio-gerencial", "relatorio_gerencial", ReportWork, host),
      Device("POST", "/v1/gaveta/abrir", "gaveta", OpenDrawer, host),
      Device("POST", "/v1/visor", "visor", DisplayWork, host),
      Device("POST", "/v1/cracha/digito", "digito_verificador", BadgeDigit, host),
      Device(
          "POST", "/v1/vendas", "venda",
          [&sales](RegisterHost&, const Call& call) { return sales.Sell(DecodeSale(call.body)); }, host),
      Immediate("GET", "/v1/vendas", [&sales](const Call&) { return sales.List(); }),
      Immediate("GET", "/v1/vendas/([^/]+)",
                [&sales](const Call& call) { return sales.Find(ReadText(call.captures.at(0), "idVenda", kSaleKey)); }),
      Device(
          "POST", "/v1/recuperacao", "recuperacao",
          [&sales](RegisterHost&, const Call& call) {
            DecodeEmpty(call.body);
            return sales.Recover();
          },
          host),
  };
  Route events;
  events.method = "GET";
  events.pattern = "/v1/eventos";
  events.kind = Route::Kind::Events;
  routes.push_back(events);
  AppendConsoleRoutes(routes, host);
  if (options.raw_command) routes.push_back(Device("POST", "/v1/comando", "comando", RawCommandWork, host));
  return routes;
}

}  // namespace qdm_service
