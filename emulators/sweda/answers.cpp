#include "emulators/sweda/answers.h"

#include <array>
#include <cstdio>

#include "emulators/common/fields.h"

namespace swdemu {

namespace {

const std::array<const char*, 16> kRefusalTexts{{
    "",
    "ERRO-COMANDO INEXISTENTE",
    "ERRO-PARAMETRO INVALIDO",
    "ERRO-FORA DE SEQUENCIA",
    "ERRO-ALIQUOTA NAO PROGRAMADA",
    "ERRO-FIM DE PAPEL",
    "ERRO-IMPRESSORA OCUPADA",
    "ERRO-OPERACAO NAO ENCERRADA",
    "ERRO-REDUCAO Z PENDENTE",
    "ERRO-DIA FISCAL ABERTO",
    "ERRO-MEMORIA FISCAL",
    "ERRO-VALOR INVALIDO",
    "ERRO-ITEM INEXISTENTE",
    "ERRO-CANCELAMENTO NAO PERMITIDO",
    "ERRO-TABELA LOTADA",
    "ERRO-PAGAMENTO INCOMPLETO",
}};

std::string Digits(long long value, int width) { return emu::Digits(value, width); }

std::string MethodEntry(const Method& method, int model) {
  std::string entry = MethodWidth(model) == kMethodName + 1 && !method.name.empty()
                          ? std::string(1, method.flag)
                          : std::string(MethodWidth(model) - kMethodName, ' ');
  return entry + emu::Padded(method.name, kMethodName);
}

std::string Methods(const PrinterState& state, std::size_t first, std::size_t count) {
  std::string out;
  for (std::size_t i = first; i < first + count; ++i) out += MethodEntry(state.methods[i], state.model);
  return out;
}

std::string Rates(const PrinterState& state, std::size_t first, std::size_t count) {
  std::string out;
  for (std::size_t i = first; i < first + count; ++i) out += emu::Padded(state.rates[i], kRateEntry);
  return out;
}

std::string Totalizers(const PrinterState& state, std::size_t first, std::size_t count) {
  std::string out;
  for (std::size_t i = first; i < first + count; ++i) out += emu::Padded(state.totalizers[i], kTotalizerEntry);
  return out;
}

}  // namespace

std::size_t MethodWidth(int model) { return model >= 5 ? kMethodName + 1 : kMethodName; }

std::string RefusalAnswer(Refusal refusal) {
  const int code = static_cast<int>(refusal);
  return RefusalAnswer("-P" + Digits(code, 3), kRefusalTexts[static_cast<std::size_t>(code)]);
}

std::string RefusalAnswer(const std::string& code, const std::string& text) {
  std::string answer = "." + code + text;
  if (answer.empty() || answer.back() != '}') answer += '}';
  return answer;
}

std::string AcceptedAnswer(bool little_paper) { return std::string(".+P00") + (little_paper ? '5' : '0') + "}"; }

std::string CouponDataAnswer(const PrinterState& state) {
  // Asked before and after nearly every coupon: built in one buffer.
  std::string answer;
  answer.reserve(96);
  answer += ".+C";
  answer += emu::Padded(state.ecf, 3);
  answer += '1';
  answer += emu::DayText(state.fiscal_day);
  emu::AppendDigits(answer, state.coo % 10000, 4);
  emu::AppendDigits(answer, state.grand_total, 18);
  emu::AppendDigits(answer, state.day_gross, 14);
  emu::AppendDigits(answer, state.day_cancelled, 14);
  emu::AppendDigits(answer, state.day_discounts, 14);
  emu::AppendDigits(answer, state.reductions % 10000, 4);
  answer += '}';
  return answer;
}

std::string IdentityAnswer(const PrinterState& state) {
  return ".+C" + emu::Padded(state.ecf, 3) + "3" + "IFS0" + std::to_string(state.model % 10) +
         emu::Padded(state.serial, 9) + "}";
}

std::string StateWord(const PrinterState& state) {
  switch (state.Open()) {
    case Document::Coupon:
      return state.coupon && state.coupon->paying ? "E VENDAS" : "P VENDAS";
    case Document::Report:
      return "R RELAT ";
    case Document::Check:
      return "Q CHEQUE";
    case Document::None:
      break;
  }
  return "C LIVRE ";
}

std::string StateAnswer(const PrinterState& state, const DateTime& now, const std::string& word) {
  char clock[16];
  std::snprintf(clock, sizeof clock, "%02d%02d%02d%02d%02d", now.day, now.month, now.year % 100, now.hour, now.minute);
  return ".+" + emu::Padded(state.ecf, 3) + Digits(state.coo % 10000, 4) + emu::Padded(word, 8) + "   " +
         (state.day_open ? "F" : "A") + Digits(state.reductions % 10000, 4) + Digits(state.x_readings % 10000, 4) +
         std::string(17, ' ') + clock + "}";
}

std::string DrawerAnswer(bool open) { return std::string(".+GAV") + (open ? '1' : '0') + "}"; }

std::string TableAnswer(const PrinterState& state, char selector) {
  std::string data;
  switch (selector) {
    case '3':
      data = emu::Padded("CNPJ 00.000.000/0001-91 IE 110042490114", 41) + Rates(state, 0, 4);
      break;
    case '4':
      data = Rates(state, 4, 7);
      break;
    case '5':
      data = Rates(state, 11, 4) + Methods(state, 0, 3);
      break;
    case '6':
      data = Methods(state, 3, 7);
      break;
    case '7':
      data = emu::Padded("TOTALIZADORES NAO FISCAIS", 30) + Totalizers(state, 0, 6);
      break;
    case '8':
      data = Totalizers(state, 6, 8);
      break;
    case '9':
      data = Totalizers(state, 14, 8);
      break;
    case 'A':
      data = Totalizers(state, 22, 8);
      break;
    case 'B':
      data = Totalizers(state, 30, 8);
      break;
    case 'C':
      data = Totalizers(state, 38, 8);
      break;
    case 'D':
      data = Totalizers(state, 46, 4);
      break;
    default:
      return {};
  }
  return std::string(".+0000") + selector + data + "}";
}

}  // namespace swdemu
