// The operations where the facade decides something itself: where the
// coupon number comes from, how the restaurant model takes an item, how a
// Sweda fiscal-memory reading is chosen, and how answers are read back.
#include "drivers/bematech/Qdm00100.h"
#include "drivers/daruma/Qdm00300.h"
#include "drivers/sweda/Qdm00200.h"
#include "facade/Qdm00000.h"
#include "facade/routing.h"

namespace Qdm00000 {

namespace B = Qdm00100;
namespace S = Qdm00200;
namespace D = Qdm00300;

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
      {kSweda,
       [] {
         const bool aberto = S::AbreCupom_Sweda();
         NrCupom = Nr_Cupom();  // read even when the opening failed
         return aberto;
       }},
      {kDaruma,
       [] {
         const bool aberto = D::AbreCupom_Daruma();
         // The opening's answer goes to the log; the number is the one the
         // driver took from it, never an error's characters.
         RetornoImpFiscal("", true);
         NrCupom = D::NumeroCupom();
         return aberto;
       }},  // AbreCupom_Daruma, then characters 3 to 8 of its answer
  });
  if (NrCupom.empty()) NrCupom = AjustaZero("0", 4);
  return result;
}

bool VendaItem(const std::string& mesa, const std::string& complemento, const std::string& codigo,
               const std::string& descricao, const std::string& aliquota, double quantidade, double preco,
               double desconto) {
  return Route<bool>({
      {kBematechRetail,
       [&] { return B::VendaItem_Bematech(codigo, descricao, aliquota, quantidade, preco, desconto); }},
      // The restaurant entry takes the unit price before the quantity.
      {kBematechRestaurant,
       [&] {
         return B::Registra_Item_Bematech(mesa, complemento, codigo, descricao, aliquota, preco, quantidade, desconto);
       }},
      {kSweda, [&] { return S::VendaItem_Sweda(codigo, descricao, aliquota, quantidade, preco, desconto); }},
      {kDaruma, [&] { return D::VendaItem_Daruma(codigo, descricao, aliquota, quantidade, preco, desconto); }},
  });
}

std::string Nr_Cupom() {
  const bool ok = Route<bool>({{kBematech, B::Numero_Cupom_Bematech}, {kSweda, S::Numero_Cupom_Sweda}});
  return ok ? RetornoImpFiscal("27", true) : std::string();
}

std::string RetornoImpFiscal(const std::string& comando, bool /*aparaIgnorado*/) {
  // The answer is always trimmed, whatever the caller asked.
  return Route<std::string>({{kBematech, [&] { return B::RetornoImpFiscal_Bematech(comando, true); }},
                             {kSweda, [&] { return S::RetornoImpFiscal_Sweda(comando, true); }},
                             {kDaruma, [&] {
                                std::string resposta;
                                D::RetornoImpFiscal_Daruma(comando, true, resposta);
                                return resposta;
                              }}});
}

bool Memoria_Fiscal(const std::string& de, const std::string& ate, const std::string& opcaoBematech,
                    const std::string& tipo) {
  return Route<bool>({
      {kBematech, [&] { return B::Memoria_Fiscal_Bematech(de, ate, opcaoBematech); }},
      // Between two dates, or between two Z-reduction numbers.
      {kSweda,
       [&] {
         if (tipo == "D") return S::Memoria_Fiscal_Data_Sweda(de, ate);
         if (tipo == "R") return S::Memoria_Fiscal_RedZ_Sweda(de, ate);
         return false;
       }},
      {kDaruma, [&] { return D::MemoFiscal_Daruma("x", de, ate); }},  // MemoFiscal_Daruma("x", de, ate)
  });
}

bool Fecha_Conferencia(const std::string& mesa, double valor) {
  return Route<bool>({{kBematechRestaurant, [&] { return B::Fecha_Conferencia_Bematech(mesa, valor); }}});
}

bool Cupom_NFiscal_NVinculado(const std::string& totalizador, const std::string& valor,
                              const std::string& formaPagamento, const std::string& texto4) {
  return Route<bool>(
      {{kBematech, [&] { return B::Cupom_NFiscNVinc_Bematech(totalizador, valor, formaPagamento); }},
       {kSweda, [&] { return S::Cupom_NFiscNVinc_Sweda(totalizador, valor, formaPagamento, texto4); }},
       {kDaruma, [&] { return D::Cupom_NFiscNVinc_Daruma(totalizador, valor, formaPagamento, texto4); }}});
}

bool Abre_Gaveta() { return Route<bool>({{kBematechRestaurant, B::Abre_Gaveta_Bematech}}); }

bool ImprimeTextoNaoFiscal(const std::string& texto) {
  return Route<bool>({{kBematechRetail, [&] { return B::Usa_CompNFis_Bematech(texto); }},
                      {kSweda, [&] { return S::ImprimeTexto_Sweda(texto); }},
                      {kDaruma, [&] { return D::ImprimeTexto_Daruma(texto); }}});
}

}  // namespace Qdm00000
