#include "emulators/tef/vouchers.h"

#include <cstdio>

namespace tef_emu {

std::string money_text(long long cents) {
  if (cents < 0) return "-" + money_text(-cents);
  std::string reais = std::to_string(cents / 100);
  for (int i = static_cast<int>(reais.size()) - 3; i > 0; i -= 3) reais.insert(i, ".");
  char centavos[4];
  std::snprintf(centavos, sizeof centavos, "%02lld", cents % 100);
  return reais + "," + centavos;
}

std::vector<std::string> voucher_lines(const SaleVoucher& sale) {
  return {
      sale.network,
      sale.credit ? "CARTAO DE CREDITO" : "CARTAO DE DEBITO",
      "LOJA EMULADA - PDV 001",
      "CARTAO: ************1234",
      emu::Format(sale.moment, "DATA: %d/%m/%Y  HORA: %H:%M:%S"),
      "NSU: " + sale.nsu + "  AUT: " + sale.authorisation,
      "",
      "VALOR: R$ " + money_text(sale.amount),
      "APROVADA",
  };
}

std::vector<std::string> voucher_lines(const CancellationVoucher& cancellation) {
  return {
      "COMPROVANTE DE CANCELAMENTO",
      cancellation.network,
      emu::Format(cancellation.moment, "DATA: %d/%m/%Y  HORA: %H:%M:%S"),
      "DOC CANCELAMENTO: " + cancellation.nsu,
      "DOC ORIGINAL: " + cancellation.original_nsu,
      "",
      "VALOR CANCELADO: R$ " + money_text(cancellation.amount),
      "CANCELAMENTO APROVADO",
  };
}

}  // namespace tef_emu
