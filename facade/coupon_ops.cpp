// The operations where the facade decides something itself: where the
// coupon number comes from, how the restaurant model takes an item, how a
// Sweda fiscal-memory reading is chosen, and how answers are read back.
#include "drivers/bematech/Qdm00100.h"
#include "facade/Qdm00000.h"
#include "facade/routing.h"

namespace Qdm00000 {

namespace B = Qdm00100;

bool AbreCupom(const std::string& texto) {
  const bool result = Route<bool>({
      {kBematechRetail,
       [&] {
         const bool aberto = B::AbreCupom_Bematech(texto);
         NrCupom = Nr_Cupom();  // read even when the opening failed
         return aberto;
       }},
      // The restaurant model opens its coupon with the first item.
      {kBematechRestaurant, [] { return true; }},
      {kSweda, {}},   // AbreCupom_Sweda, then Nr_Cupom
      {kDaruma, {}},  // AbreCupom_Daruma, then characters 3 to 8 of its answer
  });
  if (NrCupom.empty()) NrCupom = AjustaZero("0", 4);
  return result;
}

bool VendaItem(const std::string& mesa, const std::string& complemento,
               const std::string& codigo, const std::string& descricao,
               const std::string& aliquota, double quantidade, double preco, double desconto) {
  return Route<bool>({
      {kBematechRetail, [&] {
         return B::VendaItem_Bematech(codigo, descricao, aliquota, quantidade, preco, desconto);
       }},
      // The restaurant entry takes the unit price before the quantity.
      {kBematechRestaurant, [&] {
         return B::Registra_Item_Bematech(mesa, complemento, codigo, descricao, aliquota, preco,
                                           quantidade, desconto);
       }},
      {kSweda, {}},
      {kDaruma, {}},
  });
}

std::string Nr_Cupom() {
  const bool ok = Route<bool>({{kBematech, B::Numero_Cupom_Bematech}, {kSweda, {}}});
  return ok ? RetornoImpFiscal("27", true) : std::string();
}

std::string RetornoImpFiscal(const std::string& comando, bool /*aparaIgnorado*/) {
  // The answer is always trimmed, whatever the caller asked.
  return Route<std::string>({{kBematech, [&] { return B::RetornoImpFiscal_Bematech(comando, true); }},
                             {kSweda, {}},
                             {kDaruma, {}}});
}

bool Memoria_Fiscal(const std::string& de, const std::string& ate,
                    const std::string& opcaoBematech, const std::string& /*tipo*/) {
  return Route<bool>({
      {kBematech, [&] { return B::Memoria_Fiscal_Bematech(de, ate, opcaoBematech); }},
      {kSweda, {}},   // tipo "D" between dates, "R" between Z numbers, else false
      {kDaruma, {}},  // MemoFiscal_Daruma("x", de, ate)
  });
}

bool Fecha_Conferencia(const std::string& /*mesa*/, double /*valor*/) {
  // Fecha_Conferencia_Bematech arrives with the Bematech table operations.
  return Route<bool>({{kBematechRestaurant, {}}});
}

bool Cupom_NFiscal_NVinculado(const std::string& totalizador, const std::string& valor,
                              const std::string& formaPagamento, const std::string& /*texto4*/) {
  return Route<bool>({{kBematech, [&] {
                         return B::Cupom_NFiscNVinc_Bematech(totalizador, valor, formaPagamento);
                       }},
                      {kSweda, {}},
                      {kDaruma, {}}});
}

bool Abre_Gaveta() {
  return Route<bool>({{kBematechRestaurant, B::Abre_Gaveta_Bematech}});
}

bool ImprimeTextoNaoFiscal(const std::string& texto) {
  return Route<bool>({{kBematechRetail, [&] { return B::Usa_CompNFis_Bematech(texto); }},
                      {kSweda, {}},
                      {kDaruma, {}}});
}

}  // namespace Qdm00000
