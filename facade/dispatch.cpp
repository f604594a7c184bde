// The operations the facade only forwards: one slot per maker, Bematech
// first, then Sweda, then Daruma. A maker that does not serve an operation
// has no slot; its codes answer false without printer traffic.
#include "drivers/bematech/Qdm00100.h"
#include "drivers/daruma/Qdm00300.h"
#include "facade/Qdm00000.h"
#include "facade/routing.h"

namespace Qdm00000 {

namespace B = Qdm00100;
namespace D = Qdm00300;

bool FechaCupom(bool o1, bool o2, double d1, double d2, double d3, const std::string& s1,
                bool o3, const std::string& s2, TClientDataSet& ds1, TClientDataSet& ds2,
                std::string& out1, const std::string& s3, const std::string& s4,
                const std::string& s5, const std::string& s6, const std::string& s7) {
  return Route<bool>({{kBematech, [&] {
                         return B::FechaCupom_Bematech(o1, o2, d1, d2, d3, s1, o3, s2, ds1, ds2,
                                                       out1, s3, s4, s5, s6, s7);
                       }}});
}

bool Cancela_Cupom(bool a, bool b, std::string& numero) {
  return Route<bool>({{kBematech, [&] { return B::Cancela_Cupom_Bematech(a, b, numero); }},
                      {kSweda, {}},
                      {kDaruma, [&] { return D::Cancela_Cupom_Daruma(a, b, numero); }}});
}

bool Cancela_Item_Generico(const std::string& item, bool a) {
  return Route<bool>(
      {{kBematechRetail, [&] { return B::Cancela_ItGenerico_Bematech(item, a); }},
       {kSweda, {}},
       {kDaruma, [&] { return D::Cancela_ItGenerico_Daruma(item, a); }}});
}

bool Acrescimo(double valor) {
  return Route<bool>({{kBematechRetail, [&] { return B::Acrescimo_Bematech(valor); }}});
}

bool Totaliza_NFiscal(const std::string& s1, const std::string& s2) {
  // Never sent to a Bematech printer from here.
  return Route<bool>({{kSweda, {}}, {kDaruma, [&] { return D::Totaliza_NFiscal_Daruma(s1, s2); }}});
}

bool Abre_Comp_NFiscalVinc(const std::string& s1, const std::string& s2, const std::string& s3) {
  return Route<bool>(
      {{kBematech, [&] { return B::Abre_Comp_NFiscalVinc_Bematech(s1, s2, s3); }}});
}

bool Nomeia_TotParcial(const std::string& s1, const std::string& s2, const std::string& s3,
                       const std::string& s4, bool a, bool b) {
  return Route<bool>(
      {{kBematech, [&] { return B::Nomeia_TotParcial_Bematech(s1, s2, s3, s4, a, b); }},
       {kSweda, {}},
       {kDaruma, [&] { return D::Nomeia_TotParcial_Daruma(s1, s2, s3, s4, a, b); }}});
}

bool Config_Forma_Pagamento(const std::string& forma, bool a, bool b) {
  return Route<bool>({{kBematech, [&] { return B::Config_FormaPg_Bematech(forma, a, b); }},
                      {kSweda, {}},
                      {kDaruma, [&] { return D::Config_FormaPg_Daruma(forma, a, b); }}});
}

bool Leitura_X(const std::string& texto) {
  return Route<bool>({{kBematech, [&] { return B::Leitura_X_Bematech(texto); }},
                      {kSweda, {}},
                      {kDaruma, [&] { return D::Leitura_X_Daruma(texto); }}});
}

bool Reducao_Z(const std::string& texto) {
  return Route<bool>({{kBematech, [&] { return B::Reducao_Z_Bematech(texto); }},
                      {kSweda, {}},
                      {kDaruma, [&] { return D::Reducao_Z_Daruma(texto); }}});
}

bool Relatorio_Gerencial() {
  return Route<bool>({{kBematech, B::RelGerencial_Bematech}, {kDaruma, D::RelGerencial_Daruma}});
}

bool FechRelatGerenc(bool a, bool b) {
  return Route<bool>({{kBematech, [&] { return B::FechRelatGerenc_Bematech(a, b); }},
                      {kSweda, {}},
                      {kDaruma, [&] { return D::FechRelatGerenc_Daruma(a, b); }}});
}

bool Retorno_Aliquotas() {
  return Route<bool>({{kBematech, B::Retorno_Aliquotas_Bematech}, {kDaruma, D::RetornoAliq_Daruma}});
}

bool Leitura_Totais(bool a, bool b) {
  return Route<bool>({{kBematech, [&] { return B::Leitura_Totais_Bematech(a, b); }},
                      {kSweda, {}},
                      {kDaruma, [&] { return D::Leitura_Totais_Daruma(a, b); }}});
}

bool Estado_Impressora(bool a, bool b) {
  return Route<bool>({{kBematech, [&] { return B::Estado_Imp_Bematech(a, b); }},
                      {kSweda, {}},
                      {kDaruma, [&] { return D::Estado_Imp_Daruma(a, b); }}});
}

bool Estado_Gaveta(bool a, bool b) {
  return Route<bool>({{kBematechRetail, [&] { return B::Estado_Gaveta_Bematech(a, b); }},
                      {kSweda, {}},
                      {kDaruma, [&] { return D::Estado_Gaveta_Daruma(a, b); }}});
}

bool Sangria(double valor) {
  return Route<bool>({{kBematech, [&] { return B::Sangria_Bematech(valor); }}});
}

bool Suprimento(double valor) {
  return Route<bool>({{kBematech, [&] { return B::Suprimento_Bematech(valor); }},
                      {kSweda, {}},
                      {kDaruma, [&] { return D::Suprimento_Daruma(valor); }}});
}

// The Bematech till-closing receipts, the Z export and the table operations
// arrive with those parts of the Bematech driver; until then they answer false.

bool GeraReciboSangria(TClientDataSet& /*ds1*/, TClientDataSet& /*ds2*/,
                       TClientDataSet& /*ds3*/, TClientDataSet& /*ds4*/,
                       TClientDataSet& /*ds5*/, TClientDataSet& /*ds6*/, TDateTime /*data*/) {
  return Route<bool>({{kBematech, {}}});
}

bool ExportRedZ(TClientDataSet& /*ds1*/, TClientDataSet& /*ds2*/, TClientDataSet& /*ds3*/,
                TClientDataSet& /*ds4*/, TClientDataSet& /*ds5*/) {
  return Route<bool>({{kBematech, {}}});
}

bool Fecha_Imp_Chq(bool /*a*/, bool /*b*/) {
  // Only the Sweda model with the check station.
  return Route<bool>({{kSwedaCheckModel, {}}});
}

bool Cancela_Item(const std::string& s1, const std::string& s2, const std::string& s3,
                  const std::string& s4, const std::string& s5, double d1, double d2,
                  double d3) {
  return Route<bool>({{kBematechRestaurant, [&] {
                         return B::Cancela_Item_Bematech(s1, s2, s3, s4, s5, d1, d2, d3);
                       }}});
}

bool Cupom_Conferencia(const std::string& /*s1*/, const std::string& /*s2*/, double /*d1*/,
                       double /*d2*/) {
  return Route<bool>({{kBematechRestaurant, {}}});
}

bool Juncao_Mesa(const std::string& /*s1*/, const std::string& /*s2*/) {
  return Route<bool>({{kBematechRestaurant, {}}});
}

bool AbreCupomRes(const std::string& /*s1*/, const std::string& /*s2*/) {
  return Route<bool>({{kBematechRestaurant, {}}});
}

bool Transfere_Item(const std::string& /*s1*/, const std::string& /*s2*/,
                    const std::string& /*s3*/, const std::string& /*s4*/,
                    const std::string& /*s5*/, const std::string& /*s6*/, double /*d1*/,
                    double /*d2*/, double /*d3*/) {
  return Route<bool>({{kBematechRestaurant, {}}});
}

bool Estorno(const std::string& /*s1*/, const std::string& /*s2*/, double /*d1*/) {
  return Route<bool>({{kBematechRestaurant, {}}});
}

bool Rel_MesaAber(const std::string& /*s1*/) {
  return Route<bool>({{kBematechRestaurant, {}}});
}

bool ImprimeCardapio() { return Route<bool>({{kBematechRestaurant, {}}}); }

}  // namespace Qdm00000
