// The cupom data module: the message catalogue, the twenty datasets of the
// fiscal layer and the port and speed indexes of the serial devices.
#pragma once
#include "utility/utility.h"
#include "platform/dataset/dataset.h"
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

class TdtmCupomFiscal {
 public:
  TdtmCupomFiscal();
  TdtmCupomFiscal(const TdtmCupomFiscal&) = delete;
  TdtmCupomFiscal& operator=(const TdtmCupomFiscal&) = delete;

  util::TMessages msgPadrao;

  platform::TClientDataSet cdsCheckECF{"cdsCheckECF"};
  platform::TClientDataSet cdsECFCaixa{"cdsECFCaixa"};
  platform::TClientDataSet cdsTipoTroco{"cdsTipoTroco"};
  platform::TClientDataSet cdsProduto{"cdsProduto"};
  platform::TClientDataSet cdsTipoRece{"cdsTipoRece"};
  platform::TClientDataSet cdsTipoReceAux{"cdsTipoReceAux"};
  platform::TClientDataSet cdsAliqImpFis{"cdsAliqImpFis"};
  platform::TClientDataSet cdsRecebAux{"cdsRecebAux"};
  platform::TClientDataSet cdsMovCaixa{"cdsMovCaixa"};
  platform::TClientDataSet cdsSangria{"cdsSangria"};
  platform::TClientDataSet cdsProdVend{"cdsProdVend"};
  platform::TClientDataSet cdsMovFecha{"cdsMovFecha"};
  platform::TClientDataSet cdsOperadorSup{"cdsOperadorSup"};
  platform::TClientDataSet cdsMovTot{"cdsMovTot"};
  platform::TClientDataSet cdsIdCaixa{"cdsIdCaixa"};
  platform::TClientDataSet cdsProxLetra{"cdsProxLetra"};
  platform::TClientDataSet cdsReducaoZ{"cdsReducaoZ"};
  platform::TClientDataSet cdsFormPgtoRedZ{"cdsFormPgtoRedZ"};
  platform::TClientDataSet cdsImpostoRedZ{"cdsImpostoRedZ"};
  platform::TClientDataSet cdsTotNFiscRedZ{"cdsTotNFiscRedZ"};

  int IdVelocChq = 0;
  int IdPortaChq = 0;
  int IdPortaImpFis = 0;
  int IdPortaDisp = 0;
};

// Declares the 28-field payment-type layout on a dataset (27 without
// DSIMAGEMBUT), for the data module and for front ends that build one.
void DefinePaymentTypeFields(platform::TClientDataSet& ds, bool with_image = true);

PKG_QDM_PUBLIC_END
