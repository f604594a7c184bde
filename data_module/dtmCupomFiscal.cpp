// The cupom data module: the catalogue, the dataset layouts and indexes, and
// the display attributes of the payments grid. Datasets start closed and
// empty; whoever fills one creates it from these declarations.
#include "data_module/dtmCupomFiscal.h"

#include <initializer_list>

#include "data_module/catalogue.h"

using platform::TClientDataSet;
using platform::TFieldType;

namespace {

struct FieldDecl {
  const char* name;
  TFieldType type;
  int size;  // text capacity; 0 for other types
};

constexpr TFieldType kText = TFieldType::ftString;
constexpr TFieldType kReal = TFieldType::ftFloat;
constexpr TFieldType kDateTime = TFieldType::ftDateTime;
constexpr TFieldType kDate = TFieldType::ftDate;

void Declare(TClientDataSet& ds, std::initializer_list<FieldDecl> fields) {
  for (const FieldDecl& f : fields) ds.AddFieldDef(f.name, f.type, f.size);
}

constexpr FieldDecl kPaymentType[] = {
    {"CDFILIAL", kText, 4},    {"CDTIPORECE", kText, 3},   {"NMTIPORECE", kText, 40},    {"VRTAXAADMI", kReal, 0},
    {"VRMINCARTAO", kReal, 0}, {"CDTIPOTROCO", kText, 3},  {"NRORDTROCO", kText, 3},     {"IDEMIVALE", kText, 1},
    {"IDVALE", kText, 1},      {"IDDEBCLIE", kText, 1},    {"CDFPIMPFIS", kText, 10},    {"IDTIPORECE", kText, 1},
    {"CDTPINDICE", kText, 1},  {"IDPERVALOR", kText, 1},   {"CDINDICE", kText, 4},       {"NRCONFTELA", kText, 5},
    {"IDTPBUTTON", kText, 1},  {"NRBUTTON", kText, 5},     {"NRPGCONFTELA", kText, 2},   {"IDTPBUTONAUX", kText, 1},
    {"NRBUTTONAUX", kText, 5}, {"NRPGCONFTAUX", kText, 2}, {"CDIDENTBUTON", kText, 10},  {"DSBUTTON", kText, 40},
    {"NRCOLORTEXT", kReal, 0}, {"NRCOLORBACK", kReal, 0},  {"DSMESSAGEBUT", kText, 300}, {"DSIMAGEMBUT", kText, 200},
};

void DeclareMovCaixa(TClientDataSet& ds) {
  Declare(ds, {{"CDFILIAL", kText, 4},
               {"NRSEQUMOVI", kText, 10},
               {"IDTIPOMOVIVE", kText, 1},
               {"DSMOVIVEND", kText, 250},
               {"NRSEQVENDA", kText, 10},
               {"CDTIPORECE", kText, 3},
               {"DTHRINCMOV", kDateTime, 0},
               {"DTDEPCHEQUE", kDateTime, 0},
               {"NRCONTRAVALE", kText, 10},
               {"CDTIPOTROCO", kText, 3},
               {"VRMOVIVEND", kReal, 0},
               {"NMTIPORECE", kText, 40},
               {"NRORDTROCO", kText, 3},
               {"CDCLIENTE", kText, 21},
               {"CDCONSUMIDOR", kText, 21},
               {"DTMOVIMCAIXA", kDate, 0},
               {"VRMOVIVEOUT", kReal, 0},
               {"VRCOTINDOUT", kReal, 0}});
  // Change is handed out by order, latest movement first.
  ds.AddIndexDef("idxNRORDTROCO", "NRORDTROCO;DTHRINCMOV", "DTHRINCMOV");
  ds.AddIndexDef("idxDTHRINCMOV", "DTHRINCMOV");
  ds.SetIndexName("idxNRORDTROCO");

  // The payments grid shows the amount and the payment type only.
  ds.FieldByName("VRMOVIVEND").DisplayLabel = "Valor";
  ds.FieldByName("VRMOVIVEND").DisplayFormat = "#,##0.00";
  ds.FieldByName("NMTIPORECE").DisplayLabel = "Recebimento";
  for (const char* hidden : {"CDFILIAL", "NRSEQUMOVI", "IDTIPOMOVIVE", "DSMOVIVEND", "NRSEQVENDA", "CDTIPORECE",
                             "DTHRINCMOV", "DTDEPCHEQUE", "NRCONTRAVALE"}) {
    ds.FieldByName(hidden).Visible = false;
  }
}

void DeclareReducaoZ(TClientDataSet& ds) {
  Declare(ds, {{"NRECFREDZ", kText, 4},    {"DTREDUCAOZ", kDateTime, 0}, {"NRREINIREDZ", kText, 10},
               {"NRREDREDZ", kText, 10},   {"NRLEITREDZ", kText, 10},    {"NRGERCNFREDZ", kText, 10},
               {"NRCANCFREDZ", kText, 10}, {"NRPRIMCFREDZ", kText, 10},  {"NRULTCFREDZ", kText, 10},
               {"VRGTREDZ", kReal, 0},     {"VRVENBRUREDZ", kReal, 0},   {"VRISSREDZ", kReal, 0},
               {"VRTOTCANREDZ", kReal, 0}, {"VRTOTDESREDZ", kReal, 0},   {"VRVENLIQREDZ", kReal, 0},
               {"VRTOTACRREDZ", kReal, 0}, {"VRSTRIBREDZ", kReal, 0},    {"VRISENCREDZ", kReal, 0},
               {"VRNINCIDREDZ", kReal, 0}, {"QTTEMLIGREDZ", kText, 6},   {"QTTEMPCFREDZ", kText, 6},
               {"QTMEMRESREDZ", kReal, 0}});
}

}  // namespace

void DefinePaymentTypeFields(TClientDataSet& ds, bool with_image) {
  for (const FieldDecl& f : kPaymentType) {
    if (!with_image && std::string(f.name) == "DSIMAGEMBUT") continue;
    ds.AddFieldDef(f.name, f.type, f.size);
  }
}

TdtmCupomFiscal::TdtmCupomFiscal() : msgPadrao(Qdm00000::MessageCatalogue()) {
  Declare(cdsECFCaixa, {{"NRECFCAIXA", kText, 10}, {"NRSERIEECF", kText, 20}});
  DefinePaymentTypeFields(cdsTipoRece);
  DefinePaymentTypeFields(cdsTipoReceAux, false);
  Declare(cdsAliqImpFis, {{"CDALIQIMPFIS", kText, 10}, {"VRALIQIMPFIS", kReal, 0}, {"IDALIQIMPFIS", kText, 1}});
  cdsAliqImpFis.AddIndexDef("idxIdAliqVrAliq", "IDALIQIMPFIS;VRALIQIMPFIS");
  cdsAliqImpFis.SetIndexName("idxIdAliqVrAliq");
  DefinePaymentTypeFields(cdsRecebAux);
  DeclareMovCaixa(cdsMovCaixa);
  Declare(cdsSangria,
          {{"CDTIPORECE", kText, 3}, {"NMTIPORECE", kText, 40}, {"VRSANGRIA", kReal, 0}, {"CDCLIENTE", kText, 21}});
  Declare(
      cdsMovFecha,
      {{"CDTIPORECE", kText, 3}, {"NMTIPORECE", kText, 40}, {"DTABERCAIX", kDateTime, 0}, {"VRFECHAINF", kReal, 0}});
  Declare(cdsMovTot,
          {{"IDTIPOREG", kText, 1}, {"CDTIPORECE", kText, 3}, {"NMTIPORECE", kText, 40}, {"VRSAIDA", kReal, 0}});
  DeclareReducaoZ(cdsReducaoZ);
  Declare(cdsFormPgtoRedZ, {{"NRECFREDZ", kText, 4},
                            {"DTREDUCAOZ", kDateTime, 0},
                            {"CDTIPORECE", kText, 3},
                            {"VRFORMPGTORZ", kReal, 0},
                            {"CDTPRECEORIG", kText, 3}});
  Declare(cdsImpostoRedZ, {{"NRECFREDZ", kText, 4},
                           {"DTREDUCAOZ", kDateTime, 0},
                           {"CDALIQIMPRZ", kText, 10},
                           {"VRALIQIMPRZ", kReal, 0},
                           {"VRBCALCIMPRZ", kReal, 0},
                           {"VRIMPOSTORZ", kReal, 0},
                           {"IDTPIMPREDZ", kText, 1}});
  Declare(cdsTotNFiscRedZ, {{"NRECFREDZ", kText, 4},
                            {"DTREDUCAOZ", kDateTime, 0},
                            {"NRTOTNFISCRZ", kText, 10},
                            {"DSTOTNFISCRZ", kText, 50},
                            {"NRCONTOTNFIS", kText, 10},
                            {"VRACUTOTNFIS", kReal, 0}});
}
