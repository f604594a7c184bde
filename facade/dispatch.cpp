// The operations the facade only forwards: one slot per maker, Bematech
// first, then Sweda, then Daruma. A maker that does not serve an operation
// has no slot; its codes answer false without printer traffic.
#include "drivers/bematech/Qdm00100.h"
#include "facade/Qdm00000.h"
#include "facade/routing.h"

namespace Qdm00000 {

namespace B = Qdm00100;

bool FechaCupom(bool imprimeContraVale, bool avisa, double desconto, double valorContraVale,
                double acrescimo, const std::string& permiteRepetir, bool repeteSeRecusado,
                const std::string& naoUsado, TClientDataSet& movimentos,
                TClientDataSet& recebimentos, std::string& numeroCupom,
                const std::string& convenio, const std::string& comConsumidor,
                const std::string& consumidor, const std::string& cnpjCpf,
                const std::string& nome) {
  return Route<bool>({{kBematech, [&] {
                         return B::FechaCupom_Bematech(imprimeContraVale, avisa, desconto,
                                                       valorContraVale, acrescimo, permiteRepetir,
                                                       repeteSeRecusado, naoUsado, movimentos,
                                                       recebimentos, numeroCupom, convenio,
                                                       comConsumidor, consumidor, cnpjCpf, nome);
                       }}});
}

bool Cancela_Cupom(bool avisa, bool repete, std::string& numero) {
  return Route<bool>({{kBematech, [&] { return B::Cancela_Cupom_Bematech(avisa, repete, numero); }},
                      {kSweda, {}},
                      {kDaruma, {}}});
}

bool Cancela_Item_Generico(const std::string& item, bool avisa) {
  return Route<bool>(
      {{kBematechRetail, [&] { return B::Cancela_ItGenerico_Bematech(item, avisa); }},
       {kSweda, {}},
       {kDaruma, {}}});
}

bool Acrescimo(double valor) {
  return Route<bool>({{kBematechRetail, [&] { return B::Acrescimo_Bematech(valor); }}});
}

bool Totaliza_NFiscal(const std::string& /*totalizador*/, const std::string& /*valor*/) {
  // Never sent to a Bematech printer from here.
  return Route<bool>({{kSweda, {}}, {kDaruma, {}}});
}

bool Abre_Comp_NFiscalVinc(const std::string& formaPagamento, const std::string& valor,
                           const std::string& numeroCupom) {
  return Route<bool>({{kBematech, [&] {
                         return B::Abre_Comp_NFiscalVinc_Bematech(formaPagamento, valor,
                                                                  numeroCupom);
                       }}});
}

bool Nomeia_TotParcial(const std::string& numero, const std::string& nome,
                       const std::string& texto3, const std::string& texto4, bool avisa,
                       bool repete) {
  return Route<bool>({{kBematech, [&] {
                         return B::Nomeia_TotParcial_Bematech(numero, nome, texto3, texto4, avisa,
                                                              repete);
                       }},
       {kSweda, {}},
       {kDaruma, {}}});
}

bool Config_Forma_Pagamento(const std::string& forma, bool avisa, bool repete) {
  return Route<bool>({{kBematech, [&] { return B::Config_FormaPg_Bematech(forma, avisa, repete); }},
                      {kSweda, {}},
                      {kDaruma, {}}});
}

bool Leitura_X(const std::string& texto) {
  return Route<bool>({{kBematech, [&] { return B::Leitura_X_Bematech(texto); }},
                      {kSweda, {}},
                      {kDaruma, {}}});
}

bool Reducao_Z(const std::string& texto) {
  return Route<bool>({{kBematech, [&] { return B::Reducao_Z_Bematech(texto); }},
                      {kSweda, {}},
                      {kDaruma, {}}});
}

bool Relatorio_Gerencial() {
  return Route<bool>({{kBematech, B::RelGerencial_Bematech}, {kDaruma, {}}});
}

bool FechRelatGerenc(bool avisa, bool repete) {
  return Route<bool>({{kBematech, [&] { return B::FechRelatGerenc_Bematech(avisa, repete); }},
                      {kSweda, {}},
                      {kDaruma, {}}});
}

bool Retorno_Aliquotas() {
  return Route<bool>({{kBematech, B::Retorno_Aliquotas_Bematech}, {kDaruma, {}}});
}

bool Leitura_Totais(bool avisa, bool repete) {
  return Route<bool>({{kBematech, [&] { return B::Leitura_Totais_Bematech(avisa, repete); }},
                      {kSweda, {}},
                      {kDaruma, {}}});
}

bool Estado_Impressora(bool avisa, bool repete) {
  return Route<bool>({{kBematech, [&] { return B::Estado_Imp_Bematech(avisa, repete); }},
                      {kSweda, {}},
                      {kDaruma, {}}});
}

bool Estado_Gaveta(bool avisa, bool repete) {
  return Route<bool>({{kBematechRetail, [&] { return B::Estado_Gaveta_Bematech(avisa, repete); }},
                      {kSweda, {}},
                      {kDaruma, {}}});
}

bool Sangria(double valor) {
  return Route<bool>({{kBematech, [&] { return B::Sangria_Bematech(valor); }}});
}

bool Suprimento(double valor) {
  return Route<bool>({{kBematech, [&] { return B::Suprimento_Bematech(valor); }},
                      {kSweda, {}},
                      {kDaruma, {}}});
}

// The Bematech till-closing receipts, the Z export and the table operations
// arrive with those parts of the Bematech driver; until then they answer false.

bool GeraReciboSangria(TClientDataSet& /*fechamento*/, TClientDataSet& /*sangrias*/,
                       TClientDataSet& /*produtosVendidos*/, TClientDataSet& /*operadorSupervisor*/,
                       TClientDataSet& /*totaisSaida*/, TClientDataSet& /*caixa*/,
                       TDateTime /*data*/) {
  return Route<bool>({{kBematech, {}}});
}

bool ExportRedZ(TClientDataSet& /*tiposRecebimento*/, TClientDataSet& /*reducaoZ*/,
                TClientDataSet& /*formasPagamento*/, TClientDataSet& /*impostos*/,
                TClientDataSet& /*totalizadoresNaoFiscais*/) {
  return Route<bool>({{kBematech, {}}});
}

bool Fecha_Imp_Chq(bool /*avisa*/, bool /*repete*/) {
  // Only the Sweda model with the check station.
  return Route<bool>({{kSwedaCheckModel, {}}});
}

bool Cancela_Item(const std::string& mesa, const std::string& complemento,
                  const std::string& codigo, const std::string& descricao,
                  const std::string& aliquota, double preco, double quantidade, double desconto) {
  return Route<bool>({{kBematechRestaurant, [&] {
                         return B::Cancela_Item_Bematech(mesa, complemento, codigo, descricao,
                                                         aliquota, preco, quantidade, desconto);
                       }}});
}

bool Cupom_Conferencia(const std::string& /*mesa*/, const std::string& /*ajuste*/,
                       double /*percentual*/, double /*valor*/) {
  return Route<bool>({{kBematechRestaurant, {}}});
}

bool Juncao_Mesa(const std::string& /*mesa*/, const std::string& /*outraMesa*/) {
  return Route<bool>({{kBematechRestaurant, {}}});
}

bool AbreCupomRes(const std::string& /*mesa*/, const std::string& /*complemento*/) {
  return Route<bool>({{kBematechRestaurant, {}}});
}

bool Transfere_Item(const std::string& /*mesa*/, const std::string& /*campo3*/,
                    const std::string& /*codigo*/, const std::string& /*descricao*/,
                    const std::string& /*campo8*/, const std::string& /*campo9*/,
                    double /*percentual*/, double /*preco*/, double /*quantidade*/) {
  return Route<bool>({{kBematechRestaurant, {}}});
}

bool Estorno(const std::string& /*campo1*/, const std::string& /*campo2*/,
             double /*percentual*/) {
  return Route<bool>({{kBematechRestaurant, {}}});
}

bool Rel_MesaAber(const std::string& /*campo1*/) {
  return Route<bool>({{kBematechRestaurant, {}}});
}

bool ImprimeCardapio() { return Route<bool>({{kBematechRestaurant, {}}}); }

}  // namespace Qdm00000
