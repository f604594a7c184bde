// The operations the facade only forwards: one slot per maker, Bematech
// first, then Sweda, then Daruma. A maker that does not serve an operation
// has no slot; its codes answer false without printer traffic.
#include "drivers/bematech/Qdm00100.h"
#include "drivers/daruma/Qdm00300.h"
#include "drivers/sweda/Qdm00200.h"
#include "facade/Qdm00000.h"
#include "facade/routing.h"

namespace Qdm00000 {

namespace B = Qdm00100;
namespace S = Qdm00200;
namespace D = Qdm00300;

bool FechaCupom(bool imprimeContraVale, bool avisa, double desconto, double valorContraVale, double acrescimo,
                const std::string& permiteRepetir, bool repeteSeRecusado, const std::string& naoUsado,
                TClientDataSet& movimentos, TClientDataSet& recebimentos, std::string& numeroCupom,
                const std::string& convenio, const std::string& comConsumidor, const std::string& consumidor,
                const std::string& cnpjCpf, const std::string& nome) {
  return Route<bool>({{kBematech,
                       [&] {
                         return B::FechaCupom_Bematech(imprimeContraVale, avisa, desconto, valorContraVale, acrescimo,
                                                       permiteRepetir, repeteSeRecusado, naoUsado, movimentos,
                                                       recebimentos, numeroCupom, convenio, comConsumidor, consumidor,
                                                       cnpjCpf, nome);
                       }},
                      {kDaruma, [&] {
                         return D::FechaCupomFormasPg_Daruma(desconto, acrescimo, imprimeContraVale, movimentos,
                                                             recebimentos, numeroCupom, cnpjCpf, nome);
                       }}});
}

bool Cancela_Cupom(bool avisa, bool repete, std::string& numero) {
  return Route<bool>({{kBematech, [&] { return B::Cancela_Cupom_Bematech(avisa, repete, numero); }},
                      {kSweda, [&] { return S::Cancela_Cupom_Sweda(avisa, repete, numero); }},
                      {kDaruma, [&] { return D::Cancela_Cupom_Daruma(avisa, repete, numero); }}});
}

bool Cancela_Item_Generico(const std::string& item, bool avisa) {
  return Route<bool>({{kBematechRetail, [&] { return B::Cancela_ItGenerico_Bematech(item, avisa); }},
                      {kSweda, [&] { return S::Cancela_ItGenerico_Sweda(item, avisa); }},
                      {kDaruma, [&] { return D::Cancela_ItGenerico_Daruma(item, avisa); }}});
}

bool Acrescimo(double valor) {
  return Route<bool>({{kBematechRetail, [&] { return B::Acrescimo_Bematech(valor); }}});
}

bool Totaliza_NFiscal(const std::string& totalizador, const std::string& valor) {
  // Never sent to a Bematech printer from here.
  return Route<bool>({{kSweda, [&] { return S::Totaliza_NFiscal_Sweda(totalizador, valor); }},
                      {kDaruma, [&] { return D::Totaliza_NFiscal_Daruma(totalizador, valor); }}});
}

bool Abre_Comp_NFiscalVinc(const std::string& formaPagamento, const std::string& valor,
                           const std::string& numeroCupom) {
  return Route<bool>(
      {{kBematech, [&] { return B::Abre_Comp_NFiscalVinc_Bematech(formaPagamento, valor, numeroCupom); }}});
}

bool Nomeia_TotParcial(const std::string& numero, const std::string& nome, const std::string& texto3,
                       const std::string& texto4, bool avisa, bool repete) {
  return Route<bool>(
      {{kBematech, [&] { return B::Nomeia_TotParcial_Bematech(numero, nome, texto3, texto4, avisa, repete); }},
       {kSweda, [&] { return S::Nomeia_TotParcial_Sweda(numero, nome, texto3, texto4, avisa, repete); }},
       {kDaruma, [&] { return D::Nomeia_TotParcial_Daruma(numero, nome, texto3, texto4, avisa, repete); }}});
}

bool Config_Forma_Pagamento(const std::string& forma, bool avisa, bool repete) {
  return Route<bool>({{kBematech, [&] { return B::Config_FormaPg_Bematech(forma, avisa, repete); }},
                      {kSweda, [&] { return S::Config_FormaPg_Sweda(forma, avisa, repete); }},
                      {kDaruma, [&] { return D::Config_FormaPg_Daruma(forma, avisa, repete); }}});
}

bool Leitura_X(const std::string& texto) {
  return Route<bool>({{kBematech, [&] { return B::Leitura_X_Bematech(texto); }},
                      {kSweda, [&] { return S::Leitura_X_Sweda(texto); }},
                      {kDaruma, [&] { return D::Leitura_X_Daruma(texto); }}});
}

bool Reducao_Z(const std::string& texto) {
  return Route<bool>({{kBematech, [&] { return B::Reducao_Z_Bematech(texto); }},
                      {kSweda, [&] { return S::Reducao_Z_Sweda(texto); }},
                      {kDaruma, [&] { return D::Reducao_Z_Daruma(texto); }}});
}

bool Relatorio_Gerencial() {
  return Route<bool>({{kBematech, B::RelGerencial_Bematech}, {kDaruma, D::RelGerencial_Daruma}});
}

bool FechRelatGerenc(bool avisa, bool repete) {
  return Route<bool>({{kBematech, [&] { return B::FechRelatGerenc_Bematech(avisa, repete); }},
                      {kSweda, [&] { return S::FechRelatGerenc_Sweda(avisa, repete); }},
                      {kDaruma, [&] { return D::FechRelatGerenc_Daruma(avisa, repete); }}});
}

bool Retorno_Aliquotas() {
  return Route<bool>({{kBematech, B::Retorno_Aliquotas_Bematech}, {kDaruma, D::RetornoAliq_Daruma}});
}

bool Leitura_Totais(bool avisa, bool repete) {
  return Route<bool>({{kBematech, [&] { return B::Leitura_Totais_Bematech(avisa, repete); }},
                      {kSweda, [&] { return S::Leitura_Totais_Sweda(avisa, repete); }},
                      {kDaruma, [&] { return D::Leitura_Totais_Daruma(avisa, repete); }}});
}

bool Estado_Impressora(bool avisa, bool repete) {
  return Route<bool>({{kBematech, [&] { return B::Estado_Imp_Bematech(avisa, repete); }},
                      {kSweda, [&] { return S::Estado_Imp_Sweda(avisa, repete); }},
                      {kDaruma, [&] { return D::Estado_Imp_Daruma(avisa, repete); }}});
}

bool Estado_Gaveta(bool avisa, bool repete) {
  return Route<bool>({{kBematechRetail, [&] { return B::Estado_Gaveta_Bematech(avisa, repete); }},
                      {kSweda, [&] { return S::Estado_Gaveta_Sweda(avisa, repete); }},
                      {kDaruma, [&] { return D::Estado_Gaveta_Daruma(avisa, repete); }}});
}

bool Sangria(double valor) {
  return Route<bool>({{kBematech, [&] { return B::Sangria_Bematech(valor); }}});
}

bool Suprimento(double valor) {
  return Route<bool>({{kBematech, [&] { return B::Suprimento_Bematech(valor); }},
                      {kSweda, [&] { return S::Suprimento_Sweda(valor); }},
                      {kDaruma, [&] { return D::Suprimento_Daruma(valor); }}});
}

bool GeraReciboSangria(TClientDataSet& fechamento, TClientDataSet& sangrias, TClientDataSet& produtosVendidos,
                       TClientDataSet& operadorSupervisor, TClientDataSet& totaisSaida, TClientDataSet& caixa,
                       TDateTime data) {
  return Route<bool>({{kBematech, [&] {
                         return B::GeraReciboSangria_Bematech(fechamento, sangrias, produtosVendidos,
                                                              operadorSupervisor, totaisSaida, caixa, data);
                       }}});
}

bool ExportRedZ(TClientDataSet& tiposRecebimento, TClientDataSet& reducaoZ, TClientDataSet& formasPagamento,
                TClientDataSet& impostos, TClientDataSet& totalizadoresNaoFiscais) {
  return Route<bool>({{kBematech, [&] {
                         return B::ExportRedZ_Bematech(tiposRecebimento, reducaoZ, formasPagamento, impostos,
                                                       totalizadoresNaoFiscais);
                       }}});
}

bool Fecha_Imp_Chq(bool avisa, bool repete) {
  // Only the Sweda model with the check station.
  return Route<bool>({{kSwedaCheckModel, [&] { return S::Fecha_Imp_Chq_Sweda(avisa, repete); }}});
}

bool Cancela_Item(const std::string& mesa, const std::string& complemento, const std::string& codigo,
                  const std::string& descricao, const std::string& aliquota, double preco, double quantidade,
                  double desconto) {
  return Route<bool>({{kBematechRestaurant, [&] {
                         return B::Cancela_Item_Bematech(mesa, complemento, codigo, descricao, aliquota, preco,
                                                         quantidade, desconto);
                       }}});
}

bool Cupom_Conferencia(const std::string& mesa, const std::string& ajuste, double percentual, double valor) {
  return Route<bool>(
      {{kBematechRestaurant, [&] { return B::Cupom_Conferencia_Bematech(mesa, ajuste, percentual, valor); }}});
}

bool Juncao_Mesa(const std::string& mesa, const std::string& outraMesa) {
  return Route<bool>({{kBematechRestaurant, [&] { return B::Juncao_Mesa_Bematech(mesa, outraMesa); }}});
}

bool AbreCupomRes(const std::string& mesa, const std::string& complemento) {
  return Route<bool>({{kBematechRestaurant, [&] { return B::AbreCupomRes_Bematech(mesa, complemento); }}});
}

bool Transfere_Item(const std::string& mesa, const std::string& campo3, const std::string& codigo,
                    const std::string& descricao, const std::string& campo8, const std::string& campo9,
                    double percentual, double preco, double quantidade) {
  return Route<bool>({{kBematechRestaurant, [&] {
                         return B::Transfere_Item_Bematech(mesa, campo3, codigo, descricao, campo8, campo9, percentual,
                                                           preco, quantidade);
                       }}});
}

bool Estorno(const std::string& campo1, const std::string& campo2, double percentual) {
  return Route<bool>({{kBematechRestaurant, [&] { return B::Estorno_Bematech(campo1, campo2, percentual); }}});
}

bool Rel_MesaAber(const std::string& campo1) {
  return Route<bool>({{kBematechRestaurant, [&] { return B::Rel_MesaAber_Bematech(campo1); }}});
}

bool ImprimeCardapio() {
  return Route<bool>({{kBematechRestaurant, [] { return B::ImprimeCardapio_Bematech(); }}});
}

}  // namespace Qdm00000
