// The restaurant model's table operations: table checks, joins, item
// transfers, reversals, the open-tables report and the menu.
#include "drivers/bematech/Qdm00100.h"
#include "drivers/bematech/driver.h"
#include "platform/base/sysutils.h"
#include "utility/utility.h"

namespace Qdm00100 {

using namespace detail;

namespace {

const std::string kNoAmount = "00000000000000";
constexpr int kTransferCodeWidth = 14;
constexpr int kTransferDescriptionWidth = 17;

bool Table(const std::string& comando, const std::vector<std::string>& parametros) {
  return EnviaComando_Bematech(comando, parametros, true, false);
}

}  // namespace

bool Cupom_Conferencia_Bematech(const std::string& mesa, const std::string& ajuste, double percentual, double valor) {
  if (percentual > 0) {
    const std::optional<std::string> p4 = AmountField(Format::P4, percentual);
    return p4 && Table("80|50", {mesa, ajuste, *p4});
  }
  if (valor > 0) {
    const std::optional<std::string> v14 = AmountField(Format::V14, valor);
    return v14 && Table("80|50", {mesa, ajuste, *v14});
  }
  return Table("80|50", {mesa, "0", kNoAmount});
}

bool Fecha_Conferencia_Bematech(const std::string& mesa, double valor) {
  if (valor == 0) return Table("80|58", {"0", kNoAmount});
  const std::optional<std::string> v14 = AmountField(Format::V14, valor);
  return v14 && Table("80|58", {mesa, *v14});
}

bool Juncao_Mesa_Bematech(const std::string& mesa, const std::string& outraMesa) {
  return Table("80|51", {mesa, outraMesa});
}

bool AbreCupomRes_Bematech(const std::string& mesa, const std::string& complemento) {
  return Table("80|52", {mesa, complemento});
}

bool Transfere_Item_Bematech(const std::string& mesa, const std::string& destino, const std::string& codigo,
                             const std::string& descricao, const std::string& campo8, const std::string& campo9,
                             double percentual, double preco, double quantidade) {
  const std::optional<std::string> p4 = AmountField(Format::P4, percentual);
  if (!p4) return false;
  const std::optional<std::string> v8 = AmountField(Format::V8, preco);
  if (!v8) return false;
  const std::optional<std::string> q6 = AmountField(Format::Q6, quantidade);
  if (!q6) return false;
  return Table("80|53", {mesa, *p4, destino, *v8, *q6, util::Ajusta(codigo, kTransferCodeWidth),
                         platform::Copy(descricao, 1, kTransferDescriptionWidth), campo8, campo9});
}

bool Estorno_Bematech(const std::string& campo1, const std::string& campo2, double percentual) {
  const std::optional<std::string> p4 = AmountField(Format::P4, percentual);
  return p4 && Table("74", {campo1, campo2, *p4});
}

bool Rel_MesaAber_Bematech(const std::string& campo1) { return Table("80|54", {campo1}); }

bool ImprimeCardapio_Bematech() { return Table("80|55", {}); }

}  // namespace Qdm00100
