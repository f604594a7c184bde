// The operator message catalogue: key, bar, text, in the order the data
// module has always carried them. Texts are Windows-1252 bytes. Some keys
// repeat; the catalogue answers the first entry of a key.
#include "data_module/catalogue.h"

namespace Qdm00000 {

const std::vector<std::string>& MessageCatalogue() {
  static const std::vector<std::string> entries = {
      "Nome|NOME",
      "Relatorio|Relatorios",
      "ConfReducao|Confirma impress\xE3o da redu\xE7\xE3o z?",
      "CancelaTEF|Os comprovantes de transa\xE7\xE3o TEF n\xE3o foram impressos corretamente e ser\xE3o cancelados. "
      "Efetue as transa\xE7\365es manuais ou cancele o cupom fiscal.",
      "Consumidor|Consumidor",
      "Dinheiro|Dinheiro",
      "Convenio|Conv\xEAnio",
      "CNPJCPF|CNPJ/CPF",
      "AliqNaoCad|Al\xEDquota n\xE3o cadastrada na impressora fiscal.",
      "ImpErro|Impressora fiscal com erro.",
      "FimPapel|Impressora fiscal sem papel.",
      "ErroRelogio|Erro no rel\xF3gio da impressora fiscal.",
      "SyntaxErro|Erro de sintaxe no comando enviado para a impressora fiscal.",
      "ComandoErro|Comando para a impressora fiscal inexistente.",
      "CupomAberto|Cupom aberto.",
      "AbreCaixa|Deseja abrir o caixa?",
      "ParamErro|N\xFAmero inv\xE1lido de par\xE2metros do comando da impressora fiscal.",
      "TipoParamErro|Tipo incorreto do par\xE2metro enviado para a impressora fiscal.",
      "MemLotada|Mem\xF3ria da impressora fiscal lotada.",
      "MemRAMErro|Erro na mem\xF3ria da impressora fiscal.",
      "AliqNProg|Al\xEDquota n\xE3o programada na impressora fiscal.",
      "AliqLotada|Capacidade de al\xEDquotas da impressora fiscal lotada.",
      "CancNPermitido|Cancelamento n\xE3o permitido pela impressora fiscal.",
      "CancNPermitidoX|Cancelamento n\xE3o permitido pela impressora fiscal ap\xF3s emiss\xE3o de Leitura X.",
      "CGCIENProg|CGC/IE do propriet\xE1rio n\xE3o programados na impressora fiscal.",
      "ComandoNExec|Comando n\xE3o executado pela impressora fiscal.",
      "ArqConfig_Inv|O arquivo com configura\xE7\xE3o da Impressora Fiscal est\xE1 com os dados inv\xE1lidos. Atualize "
      "o arquivo antes de tentar novamente.",
      "Arq_ECF|Arquivo com configura\xE7\xE3o da Impressora Fiscal n\xE3o encontrado. Este caixa n\xE3o pode operar "
      "sem Impressora Fiscal.",
      "ErroPorta|Erro ao abrir porta de comunica\xE7\xE3o.",
      "Suprimento|Suprimento",
      "Sangria|Sangria",
      "VENDA-CONS|VENDA CONSUMIDOR",
      "CV-EMITIDO|CONTRA-VALE EMITIDO",
      "RELAT-GER|Relatorio Gerencial",
      "Compra-Cred|Cred Pessoal",
      "TEF|Tef",
      "CONTRA-VALE|CONTRA-VALE",
      "DataDif|Data da impressora fiscal difere da data do sistema em mais de 15 minutos.",
      "ErroComando|Erro ao enviar comando para a impressora.",
      "DataFiscalAnterior|A data fiscal da impressora est\xE1 menor que a data atual. \xC9 necess\xE1ria a "
      "impress\xE3o de uma Redu\xE7\xE3o Z. Confirma?",
      "ConfLeitX|Confirma impress\xE3o da Leitura X?",
      "PoucoPapel|Impressora fiscal com pouco papel.",
      "AliqNaoCad|AliqNaoCad",
      "RelGerencial|Rel Gerencial",
      "GerandoRecSang|Gerando Recibo de Sangria...",
      "RecSangria3|RECIBO SAIDA NUMERARIO",
      "RecSangria1|SAIDA DE NUMERARIO - SANGRIA",
      "Modalidade|MODALIDADE",
      "Valor_|V  A  L  O  R",
      "Superv|Supervisor",
      "Operador|Operador",
      "GerandoRelProd|Gerando Relat\xF3rio de Produtos...",
      "RelProdutos|RELATORIO DE PRODUTOS",
      "Codigo|CODIGO",
      "Nome|NOME",
      "Qtde_|QTDE",
      "Valor2|VLR.TOT.",
      "GerandoRelFech|Gerando Relat\xF3rio de Fechamento...",
      "RelFechamento|RELATORIO DE FECHAMENTO",
      "Vendas|VENDAS",
      "CV-EMITIDO|CONTRA-VALE EMITIDO",
      "Suprimento|Suprimento",
      "Sangrias|SANGRIAS",
      "Sobra|SOBRA",
      "Falta|FALTA",
      "Imprimindo|Imprimindo...",
      "ConfRelProds|Confirma impress\xE3o do Relat\xF3rio de Produtos?",
  };
  return entries;
}

}  // namespace Qdm00000
