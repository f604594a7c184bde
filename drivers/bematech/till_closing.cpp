// The till closing: the withdrawal receipt in two copies inside a voucher
// linked to a 0.01 receipt on the report totalizer, the operator's
// questions, the products and closing reports, and the Z reduction.
#include <algorithm>
#include <cmath>

#include "drivers/bematech/Qdm00100.h"
#include "drivers/bematech/driver.h"
#include "drivers/common/driver_services.h"
#include "platform/base/sysutils.h"
#include "platform/dialogs/dialogs.h"
#include "platform/text/format.h"
#include "utility/utility.h"

namespace Qdm00100 {

using namespace detail;

namespace {

constexpr double kReportReceipt = 0.01;
constexpr int kLineWidth = 48;
constexpr std::size_t kBlockSize = 620;
constexpr int kVoucherMethodWidth = 16;
const std::string kLf = "\n";

// Amounts are added in cents, so the totals are exact to the cent.
long long Cents(double valor) { return std::llround(valor * 100); }

// Two decimals, the system separator, no thousands separator.
std::string Amount(long long cents) { return platform::FormatFloat("0.00", cents / 100.0); }

std::string Catalogue(const char* key) { return CatalogueText(key); }

// Hands a block of text to the printer, in pieces no longer than the
// printer takes at once, each ending at a line's end: a line is never cut
// nor lost. Only a line longer than a whole piece is cut, at the piece.
void Send(std::string& bloco) {
  std::size_t inicio = 0;
  do {
    std::size_t fim = std::min(bloco.size(), inicio + kBlockSize);
    if (fim < bloco.size()) {
      const std::size_t linha = bloco.rfind('\n', fim - 1);
      if (linha != std::string::npos && linha >= inicio) fim = linha + 1;
    }
    Usa_CompNFis_Bematech(bloco.substr(inicio, fim - inicio));
    inicio = fim;
  } while (inicio < bloco.size());
  bloco.clear();
}

bool Ask(const char* key) {
  return util::TouchMessageDlg(Catalogue(key), platform::mtConfirmation, platform::mbYesNo, 0, 0, "") ==
         platform::mrYes;
}

// One copy of the withdrawal receipt. `linhas` runs on across both copies:
// an empty line is added after the total when it reads a multiple of ten
// plus three there, so the signature never lands on the tear line.
void WithdrawalReceipt(TdtmCupomFiscal& dm, int via, int& linhas) {
  std::string bloco;
  if (via == 1) {
    bloco += kLf;
    linhas += 1;
  }
  bloco += util::Centraliza(Catalogue(via == 1 ? "RecSangria3" : "RecSangria1"), kLineWidth) + kLf + kLf;
  bloco += util::TamFixo(Catalogue("Modalidade"), 25) + " " + util::TamFixoR(Catalogue("Valor_"), 15) + kLf + kLf;
  linhas += 4;
  Send(bloco);
  TClientDataSet& fecha = dm.cdsMovFecha;
  long long soma = 0;
  for (fecha.First(); !fecha.Eof(); fecha.Next()) {
    const long long valor = Cents(fecha.FieldByName("VRFECHAINF").AsFloat());
    soma += valor;
    bloco +=
        util::TamFixo(fecha.FieldByName("NMTIPORECE").AsString(), 25) + " " + util::TamFixoR(Amount(valor), 15) + kLf;
    linhas += 1;
  }
  Send(bloco);
  bloco += util::TamFixo(Catalogue("Valor_"), 30) + util::TamFixoR(Amount(soma), 18) + kLf + kLf;
  linhas += 2;
  if ((linhas - 3) % 10 == 0) {
    bloco += kLf;
    linhas += 1;
  }
  TClientDataSet& pessoas = dm.cdsOperadorSup;
  pessoas.First();
  const std::string assinatura = via == 1
                                     ? Catalogue("Superv") + " : " + pessoas.FieldByName("CDSUPERVISOR").AsString() +
                                           " " + pessoas.FieldByName("NMSUPERVISOR").AsString()
                                     : Catalogue("Operador") + " : " + pessoas.FieldByName("CDOPERADOR").AsString() +
                                           " " + pessoas.FieldByName("NMOPERADOR").AsString();
  bloco += std::string(kLineWidth, '-') + kLf + platform::Copy(assinatura, 1, kLineWidth) + kLf + kLf + kLf;
  linhas += 4;
  Send(bloco);
}

// The products sold; answers their total (0 without products).
long long ProductsReport(TdtmCupomFiscal& dm) {
  TClientDataSet& produtos = dm.cdsProdVend;
  long long vendas = 0;
  if (produtos.IsEmpty()) return vendas;
  std::string bloco = util::Centraliza(Catalogue("RelProdutos"), kLineWidth) + kLf + kLf;
  bloco += util::TamFixo(Catalogue("Codigo"), 15) + util::TamFixo(Catalogue("Nome"), 17) +
           util::TamFixoR(Catalogue("Qtde_"), 6) + util::TamFixoR(Catalogue("Valor2"), 10) + kLf + kLf;
  Send(bloco);
  for (produtos.First(); !produtos.Eof(); produtos.Next()) {
    const long long total = Cents(produtos.FieldByName("VRTOTAL").AsFloat());
    vendas += total;
    bloco = util::TamFixo(produtos.FieldByName("CDPRODUTO").AsString(), 14) + " " +
            util::TamFixo(produtos.FieldByName("NMPRODUTO").AsString(), 16) + " " +
            util::TamFixoR(produtos.FieldByName("QTPRODVEND").AsString(), 6) + util::TamFixoR(Amount(total), 10) + kLf;
    Send(bloco);
  }
  produtos.Close();
  bloco = util::TamFixo(Catalogue("Valor_"), 35) + util::TamFixoR(Amount(vendas), 13) + kLf + kLf + kLf;
  Send(bloco);
  return vendas;
}

std::string ReportLine(const std::string& texto, long long cents) {
  return util::TamFixo(texto, 33) + util::TamFixoR(Amount(cents), 15) + kLf;
}

// Sales against the exits: voucher and supply apart, the withdrawals, and
// what is missing (FALTA) or left over (SOBRA).
void ClosingReport(TdtmCupomFiscal& dm, long long vendas) {
  std::string bloco = util::Centraliza(Catalogue("RelFechamento"), kLineWidth) + kLf + kLf;
  bloco += util::TamFixo(Catalogue("Vendas"), 35) + util::TamFixoR(Amount(vendas), 13) + kLf + kLf;
  Send(bloco);
  TClientDataSet& totais = dm.cdsMovTot;
  long long saidas = 0;
  long long contravale = 0;
  long long suprimento = 0;
  for (totais.First(); !totais.Eof(); totais.Next()) {
    const long long valor = Cents(totais.FieldByName("VRSAIDA").AsFloat());
    saidas += valor;
    const std::string tipo = totais.FieldByName("IDTIPOREG").AsString();
    if (tipo == "2") contravale = valor;
    if (tipo == "3") suprimento = valor;
    bloco += ReportLine(totais.FieldByName("NMTIPORECE").AsString(), valor);
  }
  Send(bloco);
  bloco += ReportLine(Catalogue("CV-EMITIDO") + "(-)", contravale);
  bloco += ReportLine(platform::UpperCase(Catalogue("Suprimento")) + "(-)", suprimento);
  bloco += std::string(kLineWidth, '-') + kLf;
  bloco += ReportLine(Catalogue("Sangrias"), saidas - suprimento - contravale) + kLf;
  const long long diferenca = saidas - suprimento - contravale - vendas;
  bloco += ReportLine(Catalogue(diferenca < 0 ? "Falta" : "Sobra"), diferenca) + kLf;
  Send(bloco);
}

}  // namespace

bool GeraReciboSangria_Bematech(TClientDataSet& fechamento, TClientDataSet& sangrias, TClientDataSet& produtosVendidos,
                                TClientDataSet& operadorSupervisor, TClientDataSet& totaisSaida, TClientDataSet& caixa,
                                platform::TDateTime /*data*/) {
  TdtmCupomFiscal& dm = Qdm00000::DataModule();
  dm.cdsMovFecha.SetData(fechamento.GetData());
  dm.cdsSangria.SetData(sangrias.GetData());
  dm.cdsProdVend.SetData(produtosVendidos.GetData());
  dm.cdsOperadorSup.SetData(operadorSupervisor.GetData());
  dm.cdsMovTot.SetData(totaisSaida.GetData());
  dm.cdsIdCaixa.SetData(caixa.GetData());

  const std::string recibo = *Digits(Format::V14, kReportReceipt);
  Cupom_NFiscNVinc_Bematech(IdTotRelatorio, recibo, "Rel Gerencial");
  std::string cupom;
  if (Numero_Cupom_Bematech()) cupom = Qdm00000::RetornoImpFiscal("30", true);
  if (Abre_Comp_NFiscalVinc_Bematech(platform::Copy(Catalogue("RelGerencial"), 1, kVoucherMethodWidth), recibo,
                                     cupom)) {
    int linhas = 0;
    WithdrawalReceipt(dm, 1, linhas);
    WithdrawalReceipt(dm, 2, linhas);
  }
  if (Ask("AbreCaixa")) {
    FechRelatGerenc_Bematech(true, true);
    return true;
  }
  if (!Ask("ConfReducao")) {
    FechRelatGerenc_Bematech(true, true);
    return false;
  }
  dm.cdsIdCaixa.First();
  const std::string relatorio = dm.cdsIdCaixa.FieldByName("IDEMIRELPROD").AsString();
  if (relatorio == "N" || (relatorio == "S" && Ask("ConfRelProds"))) {
    ClosingReport(dm, ProductsReport(dm));
  }
  FechRelatGerenc_Bematech(true, true);
  Reducao_Z_Bematech("S");
  return false;
}

}  // namespace Qdm00100
